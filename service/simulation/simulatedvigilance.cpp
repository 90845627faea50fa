// SPDX-License-Identifier: GPL-2.0-or-later
#include "simulatedweather.h"

#include "service/document/warning.h"

#include <algorithm>

namespace service {

// The warnings a forecaster would issue on this weather: strong gusts, heavy rain over a day, thunder,
// snow and freezing rain, several hot or freezing days in a row, each yellow, orange or red by
// severity over the span it covers. Published at 6 h and 16 h, as Météo-France's map is.
Vigilance simulatedVigilance(const City &city, const WeatherReport &r, const QDateTime &nowUtc)
{
    VigilanceMap map;
    QList<Warning> &found = map.byDepartment[city.department];
    // Severities are colours' numbers: 1 (green) is no warning.
    const auto add = [&](Phenomenon phenomenon, int colour, const QDateTime &begin, const QDateTime &end) {
        if (colour >= 2)
            found.append({phenomenon, WarningColour(colour), begin.toUTC(), end.toUTC()});
    };
    const auto byHours = [&](Phenomenon phenomenon, auto severity) {
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
    // The windiest coasts are warned at higher gusts, as their forecasters do: what is a storm inland
    // is a winter's day at Brest.
    const double windy = Climate(city).atlantic() > 1 ? 1.2 : 1.0;
    byHours(Phenomenon::VentViolent, [windy](const HourForecast &h) {
        const double g = h.windGust / windy;
        return g >= 120 ? 4 : g >= 90 ? 3 : g >= 75 ? 2 : 1;
    });
    byHours(Phenomenon::Orages, [](const HourForecast &h) { return h.wmo == 99 ? 3 : h.wmo >= 95 ? 2 : 1; });
    byHours(Phenomenon::NeigeVerglas, [](const HourForecast &h) {
        return h.wmo == 66 || h.wmo == 67 ? 3 : h.wmo == 75 || h.wmo == 86 ? 3 : (h.wmo >= 71 && h.wmo <= 77) || h.wmo == 85 || h.wmo == 56 || h.wmo == 57 ? 2 : 1;
    });
    // Rain: what a day of the 48 hours gathers.
    QHash<QDate, double> rainByDay;
    for (const HourForecast &h : r.hours)
        rainByDay[h.time.date()] += h.precipitation;
    for (auto it = rainByDay.cbegin(); it != rainByDay.cend(); ++it) {
        const int colour = it.value() >= 100 ? 4 : it.value() >= 60 ? 3 : it.value() >= 30 ? 2 : 1;
        const QDateTime day(it.key(), QTime(0, 0), r.observed.timeZone());
        add(Phenomenon::PluieInondation, colour, day, day.addDays(1));
    }
    // Heat and cold: three days in a row at least.
    const auto runs = [&](Phenomenon phenomenon, auto severity) {
        for (qsizetype i = 0; i + 2 < r.days.size(); ++i) {
            const int c = std::min({severity(r.days[i]), severity(r.days[i + 1]), severity(r.days[i + 2])});
            if (c >= 2) {
                add(phenomenon, c, QDateTime(r.days[i].date, QTime(0, 0), r.observed.timeZone()),
                    QDateTime(r.days[i + 2].date.addDays(1), QTime(0, 0), r.observed.timeZone()));
                break;
            }
        }
    };
    runs(Phenomenon::Canicule, [](const DayForecast &d) { return d.high >= 40 ? 4 : d.high >= 36 ? 3 : d.high >= 33 ? 2 : 1; });
    runs(Phenomenon::GrandFroid, [](const DayForecast &d) { return d.low <= -18 ? 4 : d.low <= -12 ? 3 : d.low <= -8 ? 2 : 1; });
    const QDateTime local = nowUtc.toTimeZone(r.observed.timeZone());
    const QDateTime six(local.date(), QTime(6, 0), r.observed.timeZone()), sixteen(local.date(), QTime(16, 0), r.observed.timeZone());
    map.updated = (local >= sixteen ? sixteen : local >= six ? six : sixteen.addDays(-1)).toUTC();
    return Vigilance{city.department, map.updated, warningsAhead(map, city.department, nowUtc)};
}

} // namespace service
