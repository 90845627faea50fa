#include "weathersystems.h"

#include <algorithm>
#include <cmath>

namespace service {
namespace {

constexpr double kTwoPi = 2 * M_PI;

// A number in [0, 1) for a key: SplitMix64, stable across runs and platforms.
double unit(quint64 key)
{
    quint64 z = key + 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return double(z >> 11) / double(1ULL << 53);
}

double unit(qint64 a, qint64 b, qint64 c = 0)
{
    return unit(quint64(a) * 1000003ULL ^ quint64(b) * 998244353ULL ^ quint64(c) * 7919ULL);
}

// 0 outside [from, to], rising and falling smoothly inside: the profile of a rainy spell.
double bump(double x, double from, double to)
{
    if (x <= from || x >= to)
        return 0;
    return std::pow(std::sin(M_PI * (x - from) / (to - from)), 2);
}

// The UTC date of an instant in hours: the season, without a time zone's cost.
QDate dateOf(double hours)
{
    return QDate(1970, 1, 1).addDays(qint64(std::floor(hours / 24)));
}

double bell(double x)
{
    return std::exp(-x * x);
}

// Kilometres east and north of the middle of France: where a system is.
struct Place {
    double east, north;
};

Place placeOf(const City &c)
{
    return {(c.longitude - 2.5) * 111.2 * std::cos(c.latitude * M_PI / 180), (c.latitude - 46.5) * 111.2};
}

constexpr double kFrontSpacingHours = 66;  // a front every two or three days on average
constexpr double kOriginKm = -900;         // where fronts start, west of Brittany

// The Atlantic fronts near `hours`: each spawns at an irregular time, crosses at its own speed and
// heading, carries a band of rain hours wide, a few showers behind it, and dies out at its own
// distance inland.
void addFronts(Sky &sky, const City &city, const Climate &climate, double hours)
{
    if (climate.atlantic() <= 0)
        return;
    const Place p = placeOf(city);
    const QDate date = dateOf(hours);
    // Fewer, weaker fronts in summer.
    const double summer = 0.5 + 0.5 * std::cos(kTwoPi * (date.dayOfYear() - 200) / 365.25);
    const qint64 nearest = qint64(std::floor(hours / kFrontSpacingHours));
    for (qint64 n = nearest - 3; n <= nearest + 1; ++n) {
        if (unit(n, 1) < 0.45 * summer)
            continue;  // a front that never formed
        const double start = (double(n) + 0.8 * (unit(n, 2) - 0.5)) * kFrontSpacingHours;
        const double speed = 30 + 30 * unit(n, 3);                        // km/h
        const double heading = (70 + 40 * unit(n, 4)) * M_PI / 180;     // toward ENE .. ESE
        const double along = p.east * std::sin(heading) + p.north * std::cos(heading);
        const double across = -p.east * std::cos(heading) + p.north * std::sin(heading);
        const double travelled = along - kOriginKm;
        const double reach = 500 + 1100 * unit(n, 5);                    // km before it dies out
        const double fade = std::pow(std::clamp(1 - travelled / reach, 0.0, 1.0), 0.7);
        const double passage = start + travelled / speed;                // hours: the front is here
        const double since = hours - passage;
        if (since < -30 || since > 40)
            continue;
        const double band = 3 + 10 * unit(n, 6);                         // hours of steady rain
        // Along the front the rain comes and goes over a hundred kilometres or so.
        const double patch = 0.55 + 0.45 * std::sin(across / (90 + 80 * unit(n, 7)) + kTwoPi * unit(n, 8));
        const double strength = (1.2 + 3.5 * unit(n, 9) * unit(n, 10)) * fade * climate.atlantic() * (1.15 - 0.5 * summer * 0.6);
        sky.rain += strength * patch * bump(since, -band / 3, band * 2 / 3);
        // Showers behind it, in cells a few tens of kilometres wide, for half a day.
        const qint64 cell = qint64(std::floor(across / 25)) * 31 + qint64(std::floor(since / 2));
        if (since > band * 2 / 3 && since < band + 12 && unit(n, 11, cell) < 0.3 * fade)
            sky.rain += 2.5 * climate.atlantic() * fade * bump(std::fmod(since, 2.0), 0, 2), sky.convective = true;
        sky.cloud = std::max(sky.cloud, fade * (since < 0 ? bell((since + 2) / 14) : bell(since / (band + 6))));
        const double depth = (8 + 16 * unit(n, 12)) * fade;
        sky.depression += depth * bell((since - 3) / 20);
        sky.windBoost += 30 * fade * unit(n, 13) * bell(since / 9);
        if (std::abs(since) < 30)
            sky.veer = std::tanh(since / 6);
        sky.airMass += fade * (since < 0 ? 1.2 * bell(since / 15) : -1.2 * bump(since, 0, 36));
        sky.freezingAloft = sky.freezingAloft || (unit(n, 14) < 0.3 && since < band / 2);
    }
}

// The Mediterranean's episodes: every fortnight or so, likely in autumn, a slow downpour.
void addEpisodes(Sky &sky, const City &city, const Climate &climate, double hours)
{
    if (climate.mediterranean() < 0.1)
        return;
    const Place p = placeOf(city);
    const QDate date = dateOf(hours);
    const double autumn = climate.wetSeason(date);
    const qint64 nearest = qint64(std::floor(hours / 330));
    for (qint64 k = nearest - 1; k <= nearest + 1; ++k) {
        if (unit(k, 21) > 0.12 + 0.6 * autumn)
            continue;
        const double start = (double(k) + 0.7 * unit(k, 22)) * 330 + (p.east + p.north) / 15;  // drifting north-east
        const double length = 6 + 16 * unit(k, 23);
        const double centre = 200 * (unit(k, 24) - 0.5);  // km east of the middle: Cévennes … Var
        const double reach = bell((p.east - centre) / 220);
        const double rate = (4 + 12 * unit(k, 25)) * climate.mediterranean() * reach;
        sky.rain += rate * bump(hours - start, 0, length);
        sky.cloud = std::max(sky.cloud, reach * bell((hours - start - length / 2) / (length * 0.9)));
        sky.depression += 6 * reach * bell((hours - start - length / 2) / 18);
        sky.windBoost += 15 * reach * bell((hours - start - length / 2) / 10);
        sky.convective = sky.convective || (rate > 8 && bump(hours - start, 0, length) > 0.3);
    }
}

// Afternoon showers: in the tropics on most days of the wet season, elsewhere on warm summer days.
// Each cell of a quarter degree has its own shower, or none, on each day.
void addAfternoonShowers(Sky &sky, const City &city, const Climate &climate, double hours, double localHour)
{
    const QDate date = dateOf(hours);
    const double chance = climate.tropical() ? 0.15 + 0.55 * climate.wetSeason(date)
                                             : std::clamp((climate.on(date).high - 22) / 25, 0.0, 0.3);
    if (chance <= 0)
        return;
    const qint64 cell = qint64(std::floor(city.latitude * 4)) * 4000 + qint64(std::floor(city.longitude * 4));
    const qint64 day = qint64(std::floor(hours / 24));
    if (unit(cell, day, 31) >= chance)
        return;
    const double begin = 12.5 + 4.5 * unit(cell, day, 32), length = 1 + 1.5 * unit(cell, day, 33);
    const double rate = (climate.tropical() ? 4 : 3) + 18 * unit(cell, day, 34) * unit(cell, day, 35);
    const double shower = bump(localHour, begin, begin + length);
    sky.rain += rate * shower;
    sky.cloud = std::max(sky.cloud, 0.8 * bump(localHour, begin - 3, begin + length + 2));
    sky.convective = sky.convective || shower > 0;
}

} // namespace

Sky skyAt(const City &city, const Climate &climate, qint64 utcSeconds, double localHour)
{
    const double hours = double(utcSeconds) / 3600;
    Sky sky;
    // Fair-weather cloud of the climate, drifting slowly.
    const double drift = std::sin(kTwoPi * hours / 41 + city.longitude / 3) * std::sin(kTwoPi * hours / 97 + city.latitude / 2);
    sky.cloud = std::clamp(0.25 + 0.2 * climate.atlantic() + 0.25 * drift, 0.0, 1.0);
    addFronts(sky, city, climate, hours);
    addEpisodes(sky, city, climate, hours);
    addAfternoonShowers(sky, city, climate, hours, localHour);
    if (sky.rain < 0.05)
        sky.rain = 0;
    if (sky.rain > 0)
        sky.cloud = std::max(sky.cloud, 0.85);
    return sky;
}

} // namespace service
