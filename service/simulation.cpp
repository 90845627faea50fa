#include "simulation.h"

#include "conditions.h"
#include "sun.h"

#include <QTimeZone>
#include <algorithm>
#include <cmath>

namespace service {
namespace {

constexpr double kTwoPi = 2 * M_PI;

// FNV-1a: a hash that stays the same across runs and Qt versions, unlike qHash.
quint64 fnv(const QByteArray &bytes)
{
    quint64 h = 1469598103934665603ULL;
    for (char c : bytes)
        h = (h ^ quint8(c)) * 1099511628211ULL;
    return h;
}

// A small deterministic generator, seeded per city and date.
class Dice {
public:
    explicit Dice(quint64 seed) : state_(seed | 1) {}
    double next()  // [0, 1)
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return double(state_ >> 11) / double(1ULL << 53);
    }
    template <class T>
    T pick(std::initializer_list<T> choices) { return choices.begin()[int(next() * choices.size()) % choices.size()]; }

private:
    quint64 state_;
};

// Smooth weather of one city: sums of slow sines with phases of its own, in days since the epoch.
struct Climate {
    const City &city;
    double phase[8];

    explicit Climate(const City &c) : city(c)
    {
        for (int i = 0; i < 8; ++i)
            phase[i] = double(fnv(c.code + QByteArray::number(i)) % 10000) / 10000.0 * kTwoPi;
    }
    bool coastal() const { return city.longitude < -1.0 || (city.latitude < 43.8 && city.longitude > 3.0); }
    double wave(double t, double period, int k) const { return std::sin(kTwoPi * t / period + phase[k]); }

    double seasonalMean(QDate d) const
    {
        const double yearMean = 12.3 - 0.62 * (city.latitude - 46.5) + (city.latitude < 44.0 && city.longitude > 2.5 ? 2.0 : 0.0);
        const double amplitude = coastal() ? 5.5 : 7.5 + 0.1 * city.longitude;
        return yearMean - amplitude * std::cos(kTwoPi * (d.dayOfYear() - 20) / 365.25);
    }
    double anomaly(double t) const { return 2.8 * wave(t, 6.7, 0) + 1.7 * wave(t, 13.1, 1) + 0.8 * wave(t, 3.1, 2); }
    double pressure(double t) const { return 1014.0 + 9.0 * wave(t, 5.3, 3) + 4.0 * wave(t, 2.1, 4); }
    double humidity(double t) const { return 74.0 + 12.0 * wave(t, 4.7, 5); }
    double windSpeed(double t) const
    {
        return std::max(0.0, 4.0 + 10.0 * (0.5 + 0.5 * wave(t, 3.3, 6)) + std::max(0.0, 1012.0 - pressure(t)) * 1.2
                                 + (coastal() ? 6.0 : 0.0));
    }
    double windDirection(double t) const { return std::fmod(560.0 + 120.0 * wave(t, 4.1, 7), 360.0); }
};

double daysOf(const QDateTime &utc)
{
    return double(utc.toMSecsSinceEpoch()) / 86400000.0;
}

bool wet(int wmo) { return wmo >= 51; }

// The day's weather drawn from the table, wetter when the pressure is low, snowy when it is cold.
int drawCondition(const Climate &climate, QDate date, double meanTemperature, double noonPressure)
{
    Dice dice(fnv(climate.city.code + date.toString(Qt::ISODate).toLatin1()));
    const double score = (1016.0 - noonPressure) / 10.0 + (dice.next() - 0.5) * 1.4;
    const bool cold = meanTemperature < 1.5, freezing = meanTemperature < 0.0 && meanTemperature > -4.0;
    const bool warm = meanTemperature > 16.0;
    if (score < -0.5)
        return dice.pick({0, 0, 1});
    if (score < 0.0)
        return dice.pick({1, 2});
    if (score < 0.4)
        return dice.pick({2, 3});
    if (score < 0.7)
        return cold ? dice.pick({3, 45, 48}) : dice.pick({3, 45, 51, 53});
    if (score < 1.1)
        return freezing ? dice.pick({56, 66}) : cold ? dice.pick({71, 85, 77}) : dice.pick({61, 80, 81, 53, 55});
    if (score < 1.6)
        return cold ? dice.pick({73, 86}) : warm ? dice.pick({63, 81, 95}) : dice.pick({63, 81, 82, 57, 67});
    return cold ? dice.pick({75, 86}) : warm ? dice.pick({95, 96, 99, 82}) : dice.pick({65, 82, 95});
}

// The heaviest rate of a wet condition's showers, mm of water an hour.
double peakRate(int wmo)
{
    if (wmo >= 95)
        return 10.0;
    if (wmo >= 71 && wmo <= 86 && wmo != 80 && wmo != 81 && wmo != 82)
        return 1.2;  // snow, as water
    if (wmo == 65 || wmo == 67 || wmo == 82)
        return 8.0;
    if (wmo == 63 || wmo == 81)
        return 3.5;
    return wmo >= 61 ? 1.5 : 0.4;  // rain, else drizzle
}

double windChill(double temperature, double wind)
{
    const double v16 = std::pow(std::max(wind, 0.1), 0.16);
    return temperature <= 10.0 && wind > 4.8 ? 13.12 + 0.6215 * temperature - 11.37 * v16 + 0.3965 * temperature * v16
                                             : temperature;
}

int rainChance(int wmo)
{
    return wmo >= 80 ? 70 : wmo >= 61 ? 80 : wmo >= 51 ? 60 : wmo == 3 ? 20 : wmo >= 45 ? 10 : wmo == 2 ? 10 : 0;
}

// The 48 hours and the 8 quarter hours ahead, told by the same days: on a wet day rain comes in
// showers of an hour or two every few hours; the current hour is the current conditions.
void simulateHours(WeatherReport &r, const Climate &climate)
{
    // Counted as instants from the current one: every hour 3,600 s after the last, so that the
    // October night's repeated hour is two hours and March's missing one none. Rebuilding the hour
    // from its wall-clock fields would pick one of the two 02:00s.
    const QDateTime now = r.observed;
    const QTime wall = now.time();
    const QDateTime hour0 = now.addSecs(-(wall.minute() * 60 + wall.second()));
    const auto indexOf = [&](const QDateTime &local) { return qBound(0, int(now.date().daysTo(local.date())), int(r.days.size()) - 1); };
    const auto dayOf = [&](const QDateTime &local) -> const DayForecast & { return r.days[indexOf(local)]; };
    // mm an hour at `local`; the current hour rains exactly when the current conditions say so.
    const auto rate = [&](const QDateTime &local) {
        const DayForecast &day = dayOf(local);
        const double peak = peakRate(day.dayWmo);
        const double s = std::sin(kTwoPi * daysOf(local.toUTC()) * 24.0 / 5.0 + climate.phase[2]);
        const double shower = wet(day.dayWmo) && s > 0.2 ? peak * (s - 0.2) / 0.8 : 0.0;
        if (local >= hour0 && local < hour0.addSecs(3600))
            return wet(r.wmo) ? std::max(shower, peak / 2) : 0.0;
        return shower;
    };
    const auto quarter = [&](const QDateTime &start) { return rate(start.addSecs(450)) / 4; };

    for (int i = 0; i < 48; ++i) {
        const QDateTime at = hour0.addSecs(3600 * i);
        const DayForecast &day = dayOf(at);
        HourForecast h;
        h.time = at;
        for (int q = 0; q < 4; ++q)
            h.precipitation += quarter(at.addSecs(900 * q));
        const bool rainy = h.precipitation >= 0.1;
        h.wmo = i == 0 ? r.wmo : rainy ? day.dayWmo : wet(day.dayWmo) ? 3 : day.dayWmo;
        if (!rainy)
            h.precipitation = 0;
        h.daylight = i == 0 ? r.daylight : at.time() >= day.sunrise && at.time() < day.sunset;
        h.rainChance = rainy ? std::max(day.rainChance, 60) : wet(day.dayWmo) ? 30 : day.rainChance;
        const double t = daysOf(at.toUTC());
        h.windSpeed = climate.windSpeed(t);
        h.windGust = h.windSpeed * 1.45 + 3.0;
        h.windDirection = rounded(climate.windDirection(t)) % 360;
        // The curve of its day, kept within the first two days' range (the hours that reach into the
        // third day stay with the forecast they are shown beside).
        const double lowest = std::min(r.days[0].low, r.days.value(1, r.days[0]).low);
        const double highest = std::max(r.days[0].high, r.days.value(1, r.days[0]).high);
        // Lows at 3 h, highs at 15 h, joined smoothly from one day to the next.
        const int index = indexOf(at), hour = at.time().hour();
        const DayForecast &before = r.days[std::max(index - 1, 0)], &after = r.days[std::min(index + 1, int(r.days.size()) - 1)];
        const auto ease = [](double a, double b, double f) { return a + (b - a) * (1 - std::cos(M_PI * f)) / 2; };
        const double curve = hour < 3    ? ease(before.high, day.low, (hour + 9) / 12.0)
                             : hour < 15 ? ease(day.low, day.high, (hour - 3) / 12.0)
                                         : ease(day.high, after.low, (hour - 15) / 12.0);
        const double temperature = std::clamp(curve, lowest, highest);
        h.temperature = i == 0 ? r.temperature : rounded(temperature);
        h.feelsLike = i == 0 ? r.feelsLike : rounded(windChill(temperature, h.windSpeed));
        r.hours << h;
    }
    const QDateTime quarter0 = now.addSecs(-(wall.minute() % 15 * 60 + wall.second()));
    for (int q = 0; q < 8; ++q) {
        const QDateTime start = quarter0.addSecs(900 * q);
        const double mm = quarter(start);
        r.rain << RainQuarter{start, mm >= 0.01 ? mm : 0.0};
    }
}

} // namespace

WeatherReport simulate(const City &city, const QDateTime &nowUtcExact)
{
    const QTimeZone zone(city.timeZone());
    const QDateTime nowUtc = QDateTime::fromSecsSinceEpoch(nowUtcExact.toSecsSinceEpoch() / 60 * 60, QTimeZone::utc());
    const QDateTime local = nowUtc.toTimeZone(zone);
    const Climate climate(city);
    const double t = daysOf(nowUtc);

    WeatherReport r = reportOf(city, "simulation");
    r.validUntil = nowUtc.addSecs(60);  // the simulation moves on once a minute
    r.observed = local;

    for (int i = 0; i < 9; ++i) {
        const QDate date = local.date().addDays(i);
        const double noon = daysOf(QDateTime(date, QTime(12, 0), zone).toUTC());
        const double mean = climate.seasonalMean(date) + climate.anomaly(noon);
        DayForecast d;
        d.date = date;
        d.dayWmo = drawCondition(climate, date, mean, climate.pressure(noon));
        d.nightWmo = d.dayWmo;
        const double range = wet(d.dayWmo) || d.dayWmo == 3 ? 4.0 : 8.5;
        d.high = rounded(mean + range / 2);
        d.low = rounded(mean - range / 2 - 1.0);
        const SunTimes sun = sunTimes(city.latitude, city.longitude, date);
        d.sunrise = sun.sunrise.toTimeZone(zone).time();
        d.sunset = sun.sunset.toTimeZone(zone).time();
        d.rainChance = rainChance(d.dayWmo);
        r.days << d;
    }

    const DayForecast &today = r.days.first();
    const double hours = local.time().msecsSinceStartOfDay() / 3600000.0;
    const double range = double(today.high - today.low);
    const double mean = (today.high + today.low) / 2.0;
    const double temperature = mean + range / 2 * std::cos(kTwoPi * (hours - 15.0) / 24.0);
    const QTime now = local.time();
    r.daylight = now >= today.sunrise && now < today.sunset;
    r.wmo = today.dayWmo;

    r.pressure = std::round(climate.pressure(t) * 10.0) / 10.0;
    r.tendency = tendencyText(climate.pressure(t) - climate.pressure(t - 3.0 / 24.0));
    const double humidity = std::clamp(climate.humidity(t) + (wet(r.wmo) ? 14.0 : 0.0)
                                           - 10.0 * std::cos(kTwoPi * (hours - 15.0) / 24.0), 25.0, 100.0);
    r.humidity = rounded(humidity);
    const double wind = climate.windSpeed(t);
    r.windSpeed = wind;
    r.windGust = wind * 1.45 + 3.0;
    r.windDirection = rounded(climate.windDirection(t)) % 360;
    r.temperature = rounded(temperature);
    // Wind chill below 10 degrees in a wind, as weather services report "feels like".
    r.feelsLike = rounded(windChill(temperature, wind));
    r.dewPoint = rounded(dewPoint(temperature, humidity));

    Dice dice(fnv(city.code + local.date().toString(Qt::ISODate).toLatin1() + "vis"));
    r.visibility = r.wmo == 45 || r.wmo == 48 ? 0.2 + 0.7 * dice.next()
                   : wet(r.wmo)               ? 4.0 + 5.0 * dice.next()
                                              : 10.0 + 15.0 * dice.next();
    r.visibility = std::round(r.visibility * 10.0) / 10.0;

    // UV: strongest at solar noon, with the season's sun height, weakened by clouds; none at night.
    const double declination = 23.44 * std::sin(kTwoPi * (local.date().dayOfYear() - 81) / 365.0);
    const double noonElevation = (90.0 - city.latitude + declination) * M_PI / 180.0;
    const double cloud = wet(r.wmo) ? 0.35 : r.wmo == 3 || r.wmo == 45 || r.wmo == 48 ? 0.5 : r.wmo == 2 ? 0.8 : 1.0;
    const double dayLength = today.sunrise.secsTo(today.sunset);
    const double progress = dayLength > 0 ? today.sunrise.secsTo(now) / dayLength : 0.0;
    const double height = r.daylight ? std::sin(M_PI * std::clamp(progress, 0.0, 1.0)) : 0.0;
    r.uvIndex = rounded(10.0 * std::pow(std::sin(noonElevation), 2.5) * cloud * std::pow(height, 1.5));
    simulateHours(r, climate);
    return r;
}

} // namespace service
