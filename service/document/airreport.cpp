// SPDX-License-Identifier: GPL-2.0-or-later
#include "airreport.h"

namespace service {

Result<AirReport> airFromHours(const QList<AirHour> &hours, const QDateTime &now, const QByteArray &source)
{
    AirReport air;
    air.source = source;
    air.updated = now;
    const QDate today = now.date();
    for (int d = 0; d < 4; ++d) {
        const QDate date = today.addDays(d);
        Concentrations sums{}, highs{};
        std::optional<PollenCounts> pollen;
        int count = 0;
        bool withPollen = true;
        for (const AirHour &h : hours) {
            if (h.time.date() != date)
                continue;
            ++count;
            for (int p = 0; p < meteo::kPollutants; ++p) {
                sums[p] += h.pollutants[p];
                highs[p] = std::max(highs[p], h.pollutants[p]);
            }
            withPollen = withPollen && h.pollen;
            if (h.pollen) {
                pollen = pollen.value_or(PollenCounts{});
                for (int t = 0; t < meteo::kTaxa; ++t)
                    (*pollen)[t] = std::max((*pollen)[t], (*h.pollen)[t]);
            }
        }
        // A day is counted over its own hours, 23 or 25 on the nights the time changes.
        if (count < 23) {
            if (d == 0)
                return HttpError{502, "heures d'air qui ne couvrent pas aujourd'hui"};
            break;
        }
        // PM on the day's mean, the gases on its highest hour.
        const Concentrations dayValues{sums[0] / count, sums[1] / count, highs[2], highs[3], highs[4]};
        AirDay day{date, meteo::atmoClass(dayValues), std::nullopt};
        if (withPollen && pollen) {
            std::array<int, meteo::kTaxa> levels{};
            for (int t = 0; t < meteo::kTaxa; ++t)
                levels[t] = meteo::pollenLevel(meteo::Taxon(t), (*pollen)[t]);
            day.pollen = levels;
        }
        air.days << day;
    }
    for (const AirHour &h : hours)
        if ((!air.hours.isEmpty() || (h.time <= now && now < h.time.addSecs(3600))) && air.hours.size() < 48)
            air.hours << h;
    if (air.hours.size() < 48)
        return HttpError{502, "heures d'air qui ne couvrent pas les 48 à venir"};
    return air;
}

} // namespace service
