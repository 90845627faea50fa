// SPDX-License-Identifier: GPL-2.0-or-later
// The weather document writes its days in English ("Monday", "Dec 7"): the service writes them and the
// viewer reads them with this one table.
#pragma once
#include <QByteArray>
#include <QDate>
#include <optional>

namespace meteo::english {

QByteArray dayName(QDate date);   // "Monday"
QByteArray monthDay(QDate date);  // "Dec 7"
// 1 (Monday) … 7, case ignored; nullopt for any other text.
[[nodiscard]] std::optional<int> weekdayOf(const QByteArray &name);
// "Dec 7" as a month (1 … 12) and a day of the month (1 … 31); nullopt otherwise.
[[nodiscard]] std::optional<std::pair<int, int>> monthDayOf(const QByteArray &text);

} // namespace meteo::english
