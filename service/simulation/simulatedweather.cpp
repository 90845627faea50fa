// SPDX-License-Identifier: GPL-2.0-or-later
#include "simulatedweather.h"

#include <algorithm>
#include <cmath>

namespace service {

double gustOf(double wind)
{
    return wind * 1.45 + 3.0;
}

double windChill(double temperature, double wind)
{
    const double v16 = std::pow(std::max(wind, 0.1), 0.16);
    return 13.12 + 0.6215 * temperature - 11.37 * v16 + 0.3965 * temperature * v16;
}

namespace {

double smoothstep(double x)
{
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3 - 2 * x);
}

// NOAA's heat index, °C: Steadman's simple formula in mild air, Rothfusz's regression in the heat,
// the one passing into the other between 25 and 29 °C rather than at a threshold.
double heatIndex(double temperature, double humidity)
{
    const double f = temperature * 9 / 5 + 32, rh = humidity;
    const double simple = 0.5 * (f + 61 + (f - 68) * 1.2 + rh * 0.094);
    const double rothfusz = -42.379 + 2.04901523 * f + 10.14333127 * rh - 0.22475541 * f * rh - 6.83783e-3 * f * f
                            - 5.481717e-2 * rh * rh + 1.22874e-3 * f * f * rh + 8.5282e-4 * f * rh * rh - 1.99e-6 * f * f * rh * rh;
    const double w = smoothstep((temperature - 25) / 4);
    return ((1 - w) * simple + w * rothfusz - 32) * 5 / 9;
}

} // namespace

double feelsLike(double temperature, double humidity, double wind)
{
    // Both effects as differences that fade to nothing, never switched on at a threshold: the wind
    // chill where it is below the air (up to about 20 °C, where the formula meets it), its calm
    // limit of 4.8 km/h reached gradually; the heat index where it is above.
    const double chill = std::min(0.0, windChill(temperature, std::max(wind, 4.8)) - temperature) * std::clamp(wind / 4.8, 0.0, 1.0);
    const double heat = std::max(0.0, heatIndex(temperature, humidity) - temperature);
    return temperature + chill + heat;
}

double uvIndex(double elevation, double latitude, int altitude, double cloud)
{
    const double mu = std::sin(std::max(0.0, elevation) * M_PI / 180);
    const double s = std::sin(latitude * M_PI / 180);
    const double ozone = 270 + 120 * s * s;  // Dobson units: about 285 at Réunion, 340 at Paris
    const double clear = 12.5 * std::pow(mu, 2.42) * std::pow(ozone / 300, -1.23) * (1 + 0.08 * std::max(0, altitude) / 1000.0);
    return clear * (1 - 0.7 * cloud * cloud);
}

bool wet(int wmo)
{
    return wmo >= 51;  // drizzle and beyond; fog (45, 48) is dry
}

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

} // namespace service
