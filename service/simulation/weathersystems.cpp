// SPDX-License-Identifier: GPL-2.0-or-later
#include "weathersystems.h"

#include <algorithm>
#include <cmath>

namespace service {
namespace {

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

constexpr double kFrontSpacingHours = 66;  // a front every two or three days on average
constexpr double kOriginKm = -900;         // where fronts start, west of Brittany
constexpr double kEpisodeSpacingHours = 330;
constexpr double kHeatWaveWindowHours = 18 * 24;  // at most one heat wave in each 18 days

} // namespace

Systems::Systems(const City &city, const Climate &climate)
    : city_(city), climate_(climate), east_((city.longitude - 2.5) * 111.2 * std::cos(city.latitude * M_PI / 180)),
      north_((city.latitude - 46.5) * 111.2)
{
}

// An Atlantic front: it spawns at an irregular time, crosses at its own speed and heading, carries a
// band of rain hours wide, and dies out at its own distance inland. Fewer and weaker in summer.
const Systems::Front &Systems::front(qint64 n)
{
    if (const auto it = fronts_.constFind(n); it != fronts_.cend())
        return *it;
    Front f;
    f.id = n;
    const double start = (double(n) + 0.8 * (unit(n, 2) - 0.5)) * kFrontSpacingHours;
    const double summer = 0.5 + 0.5 * std::cos(kTwoPi * (dateOf(start).dayOfYear() - 200) / 365.25);
    f.formed = unit(n, 1) >= 0.45 * summer;
    const double speed = 30 + 30 * unit(n, 3);                     // km/h
    const double heading = (70 + 40 * unit(n, 4)) * M_PI / 180;  // toward ENE .. ESE
    const double along = east_ * std::sin(heading) + north_ * std::cos(heading);
    const double across = -east_ * std::cos(heading) + north_ * std::sin(heading);
    const double travelled = along - kOriginKm;
    const double reach = 500 + 1100 * unit(n, 5);  // km before it dies out
    f.fade = std::pow(std::clamp(1 - travelled / reach, 0.0, 1.0), 0.7);
    f.passage = start + travelled / speed;
    f.band = 3 + 9 * unit(n, 6);  // hours of steady rain: a band of 100 to 700 km
    // Along the front the rain grows and weakens over several hundred kilometres: a long band.
    const double patch = 0.6 + 0.4 * std::sin(across / (200 + 160 * unit(n, 7)) + kTwoPi * unit(n, 8));
    // Its rain weakens inland far more slowly than its wind: a front spent at the coast's measure
    // still rains on the east, a little less than on the west.
    f.wet = std::sqrt(std::clamp(1 - travelled / (reach + 2500), 0.0, 1.0));
    // The Mediterranean rim lies in the lee of the land: the Atlantic's fronts reach it mostly dry.
    const double moisture = (0.6 + 0.4 * climate_.atlantic()) * (1 - 0.8 * climate_.mediterranean());
    f.rain = (1.7 + 4.5 * unit(n, 9) * unit(n, 10)) * f.wet * moisture * (1.15 - 0.3 * summer) * patch;
    f.depth = (8 + 16 * unit(n, 12)) * f.fade;
    // Most fronts bring a breeze; a few, in winter, a storm.
    f.wind = (15 + 50 * unit(n, 13) * unit(n, 13)) * f.fade * (1 - 0.4 * summer);
    f.freezing = unit(n, 14) < 0.3;
    // The storms of the cold half of the year: strongest where they reach land, in Brittany and on
    // the Channel, spent a few hundred kilometres inland.
    const double winter = std::clamp(1 - 1.6 * summer, 0.0, 1.0);
    if (unit(n, 15) < 0.18 * winter)
        f.storm = (42 + 36 * unit(n, 16)) * std::pow(std::clamp(1 - (travelled - 300) / 900, 0.1, 1.0), 1.5);
    return *fronts_.insert(n, f);
}

void Systems::addFronts(Sky &sky, double hours)
{
    if (climate_.atlantic() <= 0)
        return;
    const qint64 nearest = qint64(std::floor(hours / kFrontSpacingHours));
    for (qint64 n = nearest - 3; n <= nearest + 1; ++n) {
        const Front &f = front(n);
        const double since = hours - f.passage;
        if (!f.formed || since < -30 || since > 40)
            continue;
        sky.rain += f.rain * bump(since, -f.band / 3, f.band * 2 / 3);
        // Showers behind it for half a day, each a round cell of its own size somewhere in a square
        // of 25 km, living two hours; a place gets those of the squares around it.
        if (since > f.band * 2 / 3 && since < f.band + 12) {
            const qint64 pulse = qint64(std::floor(since / 2));
            const int column = int(std::floor(east_ / 25)), row = int(std::floor(north_ / 25));
            for (int dr = -1; dr <= 1; ++dr)
                for (int dc = -1; dc <= 1; ++dc) {
                    const qint64 cell = qint64(column + dc) * 31 + qint64(row + dr) * 977 + pulse;
                    if (unit(f.id, 11, cell) >= 0.3 * f.fade)
                        continue;
                    const double east = east_ - 25 * (column + dc + unit(f.id, 12, cell)), north = north_ - 25 * (row + dr + unit(f.id, 13, cell));
                    const double radius = 6 + 6 * unit(f.id, 14, cell);
                    // 6 mm/h at its heart: over its square, the 2.5 mm/h of a shower on average.
                    const double shower = 6 * climate_.atlantic() * f.fade * bump(std::fmod(since, 2.0), 0, 2)
                                          * std::exp(-(east * east + north * north) / (radius * radius));
                    sky.rain += shower;
                    sky.convective = sky.convective || shower >= 0.05;
                }
        }
        sky.cloud = std::max(sky.cloud, f.fade * (since < 0 ? bell((since + 2) / 14) : bell(since / (f.band + 6))));
        sky.depression += f.depth * bell((since - 3) / 20);
        sky.windBoost += f.wind * bell(since / 9) + f.storm * bell((since - 1) / 6);
        sky.depression += f.storm * 0.3 * bell((since - 3) / 12);
        if (std::abs(since) < 30)
            sky.veer = std::tanh(since / 6);
        sky.airMass += f.fade * (since < 0 ? 1.2 * bell(since / 15) : -1.2 * bump(since, 0, 36));
        sky.freezingAloft = sky.freezingAloft || (f.freezing && since < f.band / 2);
    }
}

// The Mediterranean's episodes: every fortnight or so, likely in autumn, a slow downpour.
const Systems::Episode &Systems::episode(qint64 k)
{
    if (const auto it = episodes_.constFind(k); it != episodes_.cend())
        return *it;
    Episode e;
    const double base = (double(k) + 0.7 * unit(k, 22)) * kEpisodeSpacingHours;
    e.happens = unit(k, 21) <= 0.12 + 0.6 * climate_.wetSeason(dateOf(base));
    e.start = base + (east_ + north_) / 15;  // drifting north-east
    e.length = 6 + 16 * unit(k, 23);
    const double centre = -80 + 480 * unit(k, 24);  // km east of the middle: Cévennes … Alpes-Maritimes
    e.reach = bell((east_ - centre) / 220);
    e.rate = (5 + 20 * unit(k, 25) * unit(k, 26)) * climate_.mediterranean() * e.reach;
    return *episodes_.insert(k, e);
}

void Systems::addEpisodes(Sky &sky, double hours)
{
    if (climate_.mediterranean() < 0.1)
        return;
    const qint64 nearest = qint64(std::floor(hours / kEpisodeSpacingHours));
    for (qint64 k = nearest - 1; k <= nearest + 1; ++k) {
        const Episode &e = episode(k);
        if (!e.happens)
            continue;
        const double middle = (hours - e.start - e.length / 2);
        sky.rain += e.rate * bump(hours - e.start, 0, e.length);
        sky.cloud = std::max(sky.cloud, e.reach * bell(middle / (e.length * 0.9)));
        sky.depression += 6 * e.reach * bell(middle / 18);
        sky.windBoost += 15 * e.reach * bell(middle / 10);
        sky.convective = sky.convective || (e.rate > 8 && bump(hours - e.start, 0, e.length) > 0.3);
    }
}

// A heat wave: in some 18-day windows of the summer, days of hot air over the whole country,
// building and fading over a week or so, the sky clearing under it; then weeks a little cooler than
// usual, by as much in all as the heat wave added, so that the normals stay the normals.
const Systems::HeatWave &Systems::heatWave(qint64 k)
{
    if (const auto it = heatWaves_.constFind(k); it != heatWaves_.cend())
        return *it;
    HeatWave w;
    const double window = double(k) * kHeatWaveWindowHours;
    const double season = bell((dateOf(window + kHeatWaveWindowHours / 2).dayOfYear() - 205) / 32.0);
    w.happens = unit(k, 41) < 0.85 * season;
    w.length = (5 + 6 * unit(k, 42)) * 24;
    w.start = window + (kHeatWaveWindowHours - w.length) * unit(k, 43);
    w.peak = 6 + 5 * unit(k, 44);
    return *heatWaves_.insert(k, w);
}

void Systems::addHeatWaves(Sky &sky, double hours)
{
    if (city_.department.size() != 2)
        return;  // France's heat waves: the overseas have weather of their own
    const qint64 nearest = qint64(std::floor(hours / kHeatWaveWindowHours));
    for (qint64 k = nearest - 3; k <= nearest; ++k) {
        const HeatWave &w = heatWave(k);
        if (!w.happens)
            continue;
        const double since = hours - w.start - city_.longitude * 2;  // from the west, a little earlier
        // Flat-topped: days on end near the peak. Then the cooler weeks after, over four times the
        // length: the same area (2/π of the peak's length) below the normal as above it.
        const double heat = std::sqrt(bump(since, 0, w.length));
        sky.airMass += w.peak * heat - w.peak / M_PI * bump(since, w.length, 5 * w.length);
        sky.cloud *= 1 - 0.6 * heat;
        sky.rain *= 1 - heat;  // the high pressure turns the fronts away; only its storms rain
    }
}

// Afternoon showers, in the tropics on most days of the wet season, elsewhere on warm summer days,
// and thunder cells: in each quarter of a degree, on some days, one cell
// of its own size somewhere in it, drifting north-east as it rains, strongest at its heart; a place
// gets the rain of the cells around it, so that a storm covers neighbouring towns alike.
void Systems::addAfternoonShowers(Sky &sky, double hours, double localHour)
{
    const QDate date = dateOf(hours);
    const double chance = climate_.tropical() ? 0.15 + 0.55 * climate_.wetSeason(date)
                                              : std::clamp((climate_.on(date).high - 22) / 25, 0.0, 0.3);
    if (chance <= 0)
        return;
    const qint64 day = qint64(std::floor(hours / 24));
    const int row = int(std::floor(city_.latitude * 4)), column = int(std::floor(city_.longitude * 4));
    const double kmPerDegree = 111.2, kmPerDegreeEast = kmPerDegree * std::cos(city_.latitude * M_PI / 180);
    for (int dr = -1; dr <= 1; ++dr)
        for (int dc = -1; dc <= 1; ++dc) {
            const qint64 cell = qint64(row + dr) * 4000 + qint64(column + dc);
            // Whether the day is warm enough for it, by degrees: places whose climates differ a
            // little see its edge a little weaker, never a storm cut by a line.
            const double strength = std::clamp((chance - unit(cell, day, 31)) / 0.06, 0.0, 1.0);
            if (strength <= 0)
                continue;
            const double begin = 12.5 + 4.5 * unit(cell, day, 32), length = 1 + 1.5 * unit(cell, day, 33);
            // At its heart: spread over its quarter degree, about what a whole square of shower gave.
            const double rate = strength * 2.4 * ((climate_.tropical() ? 4 : 3) + 18 * unit(cell, day, 34) * unit(cell, day, 35));
            const double radius = 5 + 9 * unit(cell, day, 38);  // km
            // Where its heart is at this hour: born somewhere in its quarter degree, moving at 14 km/h.
            const double age = localHour - begin;
            const double east = (city_.longitude - (column + dc + unit(cell, day, 37)) / 4) * kmPerDegreeEast - 10 * age,
                         north = (city_.latitude - (row + dr + unit(cell, day, 36)) / 4) * kmPerDegree - 10 * age;
            const double reach = std::exp(-(east * east + north * north) / (radius * radius));
            const double shower = bump(localHour, begin, begin + length) * reach;
            sky.rain += rate * shower;
            // Its cloud spreads three times as far, and builds for hours before it rains.
            const double anvil = std::exp(-(east * east + north * north) / (9 * radius * radius));
            sky.cloud = std::max(sky.cloud, 0.8 * bump(localHour, begin - 3, begin + length + 2) * std::min(1.0, 2 * anvil));
            sky.convective = sky.convective || rate * shower >= 0.05;
        }
}

Sky Systems::at(qint64 utcSeconds, double localHour)
{
    const double hours = double(utcSeconds) / 3600;
    Sky sky;
    // Fair-weather cloud of the climate, drifting slowly.
    const double drift = std::sin(kTwoPi * hours / 41 + city_.longitude / 3) * std::sin(kTwoPi * hours / 97 + city_.latitude / 2);
    sky.cloud = std::clamp(0.25 + 0.2 * climate_.atlantic() + 0.25 * drift, 0.0, 1.0);
    addFronts(sky, hours);
    addEpisodes(sky, hours);
    addHeatWaves(sky, hours);
    addAfternoonShowers(sky, hours, localHour);
    if (sky.rain < 0.05)
        sky.rain = 0;
    if (sky.rain > 0)
        sky.cloud = std::max(sky.cloud, 0.85);
    return sky;
}

} // namespace service
