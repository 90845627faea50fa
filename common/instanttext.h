// SPDX-License-Identifier: GPL-2.0-or-later
// The times that travel in the weather document: a place's local time with its UTC offset,
// "2026-10-25T02:00+02:00". The service writes them and the viewer reads them with this one format,
// so that both agree on every hour, the repeated one of an October night included.
#pragma once
#include <QDateTime>
#include <QString>
#include <optional>

namespace meteo {

// "+02:00", "-09:30", "+00:00".
QString offsetText(int secondsEastOfUtc);
// "2026-10-25T02:00+02:00": the local time of `t` (to the minute) and its offset from UTC.
QString instantText(const QDateTime &t);
// Reads what instantText writes; "Z" stands for +00:00. A time without an offset, as older documents
// wrote it, is taken at `offsetWhenNone` seconds east of UTC, or in this computer's zone when that is
// absent. Nothing else is a time: a bad date, hour, minute or offset (beyond ±14:00) gives nullopt.
[[nodiscard]] std::optional<QDateTime> readInstantText(QStringView text, std::optional<int> offsetWhenNone = std::nullopt);

} // namespace meteo
