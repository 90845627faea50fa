// SPDX-License-Identifier: GPL-2.0-or-later
#include "conditions.h"

#include <algorithm>
#include <cmath>

namespace service {

const QList<Condition> &conditions()
{
    static const QList<Condition> all{
        {0, "Sunny", "Clear", "32", "31"},
        {1, "Fair", "Fair", "34", "33"},
        {2, "Partly Cloudy", "Partly Cloudy", "30", "29"},
        {3, "Cloudy", "Cloudy", "26", "26"},
        {45, "Fog", "Fog", "20", "20"},
        {48, "Freezing Fog", "Freezing Fog", "20", "20"},
        {51, "Light Drizzle", "Light Drizzle", "9", "9"},
        {53, "Drizzle", "Drizzle", "9", "9"},
        {55, "Heavy Drizzle", "Heavy Drizzle", "9", "9"},
        {56, "Freezing Drizzle", "Freezing Drizzle", "8", "8"},
        {57, "Freezing Drizzle", "Freezing Drizzle", "8", "8"},
        {61, "Light Rain", "Light Rain", "11", "11"},
        {63, "Rain", "Rain", "12", "12"},
        {65, "Heavy Rain", "Heavy Rain", "40", "40"},
        {66, "Freezing Rain", "Freezing Rain", "10", "10"},
        {67, "Freezing Rain", "Freezing Rain", "10", "10"},
        {71, "Light Snow", "Light Snow", "14", "14"},
        {73, "Snow", "Snow", "16", "16"},
        {75, "Heavy Snow", "Heavy Snow", "43", "43"},
        {77, "Snow Grains", "Snow Grains", "13", "13"},
        {80, "Scattered Showers", "Scattered Showers", "39", "45"},
        {81, "Showers", "Showers", "11", "11"},
        {82, "Heavy Showers", "Heavy Showers", "12", "12"},
        {85, "Light Snow Showers", "Light Snow Showers", "41", "46"},
        {86, "Snow Showers", "Snow Showers", "42", "46"},
        {95, "T-Storms", "T-Storms", "4", "47"},
        {96, "T-Storms with Hail", "T-Storms with Hail", "17", "17"},
        {99, "Severe T-Storms", "Severe T-Storms", "3", "3"},
    };
    return all;
}

const Condition &conditionFor(int wmo)
{
    const Condition *best = &conditions().front();
    for (const Condition &c : conditions())
        if (c.wmo <= wmo)
            best = &c;
    return *best;
}

QByteArray tendencyText(double change)
{
    return change > 1.0 ? "rising" : change < -1.0 ? "falling" : "steady";
}

QByteArray compassText(double degrees, double speed)
{
    // French compass letters: O for ouest. The window shows the text as it stands.
    static const char *const points[] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                         "S", "SSO", "SO", "OSO", "O", "ONO", "NO", "NNO"};
    if (speed < 1.0)
        return "Calme";
    if (!std::isfinite(degrees))
        return "Variable";
    const double d = std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0);
    return points[int(std::floor(d / 22.5 + 0.5)) % 16];
}

double dewPoint(double celsius, double humidity)
{
    const double gamma = std::log(std::max(humidity, 1.0) / 100.0) + 17.62 * celsius / (243.12 + celsius);
    return 243.12 * gamma / (17.62 - gamma);
}

QByteArray uvText(int index)
{
    return index <= 2 ? "Low" : index <= 5 ? "Moderate" : index <= 7 ? "High" : index <= 10 ? "Very High" : "Extreme";
}

bool isKnownWmo(int wmo)
{
    for (const Condition &c : conditions())
        if (c.wmo == wmo)
            return true;
    return false;
}

int rounded(double v)
{
    return int(std::lround(v));
}

} // namespace service
