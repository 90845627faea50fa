// SPDX-License-Identifier: GPL-2.0-or-later
// Whether to warn that rain is about to start, decided from the rain of the next two hours and the
// clock alone, so that it can be tested as a table: once per rainy spell, a notice replaced rather
// than stacked when the spell's start moves by a quarter of an hour or more, nothing from old or
// unreadable data.
#pragma once
#include "hourly.h"

#include <QDateTime>
#include <optional>

namespace meteo {

// What the previous downloads left: the spell last announced and when rain was last in sight.
struct RainAlertMemory {
    std::optional<QDateTime> announcedStart;  // the start of the spell last announced
    std::optional<QDateTime> lastRainSeen;    // when a document last showed rain now or ahead
};

struct RainAlert {
    QByteArray summary;  // "Pluie à Brest vers 14 h 15"
    QByteArray body;     // "Pluie modérée attendue"
    bool replaces = false;  // the same spell, its start moved: the earlier notice is replaced
};

// Rain begins within `lead` of `now` while it is dry now: an alert, unless this spell was announced
// already at about that time. `received` is when the document came: one older than 30 minutes says
// nothing. `memory` is updated for the next download.
[[nodiscard]] std::optional<RainAlert> decideRainAlert(RainAlertMemory &memory, const QList<RainSlot> &rain, const QByteArray &place,
                                                       const QDateTime &received, const QDateTime &now, qint64 leadSeconds = 30 * 60);

} // namespace meteo
