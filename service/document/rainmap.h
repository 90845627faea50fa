// SPDX-License-Identifier: GPL-2.0-or-later
// The rain map as the service answers it: a grid over mainland France and Corsica in Lambert-93, the
// instants of its frames (quarter hours from two hours ago to six hours ahead, then hours to two days
// ahead), the index that lists them and each frame as a greyscale PNG of the grid's cells.
#pragma once
#include "result.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>

namespace service {

// Cell centres: x0 + column × step eastwards, y0 − row × step southwards (rows from north to south).
struct MapGrid {
    double x0, y0, step;
    int columns, rows;
};
// Ouessant to Cap Corse, Bonifacio to Bray-Dunes, at 5 km: x 95 to 1,245 km, y 6,040 to 7,115 km.
inline constexpr MapGrid kFranceGrid{97500, 7112500, 5000, 230, 215};

enum class FrameNature : char { Unsaid, Observed, Forecast };

struct RainMapIndex {
    QList<qint64> frames;  // Unix seconds, in order
    QDateTime made;        // when the source's data was made
    QByteArray source;     // "simulation"
    // A live map's: what each frame is, the instants listed without a frame (the source's file was
    // refused or never came: a gap, never a dry frame), and where the map ends.
    QHash<qint64, FrameNature> natures;
    QSet<qint64> absent;
    QDateTime end;
};

// Every quarter hour from two hours before the one holding `now` to six hours after it, then every
// whole hour up to 48 hours after `now`.
[[nodiscard]] QList<qint64> rainFrameInstants(const QDateTime &now);
// Whether `t` is one of the quarter hours (the rest are hours).
[[nodiscard]] bool isQuarterFrame(qint64 t, const QDateTime &now);
// <carte zone="metropole" proj="EPSG:2154" …><image t="…" href="/carte/pluie/…"/>…</carte>, its
// times in French legal time with their offset; an absent frame is an image without a link.
[[nodiscard]] QByteArray rainIndexXml(const RainMapIndex &index, const MapGrid &grid = kFranceGrid);
// The grid's bytes (columns × rows, row by row from the north) as an 8-bit greyscale PNG.
[[nodiscard]] QByteArray rainFramePng(const QByteArray &cells, const MapGrid &grid = kFranceGrid);

} // namespace service
