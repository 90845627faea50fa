// SPDX-License-Identifier: GPL-2.0-or-later
// The air of one place: hourly concentrations (and pollen counts where the source has them) and
// the days' ATMO classes and pollen levels computed from them over the place's local days.
#pragma once
#include "result.h"
#include "common/airkinds.h"

#include <QDateTime>
#include <QList>
#include <array>
#include <optional>

namespace service {

using Concentrations = std::array<double, meteo::kPollutants>;  // µg/m³, in Pollutant's order
using PollenCounts = std::array<double, meteo::kTaxa>;           // grains/m³, in Taxon's order

struct AirHour {
    QDateTime time;  // in the place's zone
    Concentrations pollutants{};
    std::optional<PollenCounts> pollen;  // absent where the source has none (overseas)
};

struct AirDay {
    QDate date;
    meteo::AtmoDay atmo;
    std::optional<std::array<int, meteo::kTaxa>> pollen;  // levels 0 … 5
};

struct AirReport {
    QDateTime updated;  // in the place's zone
    QByteArray source;  // "CAMS" or "simulation"
    QList<AirDay> days;    // today first, up to 4
    QList<AirHour> hours;  // 48 from the hour that holds the clock
};

// From hours covering the place's days from today (and the 48 hours ahead): each day's class and
// levels over its own hours, then the 48 hours from the one holding `now`. Fails when the hours do
// not cover today whole or the 48 ahead.
[[nodiscard]] Result<AirReport> airFromHours(const QList<AirHour> &hours, const QDateTime &now, const QByteArray &source);

} // namespace service
