// SPDX-License-Identifier: GPL-2.0-or-later
#include "outlook.h"

#include <cmath>
#include <tuple>

namespace meteo {

std::optional<int> cloudOf(const QByteArray &iconCode)
{
    bool number = false;
    const int code = iconCode.toInt(&number);
    if (!number || code < 0 || code > 47 || code == 44)
        return std::nullopt;
    switch (code) {
    case 31: case 32: case 36: return 0;
    case 33: case 34: return 1;
    case 29: case 30: return 2;
    case 27: case 28: return 3;
    case 19: case 20: case 21: case 22: case 23: case 24: case 25: case 26: return 4;
    default: return 5;
    }
}

Outlook outlookOf(const CityReport &report, int day, const QDateTime &now)
{
    Outlook o;
    if (day < 0) {
        const QList<RainSlot> ahead = quartersAhead(report.hourly.rain, now);
        double wet = 0;
        bool readable = !ahead.isEmpty();
        for (const RainSlot &q : ahead) {
            readable = readable && q.mm.has_value();
            wet += q.mm && intensityOf(*q.mm) != RainIntensity::None;
        }
        if (readable)
            o.rain = wet;
        o.cloud = cloudOf(report.condition.Icon_Jour);
        o.temperature = readMeasure(report.condition.Temperature.Texte, -90, 60);
        return o;
    }
    const ForecastDay *found = report.dayAhead(day, now);
    if (!found)
        return o;
    const ForecastDay &d = *found;
    o.rain = d.chanceOfRain;
    o.cloud = cloudOf(d.dayIcon);
    o.temperature = d.high;
    return o;
}

bool finer(const Outlook &a, const Outlook &b)
{
    // Each as a tuple of (unknown, value): an unknown value is worse than any known one.
    const auto key = [](const Outlook &o) {
        return std::tuple(!o.rain, o.rain.value_or(0), !o.cloud, o.cloud.value_or(0), !o.temperature,
                          o.temperature ? std::abs(*o.temperature - 22) : 0.0);
    };
    return key(a) < key(b);
}

} // namespace meteo
