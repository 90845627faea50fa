// SPDX-License-Identifier: GPL-2.0-or-later
// One weather report of the service, whatever its source, and the XML document the viewer reads.
#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <optional>

#include "airreport.h"
#include "warning.h"

namespace service {

struct DayForecast {
    QDate date;
    int high = 0, low = 0;
    QTime sunrise, sunset;  // local
    int dayWmo = 0, nightWmo = 0;
    int rainChance = 0;  // percent
    std::optional<double> windSpeed;  // km/h, the day's strongest mean wind, when the source gives it
    int windDirection = 0;            // degrees, the wind's then
};

// One hour of the 48 ahead, from the current one.
struct HourForecast {
    QDateTime time;  // in the place's zone, on its local hour
    double temperature = 0, feelsLike = 0;  // °C, to the tenth: the chart draws a curve through them
    int wmo = 0;
    bool daylight = true;
    int rainChance = 0;          // percent
    double precipitation = 0;    // mm in the hour
    double windSpeed = 0, windGust = 0;  // km/h
    int windDirection = 0;               // degrees
};

// One quarter hour of the two ahead: mm of rain in it.
struct RainQuarter {
    QDateTime start;  // in the place's zone
    double precipitation = 0;
};

struct WeatherReport {
    QByteArray code, place, station;
    double latitude = 0, longitude = 0;
    QDateTime observed;  // local time of the place
    int temperature = 0, feelsLike = 0, dewPoint = 0;
    int wmo = 0;
    bool daylight = true;
    double pressure = 0;   // mb
    QByteArray tendency;   // "rising", "falling", "steady"
    double windSpeed = 0, windGust = 0;  // km/h
    int windDirection = 0;               // degrees
    int humidity = 0;
    double visibility = 0;  // km
    int uvIndex = 0;
    QList<DayForecast> days;  // first is today
    QList<HourForecast> hours;  // 48 from the current hour
    QList<RainQuarter> rain;    // 8 from the current quarter hour
    QDateTime validUntil;     // UTC; until then the source gives this same report again
    // What the source left out and why ("heures omises : …"), for the request's log line.
    QByteArrayList omitted;
    std::optional<Vigilance> vigilance;  // metropolitan communes, when a map is known
    std::optional<AirReport> air;        // where the source has the air
};

// "3:52 PM": the time texts of the document.
QByteArray twelveHourText(QTime time);
// "06/12/2026 15:52 heure locale"
QByteArray updateText(const QDateTime &local);

// The document, with at most `days` forecast days.
QByteArray toXml(const WeatherReport &report, int days);
// A small document explaining why there is no weather: <error><code>..</code><message>..</message></error>
QByteArray errorXml(int status, const QByteArray &message);

} // namespace service
