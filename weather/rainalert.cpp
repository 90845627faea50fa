// SPDX-License-Identifier: GPL-2.0-or-later
#include "rainalert.h"

#include "common/frenchtext.h"

#include <algorithm>

namespace meteo {
namespace {

constexpr qint64 kOldDocument = 30 * 60;   // older data announces nothing
constexpr qint64 kSameSpell = 60 * 60;     // rain seen within the hour: still the same spell
constexpr qint64 kMoved = 15 * 60;         // a start that moved this much is said again

bool wet(const RainSlot &q)
{
    return intensityOf(*q.mm) != RainIntensity::None;
}

} // namespace

std::optional<RainAlert> decideRainAlert(RainAlertMemory &memory, const QList<RainSlot> &all, const QByteArray &place,
                                         const QDateTime &received, const QDateTime &now, qint64 leadSeconds)
{
    if (all.isEmpty() || received.secsTo(now) > kOldDocument
        || std::any_of(all.begin(), all.end(), [](const RainSlot &q) { return !q.mm; }))
        return std::nullopt;  // too old or unreadable: nothing is known, nothing changes
    const QList<RainSlot> rain = quartersAhead(all, now);
    if (rain.isEmpty())
        return std::nullopt;
    const auto first = std::find_if(rain.begin(), rain.end(), wet);
    if (first == rain.end())
        return std::nullopt;  // dry ahead: the memory keeps when rain was last seen
    const bool sameSpell = memory.lastRainSeen && memory.lastRainSeen->secsTo(now) < kSameSpell && memory.announcedStart;
    memory.lastRainSeen = now;
    const bool rainingNow = first == rain.begin() && first->start <= now;
    if (rainingNow) {
        if (!sameSpell)
            memory.announcedStart = first->start;  // begun unannounced: this spell is not announced later
        return std::nullopt;
    }
    // An announced spell is said again, replacing its notice, only when its start has moved by a
    // quarter of an hour; another is said once it is near.
    if (sameSpell ? std::abs(memory.announcedStart->secsTo(first->start)) < kMoved : now.secsTo(first->start) > leadSeconds)
        return std::nullopt;
    RainIntensity strongest = RainIntensity::None;
    QList<Precipitation> kinds;
    for (auto q = first; q != rain.end() && wet(*q); ++q) {
        strongest = std::max(strongest, intensityOf(*q->mm));
        kinds << q->kind;
    }
    memory.announcedStart = first->start;
    const Precipitation kind = commonPrecipitation(kinds);
    return RainAlert{capitalised(precipitationWord(kind)) + ' ' + french::atPlace(place) + " vers " + hourText(first->start, first->side),
                     precipitationSpell(kind, strongest) + ' ' + agreed(kind, "attendue"), sameSpell};
}

} // namespace meteo
