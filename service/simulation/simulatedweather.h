// SPDX-License-Identifier: GPL-2.0-or-later
// The simulation's one place: its weather as a function of the instant (the climate's normals, a
// slowly wandering anomaly shared with the neighbours, the systems' sky, the day's curve), and the
// formulas every part of a simulated report shares. Used by the parts of simulate(), one file a job:
// the days (simulation.cpp), the current conditions and the hours and quarters (simulatedhours.cpp),
// the warnings (simulatedvigilance.cpp).
#pragma once
#include "climate.h"
#include "service/document/report.h"
#include "sun.h"
#include "weathersystems.h"

#include <QHash>
#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <deque>
#include <optional>

namespace service {

// One place's weather as a function of the instant: the climate's normals, a slowly wandering
// anomaly shared with the neighbours, the systems' sky, and the day's curve between sunrise and mid
// afternoon, damped under cloud.
class Weather {
public:
    Weather(const City &city, const QTimeZone &zone) : Weather(city, zone, Climate(city)) {}
    // With the place's climate already worked out: the rain map asks for thousands of places again
    // and again.
    Weather(const City &city, const QTimeZone &zone, const Climate &climate)
        : city_(city), zone_(zone), climate_(climate), systems_(city, climate_)
    {
    }

    struct Hour {
        QDateTime local;
        Sky sky;
        double temperature = 0, humidity = 0, pressure = 0, wind = 0, direction = 0;
        bool daylight = true;
        int wmo = 0;
    };

    // Memoised: the days' extremes, their parts and the 48 hours ask for the same instants.
    const Hour &at(qint64 utc)
    {
        if (const auto it = hours_.constFind(utc); it != hours_.cend())
            return *it;
        return *hours_.insert(utc, compute(utc));
    }

    Hour compute(qint64 utc)
    {
        Hour h;
        h.local = QDateTime::fromSecsSinceEpoch(utc, Qt::OffsetFromUTC, offsetAt(utc));
        const double hourOfDay = h.local.time().msecsSinceStartOfDay() / 3600000.0;
        h.sky = systems_.at(utc, hourOfDay);
        const Day &day = dayOf(h.local.date());
        h.daylight = utc >= day.sunrise && utc < day.sunset;
        const double days = double(utc) / 86400;
        const double wet = std::min(1.0, h.sky.rain / 6);
        h.temperature = airTemperature(utc, h.sky, h.local.date(), hourOfDay, day.sunriseHour);
        rawTemperatures_.insert(utc, h.temperature);
        // After the afternoon's peak the air only cools, or warms slowly (a warm front): a storm's
        // cool air and its clouds going at dusk never warm the evening again.
        if (hourOfDay >= 15 || hourOfDay < day.sunriseHour)
            for (int k = 1; k <= 4; ++k) {
                const double hourBefore = std::fmod(hourOfDay - k + 24, 24);
                if (hourBefore < 15 && hourBefore >= day.sunriseHour)
                    break;  // back in the day's warming
                h.temperature = std::min(h.temperature, 0.25 * k + rawTemperature(utc - 3600 * k));
            }
        h.humidity = std::clamp(68 + 22 * h.sky.cloud + 10 * wet - 14 * shape(hourOfDay, day.sunriseHour) + (climate_.tropical() ? 6 : 0), 25.0, 100.0);
        h.pressure = 1016 + 5 * std::sin(kTwoPi * days / 5.3 + city_.latitude) - h.sky.depression;
        h.wind = std::max(0.0, 7 + 6 * (0.5 + 0.5 * std::sin(kTwoPi * days / 3.3 + city_.longitude)) + h.sky.windBoost
                                   + (climate_.atlantic() > 1 ? 6 : 0));
        h.direction = std::fmod(360 + 245 + 45 * h.sky.veer + 30 * std::sin(kTwoPi * days / 4.1), 360);
        h.wmo = condition(h);
        return h;
    }

    // Highs and lows of a local day, from its own hours: the forecast agrees with the hours.
    std::pair<double, double> extremes(QDate date, int step)
    {
        double hi = -100, lo = 100;
        const qint64 end = QDateTime(date.addDays(1), QTime(0, 0), zone_).toSecsSinceEpoch();
        for (qint64 t = QDateTime(date, QTime(0, 0), zone_).toSecsSinceEpoch(); t < end; t += 3600 * step) {
            const double v = at(t).temperature;
            hi = std::max(hi, v);
            lo = std::min(lo, v);
        }
        return {hi, lo};
    }

    struct Day {
        QDate date;
        qint64 sunrise = 0, sunset = 0;  // UTC seconds
        double sunriseHour = 6;          // local
        QTime rise, set;                 // local
    };

    const Day &dayOf(QDate date)
    {
        for (const Day &d : days_)
            if (d.date == date)
                return d;
        const SunTimes sun = sunTimes(city_.latitude, city_.longitude, date);
        Day d{date, sun.sunrise.toSecsSinceEpoch(), sun.sunset.toSecsSinceEpoch(), 6, sun.sunrise.toTimeZone(zone_).time(),
              sun.sunset.toTimeZone(zone_).time()};
        d.sunriseHour = d.rise.msecsSinceStartOfDay() / 3600000.0;
        days_.push_back(d);
        return days_.back();
    }

    const Climate &climate() const { return climate_; }

private:
    // The zone's offset. Legal time changes on the hour and at most once in the dozen days a report
    // spans: the offsets at both ends of that span, and the hour of the change found once between
    // them, answer every instant without asking the zone again.
    int offsetAt(qint64 utc)
    {
        const qint64 hour = utc / 3600 - (utc % 3600 < 0);
        if (!span_ || hour < span_->from || hour > span_->to) {
            Span s{hour - 48, hour + 24 * 12, zoneOffset(hour - 48), zoneOffset(hour + 24 * 12), 0};
            qint64 lo = s.from, hi = s.to;  // the first hour with the later offset
            while (s.before != s.after && hi - lo > 1) {
                const qint64 mid = (lo + hi) / 2;
                (zoneOffset(mid) == s.before ? lo : hi) = mid;
            }
            s.change = hi;
            span_ = s;
        }
        return hour < span_->change ? span_->before : span_->after;
    }
    int zoneOffset(qint64 hour) const { return zone_.offsetFromUtc(QDateTime::fromSecsSinceEpoch(hour * 3600, QTimeZone::utc())); }
    struct Span {
        qint64 from, to;
        int before, after;
        qint64 change;
    };
    std::optional<Span> span_;

    // The same for an instant of its own, remembered: the evenings ask for the hours before theirs.
    double rawTemperature(qint64 utc)
    {
        if (const auto it = rawTemperatures_.constFind(utc); it != rawTemperatures_.cend())
            return *it;
        const QDateTime local = QDateTime::fromSecsSinceEpoch(utc, Qt::OffsetFromUTC, offsetAt(utc));
        const double hourOfDay = local.time().msecsSinceStartOfDay() / 3600000.0;
        const double t = airTemperature(utc, systems_.at(utc, hourOfDay), local.date(), hourOfDay, dayOf(local.date()).sunriseHour);
        rawTemperatures_.insert(utc, t);
        return t;
    }

    // The air's temperature from the normals, the anomaly and the sky of that instant alone.
    double airTemperature(qint64 utc, const Sky &sky, QDate date, double hourOfDay, double sunriseHour) const
    {
        const Normals n = climate_.on(date);
        // The anomaly drifts east with the weather, so that neighbours share it.
        const double days = double(utc) / 86400, east = city_.longitude / 6;
        // The tropics vary far less from day to day than the mid-latitudes.
        const double swing = climate_.tropical() ? 0.35 : 1.0;
        const double anomaly = swing * (2.6 * std::sin(kTwoPi * (days - east) / 7.3 + 1.3) + 1.6 * std::sin(kTwoPi * (days - east) / 17.9 + 4.1))
                               + sky.airMass;
        // The normals hold cloudy and clear days alike: a clear day is wider than the normal, an
        // overcast one narrower.
        // At most 6.5 °C either side of the mean, so that no morning climbs more than 3 °C an hour.
        const double mean = (n.high + n.low) / 2 + anomaly,
                     half = std::min(6.5, (n.high - n.low) / 2 * std::clamp(1.25 - 0.6 * sky.cloud, 0.5, 1.2));
        const double wet = std::min(1.0, sky.rain / 6);
        return mean + half * shape(hourOfDay, sunriseHour) - 1.2 * wet;
    }

    // -1 at sunrise, 1 at 15 h, joined by half cosines: the day's curve, smooth at both ends.
    static double shape(double hour, double sunrise)
    {
        sunrise = std::clamp(sunrise, 3.0, 10.0);
        if (hour >= sunrise && hour < 15)
            return -std::cos(M_PI * (hour - sunrise) / (15 - sunrise));
        const double since = std::fmod(hour - 15 + 24, 24);
        return std::cos(M_PI * since / (24 - 15 + sunrise));
    }

    // The condition the hour's sky and temperature make: snow only when it is cold enough, freezing
    // rain only on a frozen ground under a warm layer, thunder only in warm showers.
    int condition(const Hour &h) const
    {
        const double r = h.sky.rain, t = h.temperature;
        if (r >= 0.1) {
            if (t <= 0 && t > -5 && h.sky.freezingAloft)
                return r < 0.5 ? 56 : r < 2.5 ? 66 : 67;
            if (t <= 1)
                return h.sky.convective ? (r < 2 ? 85 : 86) : r < 1 ? 71 : r < 4 ? 73 : 75;
            if (h.sky.convective)
                return t >= 18 && r >= 8 ? (r >= 20 && t >= 24 ? 99 : 95) : r < 2.5 ? 80 : r < 7.6 ? 81 : 82;
            if (r < 0.5)
                return r < 0.2 ? 51 : 53;
            return r < 2.5 ? 61 : r < 7.6 ? 63 : 65;
        }
        if (h.humidity >= 97 && h.wind < 9 && h.sky.cloud < 0.7)
            return 45;
        const double c = h.sky.cloud;
        return c < 0.2 ? 0 : c < 0.45 ? 1 : c < 0.75 ? 2 : 3;
    }

    const City &city_;
    QTimeZone zone_;
    Climate climate_;
    Systems systems_;
    std::deque<Day> days_;  // a deque: a day handed out stays where it is as others are added
    QHash<qint64, Hour> hours_;
    QHash<qint64, double> rawTemperatures_;  // before the evening's rule
};


// The strongest gust of an hour whose mean wind is `wind` km/h.
double gustOf(double wind);
double windChill(double temperature, double wind);
// What the body feels: wind chill when it is cold and windy, the heat index when it is hot and humid.
double feelsLike(double temperature, double humidity, double wind);
bool wet(int wmo);
// The UV index with the sun `elevation` degrees high: Madronich's clear-sky formula with the ozone of
// the latitude (thinner in the tropics), a little more at altitude, less under cloud (0..1).
double uvIndex(double elevation, double latitude, int altitude, double cloud);
// The day part's condition: its worst precipitation, else its usual sky.
int partCondition(const QList<int> &codes);

// The parts of a report, each from the same place's weather.
void simulateCurrent(Weather &weather, const City &city, const QDateTime &nowUtc, WeatherReport &r);
void simulateHours(Weather &weather, const QDateTime &nowUtc, WeatherReport &r);
Vigilance simulatedVigilance(const City &city, const WeatherReport &r, const QDateTime &nowUtc);
std::optional<AirReport> simulatedAir(Weather &weather, const City &city, const QDateTime &nowUtc);

} // namespace service
