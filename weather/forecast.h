// SPDX-License-Identifier: GPL-2.0-or-later
// The nine-day forecast of the stored weather document, as the forecast window shows it: one record
// of finished texts per day. A missing, empty or "N/A" value is "—" in its place; a bad day never
// stops the others.
#pragma once
#include "display.h"
#include "extraction.h"

#include <QDateTime>
#include <QList>
#include <optional>

namespace meteo {

struct ForecastDay {
    QByteArray day;                  // "lundi 7 déc."
    QByteArray dayIcon, nightIcon;   // icon codes as written; may be empty or unsafe
    QByteArray sky;                  // the day part's condition, translated
    QByteArray nightSky;             // the night part's
    QByteArray temperatures;         // "9°C / 3°C", "—" for a value that cannot be read
    std::optional<double> high, low;  // for the chart; absent when missing, unreadable or impossible
    QByteArray sun;                  // "08:34:00 – 16:54:00"
    QByteArray chance;               // "80 %": the likelier of the day's and the night's chance of rain
    std::optional<double> chanceOfRain;  // the same, in %; absent when neither can be read
    QByteArray wind;                 // "15 km/h SO", from the day part's wind
    QDate date;                      // the month and day of "dt" (in `today`'s year), invalid when unreadable
};

struct Forecast {
    QByteArray place;                // loc/dnam, "—" when absent
    QList<ForecastDay> days;         // the dayf/day elements in document order, at most nine
};

inline constexpr char kMissing[] = "—";

// `today` dates the "dt" texts, which carry no year.
Forecast readForecast(const WeatherDocument &doc, const Translator &traduire, QDate today = QDate::currentDate());

// "Reçues le lundi 7 déc. à 03:54": when the document was received (stored).
QByteArray receivedText(const QDateTime &received);
// Whether a document received then is too old to be taken as current (more than three hours).
[[nodiscard]] bool isStale(const QDateTime &received, const QDateTime &now);

// "Aujourd'hui" or "Demain" when the day is `today` or the day after, else its "lundi 7 déc.".
QByteArray relativeDayText(const ForecastDay &day, QDate today);

// "Monday" and "Dec 7" -> "lundi 7 déc."; each half that cannot be read is "—".
QByteArray frenchDayText(const QByteArray &weekday, const QByteArray &monthDay);

} // namespace meteo
