// SPDX-License-Identifier: GPL-2.0-or-later
// The hours ahead of the stored document, as the 48-hour window shows them: the hour-by-hour values,
// the rain of the next two hours by quarter hour, the nights between them, and the texts and scales
// that the window draws. A document without these sections (another service) has none.
// Every value is read or refused: a missing, malformed or physically impossible one is absent, never
// zero. Texts that speak of "now" take the clock as a parameter and compare instants.
#pragma once
#include "extraction.h"
#include "precipitation.h"

#include <QDateTime>
#include <QList>
#include <QPointF>
#include <optional>

namespace meteo {

// A wall-clock time that the place's clock shows once, or the first (summer) or second (winter) time
// on the night the clocks go back: "2 h 15 (heure d'été)", then "2 h 15 (heure d'hiver)".
enum class ClockSide : unsigned char { Once, Summer, Winter };

struct HourPoint {
    QDateTime time;  // the hour's start, in the place's own offset
    // °C, °C, %, km/h, mm in the hour; absent when unreadable or out of physical range
    std::optional<double> temperature, feelsLike, chance, gust, precipitation;
    QByteArray icon;  // the condition's icon code as written; may be empty or unsafe
    ClockSide side = ClockSide::Once;
};

struct RainSlot {
    QDateTime start;          // in the place's own offset
    std::optional<double> mm;  // in the quarter hour; absent when unreadable
    Precipitation kind = Precipitation::Rain;  // by the icon of the hour it falls in
    ClockSide side = ClockSide::Once;
};

enum class RainIntensity { None, Light, Moderate, Heavy };

struct HourlyForecast {
    bool present = false;  // the document has an "hours" section
    QByteArray place;      // "Brest": loc/dnam up to its first comma; empty when absent
    QList<HourPoint> hours;
    QList<RainSlot> rain;
    QList<std::pair<QDateTime, QDateTime>> nights;  // sunset to the next sunrise, within the hours
    std::optional<int> zone;  // loc/zone in seconds east of UTC; absent when unreadable

    // `now` in the place's own offset: that of the hour it falls in, else loc/zone, else this
    // computer's. Its date is the place's "today", which overseas is not this computer's.
    QDateTime placeTime(const QDateTime &now) const;
};

HourlyForecast readHourly(const WeatherDocument &doc);

// A decimal number as the service writes it ("12", "-3.5"), within lo..hi; nullopt otherwise
// ("NaN", "inf", "2,5", "1e3", "beaucoup", out of range).
[[nodiscard]] std::optional<double> readMeasure(const QByteArray &text, double lo, double hi);

// A scale covering lo..hi with a margin, in round steps: 1, 2, 2.5 or 5 times a power of ten.
struct Scale {
    double low = 0, high = 1, step = 1;
};
[[nodiscard]] Scale niceScale(double lo, double hi, int steps = 4);
// The smallest step of 1, 2, 2.5 or 5 times a power of ten that is at least `raw` (> 0).
[[nodiscard]] double roundStep(double raw);
// Tangents at each point of a monotone cubic through them (Fritsch–Carlson): between two points the
// curve stays within their values, so a smoothed temperature never shows a peak that is not there.
[[nodiscard]] QList<double> monotoneSlopes(const QList<QPointF> &points);
// By the hourly rate of a quarter hour's rain: aucune < 0.1 mm/h ≤ faible < 2.5 ≤ modérée < 7.6 ≤ forte.
[[nodiscard]] RainIntensity intensityOf(double mmInQuarter);
// "faible", "modérée", "forte"; empty for none.
QByteArray intensityWord(RainIntensity intensity);
QByteArray hourText(const QDateTime &t, ClockSide side = ClockSide::Once);  // "14 h 15", in the time's own offset
QByteArray clockSuffix(ClockSide side);  // " (heure d'été)", " (heure d'hiver)", or nothing
// The hours (quarters) that have not ended at `now`.
QList<HourPoint> hoursAhead(const QList<HourPoint> &hours, const QDateTime &now);
QList<RainSlot> quartersAhead(const QList<RainSlot> &rain, const QDateTime &now);
// "Pas de pluie prévue d'ici 16 h 00", "Pluie faible à partir de 14 h 15", "Pluie modérée en cours,
// fin vers 15 h 00", as seen at `now`; "Données de pluie illisibles" when a quarter cannot be read,
// "Pas de prévision de pluie à jour" once every quarter is past.
QByteArray rainSentence(const QList<RainSlot> &rain, const QDateTime &now);
// "mardi 15 h : 7 °C, ressenti 4 °C, pluie 1,2 mm/h (80 %), rafales 45 km/h"; "neige" and so on
// as the hour's icon says.
QByteArray hourTooltip(const HourPoint &h);
// What the wet hours (quarters) bring, one kind for all: Rain when none is wet.
[[nodiscard]] Precipitation wetHoursKind(const QList<HourPoint> &hours);
[[nodiscard]] Precipitation wetQuartersKind(const QList<RainSlot> &rain);
// In words, for a screen reader: the temperature range, the rainy periods, the strongest gust.
QByteArray hourlyDescription(const QList<HourPoint> &hours);

} // namespace meteo
