// SPDX-License-Identifier: GPL-2.0-or-later
// The rain map as the viewer reads it: the service's index (the grid in Lambert-93 and the frames'
// instants) and each frame's cells, both read strictly, so that a wrong answer is a gap and never a
// dry map; and the words that say a frame's time and what falls at a place or over the user's cities.
#pragma once
#include "common/raincells.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace meteo {

struct RainFrameRef {
    QDateTime time;  // with the offset the service gave
    QByteArray href;  // "/carte/pluie/1765288800": a path on the service, nothing else; empty for a gap
    // What the frame is, when the service says (nature="observee" or "prevue"): a radar's
    // observation or a forecast.
    enum class Nature { Unsaid, Observed, Forecast } nature = Nature::Unsaid;
};

struct RainMapIndex {
    double x0 = 0, y0 = 0, step = 0;  // the north-west cell's centre and the cells' size, in metres
    int columns = 0, rows = 0;
    QByteArray source;                // "simulation"
    QDateTime made;                   // when the source's data was made
    QDateTime end;                    // where a live map's forecast ends, when it says (fin="…")
    QList<RainFrameRef> frames;       // in time order
};

inline constexpr qsizetype kMaxRainIndexBytes = 256 * 1024;
inline constexpr qsizetype kMaxRainFrameBytes = 1024 * 1024;
inline constexpr int kMaxRainFrames = 512;

// Throws Error naming what is wrong: not the index's shape, a grid that is not Lambert-93 or not a
// sane size, a time without its offset, frames out of order or too many, a link that is not a frame's.
[[nodiscard]] RainMapIndex readRainMapIndex(const QByteArray &xml);
// The frame's cells, columns × rows bytes from the north-west; throws Error when the answer is over
// 1 MiB, not a PNG, not 8-bit grey, not the index's size, or cut short.
[[nodiscard]] QByteArray readRainFrame(const QByteArray &png, const RainMapIndex &index);

// "jeudi 14 h 15", "jeudi 15 h", in the frame's own offset.
[[nodiscard]] QString frameTimeText(const QDateTime &frame);
// The frame that holds `now` (the last one that has begun), the first before them all; -1 for none.
[[nodiscard]] int frameAt(const QList<RainFrameRef> &frames, const QDateTime &now);
// "maintenant", "il y a 30 min", "dans 2 h", "dans 1 h 15": from `nowFrame`, the instant of the frame
// that holds now; "observée il y a 30 min", "prévue dans 2 h" for a frame that says what it is.
[[nodiscard]] QString frameDistance(const QDateTime &frame, const QDateTime &nowFrame);
[[nodiscard]] QString frameDistance(const RainFrameRef &frame, const QDateTime &nowFrame);
// Whether the index says its source has no map to give (src="indisponible").
[[nodiscard]] inline bool mapUnavailable(const RainMapIndex &index)
{
    return index.source == "indisponible";
}
// "pluie modérée", "neige faible", "sec"; "pas de données" where the map has none.
[[nodiscard]] QString cellWords(const std::optional<rain::Cell> &cell);

struct PlaceFrame {
    QDateTime time;
    std::optional<rain::Cell> cell;  // nothing: no data there, or the frame is missing
};
// What falls at a place from the frame shown on: "Quimper : pluie modérée de 14 h 15 à 16 h, puis
// sec", "Quimper : sec jusqu'à jeudi 18 h".
[[nodiscard]] QString placeOutlook(const QString &place, const QList<PlaceFrame> &frames);

struct CityCell {
    QByteArray name;
    std::optional<rain::Cell> cell;
};
// One sentence for a screen reader: "jeudi 14 h 15 : pluie modérée à Brest, faible à Quimper ; sec
// dans vos autres villes".
[[nodiscard]] QString citiesSentence(const QDateTime &frame, const QList<CityCell> &cities);

} // namespace meteo
