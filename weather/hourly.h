// The hours ahead of the stored document, as the 48-hour window shows them: the hour-by-hour values,
// the rain of the next two hours by quarter hour, the nights between them, and the texts and scales
// that the window draws. A document without these sections (another service) has none.
#pragma once
#include "extraction.h"

#include <QDateTime>
#include <QList>
#include <optional>

namespace meteo {

struct HourPoint {
    QDateTime time;                      // local, as the document writes it
    std::optional<int> temperature, feelsLike, chance, gust;  // °C, %, km/h; absent when unreadable
    std::optional<double> precipitation;  // mm in the hour
};

struct RainSlot {
    QDateTime start;
    double mm = 0;  // in the quarter hour
};

enum class RainIntensity { None, Light, Moderate, Heavy };

struct HourlyForecast {
    bool present = false;                 // the document has an "hours" section
    QList<HourPoint> hours;
    QList<RainSlot> rain;
    QList<std::pair<QDateTime, QDateTime>> nights;  // sunset to the next sunrise, within the hours
};

HourlyForecast readHourly(const WeatherDocument &doc);

// A scale covering lo..hi with a margin, in round steps: 1, 2, 2.5 or 5 times a power of ten.
struct Scale {
    double low = 0, high = 1, step = 1;
};
[[nodiscard]] Scale niceScale(double lo, double hi, int steps = 4);

// By the hourly rate of a quarter hour's rain: aucune < 0.1 mm/h ≤ faible < 2.5 ≤ modérée < 7.6 ≤ forte.
[[nodiscard]] RainIntensity intensityOf(double mmInQuarter);
QByteArray hourText(const QDateTime &t);  // "14 h 15"
// "Pas de pluie prévue d'ici 16 h 00", "Pluie faible à partir de 14 h 15", "Pluie modérée en cours,
// fin vers 15 h 00".
QByteArray rainSentence(const QList<RainSlot> &rain);
// "mardi 15 h : 7 °C (ressenti 4 °C), pluie 1,2 mm (80 %), rafales 45 km/h"
QByteArray hourTooltip(const HourPoint &h);
// In words, for a screen reader: the temperature range, the rainy periods, the strongest gust.
QByteArray hourlyDescription(const HourlyForecast &f);

} // namespace meteo
