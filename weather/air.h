// SPDX-License-Identifier: GPL-2.0-or-later
// The document's air section read strictly: the days' ATMO classes and pollen levels, and the 48
// hours' concentrations; anything out of its scale or without its offset is left out, never a value.
#pragma once
#include "extraction.h"
#include "common/airkinds.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <array>
#include <optional>

namespace meteo {

struct AirDayReading {
    QDate date;
    int atmo = 0;  // 1 … 6; 0 when unreadable
    std::optional<std::array<int, kTaxa>> pollen;  // 0 … 5 each; absent where the source has none
};

struct AirHourReading {
    QDateTime time;
    std::array<std::optional<double>, kPollutants> pollutants;  // µg/m³
};

struct Air {
    bool present = false;
    QByteArray source;  // "CAMS" or "simulation"
    QDateTime updated;
    QList<AirDayReading> days;
    QList<AirHourReading> hours;
    // The pollutant that decides a day's class: the one whose sub-index over the day is the class.
    std::optional<Pollutant> decisive(int day) const;
};

Air readAir(const WeatherDocument &doc);

// "air dégradé" and the pollens at "élevé" or more today, for the panel icon's tooltip; empty when
// the air is fine.
QString airSummary(const Air &air, const QDateTime &now);

} // namespace meteo
