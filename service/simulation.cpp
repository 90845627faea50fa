#include "simulation.h"

#include "climate.h"
#include "conditions.h"
#include "sun.h"
#include "weathersystems.h"

#include <QHash>
#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <optional>

namespace service {
namespace {

constexpr double kTwoPi = 2 * M_PI;

// One place's weather as a function of the instant: the climate's normals, a slowly wandering
// anomaly shared with the neighbours, the systems' sky, and the day's curve between sunrise and mid
// afternoon, damped under cloud.
class Weather {
public:
    Weather(const City &city, const QTimeZone &zone) : city_(city), zone_(zone), climate_(city), systems_(city, climate_) {}

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
        const Normals n = climate_.on(h.local.date());
        // The anomaly drifts east with the weather, so that neighbours share it.
        const double days = double(utc) / 86400, east = city_.longitude / 6;
        // The tropics vary far less from day to day than the mid-latitudes.
        const double swing = climate_.tropical() ? 0.35 : 1.0;
        const double anomaly = swing * (2.6 * std::sin(kTwoPi * (days - east) / 7.3 + 1.3) + 1.6 * std::sin(kTwoPi * (days - east) / 17.9 + 4.1))
                               + h.sky.airMass;
        // The normals hold cloudy and clear days alike: a clear day is wider than the normal, an
        // overcast one narrower.
        // At most 6.5 °C either side of the mean, so that no morning climbs more than 3 °C an hour.
        const double mean = (n.high + n.low) / 2 + anomaly,
                     half = std::min(6.5, (n.high - n.low) / 2 * std::clamp(1.25 - 0.6 * h.sky.cloud, 0.5, 1.2));
        const double wet = std::min(1.0, h.sky.rain / 6);
        h.temperature = mean + half * shape(hourOfDay, day.sunriseHour) - 1.2 * wet;
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
        days_.append(d);
        return days_.last();
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
    QList<Day> days_;
    QHash<qint64, Hour> hours_;
};

double windChill(double temperature, double wind)
{
    const double v16 = std::pow(std::max(wind, 0.1), 0.16);
    return 13.12 + 0.6215 * temperature - 11.37 * v16 + 0.3965 * temperature * v16;
}

// What the body feels: wind chill when it is cold and windy, the heat index when it is hot and humid.
double feelsLike(double temperature, double humidity, double wind)
{
    if (temperature <= 10 && wind > 4.8)
        return windChill(temperature, wind);
    if (temperature >= 27 && humidity >= 40) {
        const double f = temperature * 9 / 5 + 32, rh = humidity;
        const double hi = -42.379 + 2.04901523 * f + 10.14333127 * rh - 0.22475541 * f * rh - 6.83783e-3 * f * f
                          - 5.481717e-2 * rh * rh + 1.22874e-3 * f * f * rh + 8.5282e-4 * f * rh * rh - 1.99e-6 * f * f * rh * rh;
        return std::max(temperature, (hi - 32) * 5 / 9);
    }
    return temperature;
}

bool wet(int wmo)
{
    return wmo >= 51;  // drizzle and beyond; fog (45, 48) is dry
}

// The day part's condition: its worst precipitation, else its usual sky.
int partCondition(const QList<int> &codes)
{
    int worst = -1, clouds = 0, fog = 0;
    for (const int c : codes) {
        if (wet(c) && (worst < 0 || c > worst))
            worst = c;
        clouds += c == 45 ? 3 : c;
        fog += c == 45;
    }
    if (worst >= 0)
        return worst;
    if (codes.isEmpty())
        return 0;
    if (fog * 3 >= codes.size())
        return 45;
    return std::clamp(int(std::lround(double(clouds) / codes.size())), 0, 3);
}

// The warnings a forecaster would issue on this weather: strong gusts, heavy rain over a day, thunder,
// snow and freezing rain, several hot or freezing days in a row, each yellow, orange or red by
// severity over the span it covers. Published at 6 h and 16 h, as Météo-France's map is.
Vigilance simulatedVigilance(const City &city, const WeatherReport &r, const QDateTime &nowUtc)
{
    VigilanceMap map;
    QList<Warning> &found = map.byDepartment[city.department];
    const auto add = [&](int phenomenon, int colour, const QDateTime &begin, const QDateTime &end) {
        if (colour >= 2)
            found.append({phenomenon, colour, begin.toUTC(), end.toUTC()});
    };
    const auto byHours = [&](int phenomenon, auto severity) {
        int worst = 1;
        std::optional<QDateTime> from, to;
        for (const HourForecast &h : r.hours)
            if (const int c = severity(h); c >= 2) {
                worst = std::max(worst, c);
                from = from.value_or(h.time);
                to = h.time.addSecs(3600);
            }
        if (from)
            add(phenomenon, worst, *from, *to);
    };
    byHours(1, [](const HourForecast &h) { return h.windGust >= 120 ? 4 : h.windGust >= 95 ? 3 : h.windGust >= 75 ? 2 : 1; });
    byHours(3, [](const HourForecast &h) { return h.wmo == 99 ? 3 : h.wmo >= 95 ? 2 : 1; });
    byHours(5, [](const HourForecast &h) {
        return h.wmo == 66 || h.wmo == 67 ? 3 : h.wmo == 75 || h.wmo == 86 ? 3 : (h.wmo >= 71 && h.wmo <= 77) || h.wmo == 85 || h.wmo == 56 || h.wmo == 57 ? 2 : 1;
    });
    // Rain: what a day of the 48 hours gathers.
    QHash<QDate, double> rainByDay;
    for (const HourForecast &h : r.hours)
        rainByDay[h.time.date()] += h.precipitation;
    for (auto it = rainByDay.cbegin(); it != rainByDay.cend(); ++it) {
        const int colour = it.value() >= 100 ? 4 : it.value() >= 60 ? 3 : it.value() >= 30 ? 2 : 1;
        const QDateTime day(it.key(), QTime(0, 0), r.observed.timeZone());
        add(2, colour, day, day.addDays(1));
    }
    // Heat and cold: three days in a row at least.
    const auto runs = [&](int phenomenon, auto severity) {
        for (qsizetype i = 0; i + 2 < r.days.size(); ++i) {
            const int c = std::min({severity(r.days[i]), severity(r.days[i + 1]), severity(r.days[i + 2])});
            if (c >= 2) {
                add(phenomenon, c, QDateTime(r.days[i].date, QTime(0, 0), r.observed.timeZone()),
                    QDateTime(r.days[i + 2].date.addDays(1), QTime(0, 0), r.observed.timeZone()));
                break;
            }
        }
    };
    runs(6, [](const DayForecast &d) { return d.high >= 40 ? 4 : d.high >= 36 ? 3 : d.high >= 33 ? 2 : 1; });
    runs(7, [](const DayForecast &d) { return d.low <= -18 ? 4 : d.low <= -12 ? 3 : d.low <= -8 ? 2 : 1; });
    const QDateTime local = nowUtc.toTimeZone(r.observed.timeZone());
    const QDateTime six(local.date(), QTime(6, 0), r.observed.timeZone()), sixteen(local.date(), QTime(16, 0), r.observed.timeZone());
    map.updated = (local >= sixteen ? sixteen : local >= six ? six : sixteen.addDays(-1)).toUTC();
    return Vigilance{city.department, map.updated, warningsAhead(map, city.department, nowUtc)};
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

    const Weather::Hour now = weather.at(nowUtc.toSecsSinceEpoch());  // a copy: the memo grows
    r.daylight = now.daylight;
    r.wmo = now.wmo;
    r.temperature = rounded(now.temperature);
    r.feelsLike = rounded(feelsLike(now.temperature, now.humidity, now.wind));
    r.humidity = rounded(now.humidity);
    r.dewPoint = rounded(dewPoint(now.temperature, now.humidity));
    r.pressure = std::round(now.pressure * 10.0) / 10.0;
    r.tendency = tendencyText(now.pressure - weather.at(nowUtc.toSecsSinceEpoch() - 3 * 3600).pressure);
    r.windSpeed = now.wind;
    r.windGust = now.wind * 1.45 + 3.0;
    r.windDirection = rounded(now.direction) % 360;
    r.visibility = now.wmo == 45 ? 0.4 : wet(now.wmo) ? std::max(1.0, 12 - 1.5 * now.sky.rain) : 12 + 18 * (1 - now.sky.cloud);
    r.visibility = std::round(r.visibility * 10.0) / 10.0;

    // UV: strongest at solar noon, with the season's sun height, weakened by clouds; none at night.
    const auto &today = weather.dayOf(local.date());
    const double declination = 23.44 * std::sin(kTwoPi * (local.date().dayOfYear() - 81) / 365.0);
    const double noonElevation = (90.0 - std::abs(city.latitude - declination)) * M_PI / 180.0;
    const double dayLength = double(today.sunset - today.sunrise);
    const double progress = dayLength > 0 ? double(nowUtc.toSecsSinceEpoch() - today.sunrise) / dayLength : 0.0;
    const double height = r.daylight ? std::sin(M_PI * std::clamp(progress, 0.0, 1.0)) : 0.0;
    r.uvIndex = rounded(12.0 * std::pow(std::max(0.0, std::sin(noonElevation)), 2.5) * (1 - 0.7 * now.sky.cloud) * std::pow(height, 1.5));

    // The 48 hours and the 8 quarters, counted as instants from the current ones: every hour
    // 3,600 s after the last, the October night's repeated hour included.
    const QTime wall = local.time();
    const qint64 hour0 = nowUtc.toSecsSinceEpoch() - (wall.minute() * 60 + wall.second());
    for (int i = 0; i < 48; ++i) {
        const Weather::Hour w = i == 0 ? now : weather.at(hour0 + 3600 * i);  // a copy: the memo grows
        HourForecast h;
        h.time = i == 0 ? QDateTime::fromSecsSinceEpoch(hour0, zone) : w.local;
        // The hour's rain: its four quarters.
        // The hour's rain: at its start (as its condition) and its middle, for the hours the strip
        // and the chart show closest; showers last an hour or more, so these meet them.
        h.precipitation = (w.sky.rain + weather.at(hour0 + 3600 * i + 1800).sky.rain) / 2;
        h.precipitation = h.precipitation >= 0.1 ? std::round(h.precipitation * 10) / 10 : 0;
        h.wmo = w.wmo;
        if (!wet(h.wmo) && h.precipitation > 0 && i > 0)
            h.wmo = 80;  // a shower within the hour
        if (wet(h.wmo) && h.precipitation == 0 && i > 0)
            h.precipitation = 0.1;
        h.daylight = w.daylight;
        h.temperature = i == 0 ? r.temperature : w.temperature;
        h.feelsLike = i == 0 ? r.feelsLike : feelsLike(w.temperature, w.humidity, w.wind);
        h.rainChance = h.precipitation > 0 ? std::clamp(int(50 + 10 * h.precipitation), 60, 100) : rounded(25 * w.sky.cloud);
        h.windSpeed = w.wind;
        h.windGust = w.wind * 1.45 + 3.0;
        h.windDirection = rounded(w.direction) % 360;
        r.hours << h;
    }
    // The current quarter rains exactly when the current conditions say so.
    const qint64 quarter0 = nowUtc.toSecsSinceEpoch() - (wall.minute() % 15 * 60 + wall.second());
    for (int q = 0; q < 8; ++q) {
        const double rate = (q == 0 ? now : weather.at(quarter0 + 900 * q + 450)).sky.rain;
        r.rain << RainQuarter{QDateTime::fromSecsSinceEpoch(quarter0 + 900 * q, zone), rate >= 0.1 ? std::round(rate * 25) / 100 : 0.0};
    }
    if (isMetropolitanDepartment(city.department))
        r.vigilance = simulatedVigilance(city, r, nowUtc);
    return r;
}

} // namespace service
