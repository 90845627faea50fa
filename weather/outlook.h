// SPDX-License-Identifier: GPL-2.0-or-later
// How fine a day (or the present hour) looks, to order the user's cities "from the finest to the
// least fine": first the least chance of rain, then the least cloud, then the mildest temperature
// (nearest 22 °C). A value that is not known counts as the worst; cities alike keep their order.
#pragma once
#include "cityreport.h"

#include <optional>

namespace meteo {

struct Outlook {
    std::optional<double> rain;         // chance of rain (%), or for "now" the wet quarters ahead
    std::optional<int> cloud;           // 0 clear … 5 rain or snow, from the sky's icon code
    std::optional<double> temperature;  // the day's high, or the temperature now
};

// 0 clear, 1 fair, 2 partly cloudy, 3 mostly cloudy, 4 overcast or fog, 5 precipitation and storms;
// nullopt for a code that says nothing of the sky ("na", 44, unknown).
[[nodiscard]] std::optional<int> cloudOf(const QByteArray &iconCode);
// The outlook of day `day` (0 today) of a report, or of the present hours when `day` is -1.
[[nodiscard]] Outlook outlookOf(const CityReport &report, int day, const QDateTime &now);
// Whether `a` looks finer than `b`.
[[nodiscard]] bool finer(const Outlook &a, const Outlook &b);

} // namespace meteo
