// SPDX-License-Identifier: GPL-2.0-or-later
#include "climate.h"

#include <QHash>
#include <algorithm>
#include <cmath>

namespace service {
namespace {

struct Point {
    double latitude, longitude;
};

double distanceKm(Point a, Point b)
{
    const double x = (b.longitude - a.longitude) * std::cos((a.latitude + b.latitude) / 2 * M_PI / 180) * 111.2;
    const double y = (b.latitude - a.latitude) * 111.2;
    return std::hypot(x, y);
}

// Distance to a coast drawn as a line through a few points (enough at the scale of a climate).
template <size_t N>
double distanceToCoast(Point p, const Point (&coast)[N])
{
    double best = 1e9;
    for (size_t i = 0; i + 1 < N; ++i)
        for (int k = 0; k <= 10; ++k) {
            const Point q{coast[i].latitude + (coast[i + 1].latitude - coast[i].latitude) * k / 10,
                          coast[i].longitude + (coast[i + 1].longitude - coast[i].longitude) * k / 10};
            best = std::min(best, distanceKm(p, q));
        }
    return best;
}

// The Channel and Atlantic coast, Dunkirk to Biarritz, and the Mediterranean one, Banyuls to Menton,
// with Corsica's.
constexpr Point kAtlantic[] = {{51.05, 2.4}, {50.2, 1.6},  {49.5, 0.1},  {49.65, -1.6}, {48.65, -1.55}, {48.8, -3.0},
                               {48.4, -4.75}, {47.8, -4.2}, {47.3, -2.5}, {46.5, -1.8},  {45.6, -1.2},   {44.6, -1.25},
                               {43.4, -1.6}};
constexpr Point kMediterranean[] = {{42.45, 3.15}, {43.15, 3.1}, {43.45, 3.9}, {43.35, 4.9}, {43.3, 5.35},
                                    {43.1, 5.9},   {43.2, 6.6},  {43.55, 7.05}, {43.7, 7.3},  {43.78, 7.5}};
constexpr Point kCorsica[] = {{43.0, 9.4}, {42.55, 8.75}, {41.9, 8.7}, {41.4, 9.15}, {41.9, 9.4}, {42.6, 9.45}, {43.0, 9.4}};

// Normal daily maximum and minimum at sea level, month by month, of the overseas territories'
// reference stations (Météo-France normals 1991–2020, rounded: Saint-Denis-Gillot, Le Raizet,
// Le Lamentin, Gustavia, Rochambeau, Pamandzi, Nouméa, Faa'a, Hihifo, Saint-Pierre; the TAAF's
// bases). Altitude is added by the lapse rate.
struct Table {
    double high[12], low[12];
};
const Table kReunion{{30.8, 31.0, 30.6, 29.6, 28.1, 26.8, 26.3, 26.5, 27.3, 28.3, 29.4, 30.4},
                     {23.4, 23.6, 23.2, 22.0, 20.3, 19.0, 18.5, 18.4, 19.0, 20.0, 21.3, 22.6}};
const Table kGuadeloupe{{28.8, 28.9, 29.3, 29.8, 30.4, 30.9, 31.2, 31.5, 31.4, 31.0, 30.3, 29.3},
                        {20.6, 20.5, 21.0, 21.9, 23.0, 23.7, 23.6, 23.7, 23.3, 22.9, 22.2, 21.2}};
const Table kMartinique{{28.6, 28.8, 29.2, 29.8, 30.3, 30.6, 30.8, 31.2, 31.3, 31.0, 30.2, 29.1},
                        {21.3, 21.2, 21.6, 22.4, 23.4, 23.9, 23.7, 23.8, 23.6, 23.3, 22.8, 21.9}};
const Table kNorthernIslands{{28.4, 28.5, 28.9, 29.5, 30.2, 30.9, 31.1, 31.4, 31.3, 30.8, 29.9, 28.9},
                             {23.0, 22.9, 23.2, 23.9, 24.9, 25.7, 25.8, 25.8, 25.5, 25.1, 24.5, 23.6}};
const Table kGuyane{{29.5, 29.6, 29.8, 30.0, 30.2, 30.6, 31.3, 32.2, 32.7, 32.5, 31.6, 30.2},
                    {23.1, 23.1, 23.3, 23.5, 23.4, 22.9, 22.4, 22.5, 22.7, 22.8, 23.0, 23.1}};
const Table kMayotte{{30.6, 30.9, 31.1, 30.8, 29.7, 28.4, 27.7, 27.7, 28.2, 29.1, 30.1, 30.6},
                     {24.9, 24.9, 24.8, 24.3, 23.1, 21.7, 20.9, 20.7, 21.2, 22.3, 23.6, 24.5}};
const Table kNewCaledonia{{29.9, 30.3, 29.5, 28.1, 26.2, 24.6, 23.6, 23.7, 24.9, 26.3, 27.8, 29.1},
                          {23.1, 23.6, 23.0, 21.5, 19.8, 18.3, 17.2, 16.9, 17.6, 18.9, 20.5, 22.0}};
const Table kTahiti{{30.9, 31.2, 31.3, 31.0, 30.0, 29.1, 28.7, 28.7, 29.1, 29.7, 30.2, 30.5},
                    {23.9, 24.0, 24.0, 23.6, 22.4, 21.5, 21.0, 20.9, 21.4, 22.0, 22.9, 23.5}};
const Table kWallis{{30.6, 30.7, 30.7, 30.4, 29.8, 29.2, 28.8, 28.8, 29.1, 29.5, 29.9, 30.3},
                    {24.6, 24.7, 24.6, 24.3, 23.8, 23.3, 22.7, 22.6, 22.9, 23.3, 23.9, 24.3}};
const Table kSaintPierre{{-0.6, -1.1, 0.9, 4.4, 8.5, 12.7, 17.1, 19.0, 16.0, 10.9, 6.0, 1.9},
                         {-6.3, -7.1, -4.7, -0.6, 2.9, 6.8, 11.2, 13.1, 10.0, 5.1, 1.1, -3.3}};
const Table kKerguelen{{11.6, 11.8, 10.8, 8.8, 6.5, 4.7, 4.4, 4.5, 5.4, 7.0, 8.7, 10.4},
                       {4.4, 4.6, 3.8, 2.3, 0.6, -0.8, -1.3, -1.3, -0.9, 0.2, 1.6, 3.3}};
const Table kAdelie{{1.3, -2.9, -7.6, -11.4, -12.8, -12.9, -14.2, -14.3, -13.5, -10.2, -4.6, 0.4},
                    {-3.6, -8.1, -13.1, -16.9, -18.5, -18.8, -20.0, -20.3, -19.3, -15.4, -9.2, -4.2}};
const Table kAmsterdam{{20.9, 21.6, 20.8, 19.1, 17.0, 15.3, 14.4, 14.2, 14.6, 15.6, 17.1, 19.1},
                       {15.2, 15.9, 15.3, 13.7, 11.8, 10.3, 9.4, 9.1, 9.4, 10.3, 11.7, 13.6}};

const Table *overseasTable(const City &c)
{
    static const QHash<QByteArray, const Table *> byDepartment{
        {"971", &kGuadeloupe}, {"972", &kMartinique}, {"973", &kGuyane},  {"974", &kReunion},
        {"975", &kSaintPierre}, {"976", &kMayotte},   {"977", &kNorthernIslands}, {"978", &kNorthernIslands},
        {"986", &kWallis},     {"987", &kTahiti},     {"988", &kNewCaledonia}};
    if (c.department == "984")
        return c.latitude < -60 ? &kAdelie : c.latitude < -40 ? &kKerguelen : c.latitude < -30 ? &kAmsterdam : &kMayotte;
    return byDepartment.value(c.department);
}

// Lapse rate: 6 °C a kilometre.
constexpr double kHighLapse = 6.0 / 1000, kLowLapse = 6.0 / 1000;

} // namespace

Climate::Climate(const City &city) : altitude_(std::max(city.altitude, 0))
{
    const Point p{city.latitude, city.longitude};
    if (const Table *t = overseasTable(city)) {
        // Polynesia stretches from the equator to 28° S: cooler away from Tahiti's latitude.
        const double polynesia = city.department == "987" ? std::max(0.0, -city.latitude - 18.0) : 0.0;
        const double marquesas = city.department == "987" && city.latitude > -12 ? 0.6 : 0.0;
        for (int m = 0; m < 12; ++m) {
            const double coolerSouth = polynesia * (0.55 + 0.25 * std::cos(kTwoPi * (m - 6.5) / 12));
            months_[m] = {t->high[m] - coolerSouth - marquesas - kHighLapse * altitude_,
                          t->low[m] - coolerSouth + marquesas - kLowLapse * altitude_};
        }
        tropical_ = std::abs(city.latitude) < 24 && city.department != "975";
        wetPeak_ = city.latitude < 0 ? 2 : city.department == "973" ? 5 : 9;  // Feb south, May Guyane, Sep Antilles
        atlantic_ = city.department == "975" || t == &kKerguelen ? 1.0 : 0.0;  // the westerlies
        return;
    }
    // Metropolitan France, from four gradients fitted on its normals (1991–2020): latitude, the
    // distance from the Atlantic and the Channel (the climate grows continental inland), nearness
    // to the Mediterranean, and altitude.
    const bool corsica = city.department == "2A" || city.department == "2B";
    const double fromAtlantic = distanceToCoast(p, kAtlantic);
    const double fromMediterranean = std::min(distanceToCoast(p, kMediterranean), corsica ? distanceToCoast(p, kCorsica) : 1e9);
    const double continental = corsica ? 0.6 : std::min(1.0, std::sqrt(fromAtlantic / 400.0));
    const double mediterranean = std::exp(-fromMediterranean / 40.0), shore = std::exp(-fromMediterranean / 8.0);
    double mean = 13.35 - 0.39 * (city.latitude - 46.5) - 0.5 * continental + 2.4 * mediterranean;
    double amplitude = 5.1 + 4.35 * continental - 2.0 * mediterranean;
    // Valleys and heights see wider days than the plain.
    double range = 7.3 + 1.8 * continental - 1.5 * shore + 2.5 * std::min(altitude_, 2000) / 1000.0;
    double rangeSwing = 1.5 + 1.3 * continental - 2.5 * shore;  // the sea keeps summer nights warm
    double warmest = 6.65;  // in months from the start of the year: about the 20th of July
    if (corsica) {
        // The island's coast is no Riviera: its plains and valleys open on the sea, and their clear
        // nights cool under the mountains' air (Ajaccio: 13.9 / 4.0 °C in January, 28.6 / 16.8 °C in
        // July; Bastia a degree milder at night).
        mean = 16.0 + 0.6 * (city.longitude - 8.75) - 0.39 * (city.latitude - 41.9);
        amplitude = 7.3;
        range = 10.4 - 1.2 * (city.longitude - 8.75) + 2.5 * std::min(altitude_, 2000) / 1000.0;
        rangeSwing = 1.3;
        warmest = 7.1;  // the sea around it lags: a cool spring, a warm autumn
    }
    for (int m = 0; m < 12; ++m) {
        const double phase = kTwoPi * (m + 0.5 - warmest) / 12;
        const double t = mean + amplitude * std::cos(phase), r = range + rangeSwing * std::cos(kTwoPi * (m + 0.5 - 6.3) / 12);
        months_[m] = {t + r / 2 - kHighLapse * altitude_, t - r / 2 - kLowLapse * altitude_};
    }
    // Wetter on the western coasts and on the heights, drier in the south-east's lee.
    atlantic_ = std::clamp(1.15 - fromAtlantic / 700.0 + altitude_ / 2500.0 - 0.8 * mediterranean, 0.25, 1.3);
    mediterranean_ = std::clamp(std::exp(-fromMediterranean / 80.0) * 1.1, 0.0, 1.0);
    wetPeak_ = 10;  // the Mediterranean's autumn
}

Normals Climate::on(QDate date) const
{
    // Each month's normal stands at its middle; between two middles, a straight line.
    const double position = (date.day() - 0.5) / date.daysInMonth() - 0.5;  // -0.5..0.5 around the middle
    const int m = date.month() - 1, other = position < 0 ? (m + 11) % 12 : (m + 1) % 12;
    const double f = std::abs(position);
    return {months_[m].high + (months_[other].high - months_[m].high) * f, months_[m].low + (months_[other].low - months_[m].low) * f};
}

double Climate::wetSeason(QDate date) const
{
    const double months = std::abs(((date.month() - wetPeak_) % 12 + 18) % 12 - 6);  // 0 at the peak, 6 opposite
    return 0.5 + 0.5 * std::cos(M_PI * months / 6);
}

} // namespace service
