// SPDX-License-Identifier: GPL-2.0-or-later
// The offline source's report: its nine days here; the current conditions, the hours and the
// warnings in their own files, all from one place's weather (simulatedweather.h).
#include "simulation.h"

#include "service/document/conditions.h"
#include "simulatedweather.h"
#include "service/document/warning.h"

namespace service {
namespace {

// The nine days from the local today: highs and lows from their own hours, each part's condition,
// the chance of rain from its wet hours, the day's strongest wind.
void simulateDays(Weather &weather, const QDateTime &local, WeatherReport &r)
{
    const QTimeZone zone = local.timeZone();
    for (int i = 0; i < 9; ++i) {
        const QDate date = local.date().addDays(i);
        const auto &day = weather.dayOf(date);
        DayForecast d;
        d.date = date;
        // The days the 48 hours show, hour by hour; the later ones every other hour.
        const int step = i < 3 ? 1 : 2;
        const auto [hi, lo] = weather.extremes(date, step);
        d.high = rounded(hi);
        d.low = rounded(lo);
        d.sunrise = day.rise;
        d.sunset = day.set;
        QList<int> daytime, night;
        int wetHours = 0;
        const qint64 midnight = QDateTime(date, QTime(0, 0), zone).toSecsSinceEpoch();
        double strongest = -1, direction = 0;
        for (int h = 0; h < 24; h += step) {
            const Weather::Hour &hour = weather.at(midnight + 3600 * h);
            (hour.daylight ? daytime : night) << hour.wmo;
            if (hour.wind > strongest) {
                strongest = hour.wind;
                direction = hour.direction;
            }
            wetHours += wet(hour.wmo) * step;
        }
        d.windSpeed = strongest;
        d.windDirection = rounded(direction) % 360;
        d.dayWmo = partCondition(daytime);
        d.nightWmo = partCondition(night);
        d.rainChance = wetHours > 0 ? std::min(100, 25 + 6 * wetHours) : d.dayWmo >= 2 ? 10 : 0;
        r.days << d;
    }
}

} // namespace

WeatherReport simulate(const City &city, const QDateTime &nowUtcExact)
{
    const QTimeZone zone(city.timeZone());
    const QDateTime nowUtc = QDateTime::fromSecsSinceEpoch(nowUtcExact.toSecsSinceEpoch() / 60 * 60, QTimeZone::utc());
    const QDateTime local = nowUtc.toTimeZone(zone);
    Weather weather(city, zone);

    WeatherReport r = reportOf(city, "simulation");
    r.validUntil = nowUtc.addSecs(60);  // the simulation moves on once a minute
    r.observed = local;
    simulateDays(weather, local, r);
    simulateCurrent(weather, city, nowUtc, r);
    simulateHours(weather, nowUtc, r);
    if (isMetropolitanDepartment(city.department))
        r.vigilance = simulatedVigilance(city, r, nowUtc);
    r.air = simulatedAir(weather, city, nowUtc);
    return r;
}

} // namespace service
