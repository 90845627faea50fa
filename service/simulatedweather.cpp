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
