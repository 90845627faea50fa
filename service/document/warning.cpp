// SPDX-License-Identifier: GPL-2.0-or-later
#include "warning.h"

#include <algorithm>

namespace service {

bool isMetropolitanDepartment(const QByteArray &d)
{
    if (d == "2A" || d == "2B")
        return true;
    bool ok = false;
    const int n = d.toInt(&ok);
    return ok && d.size() == 2 && n >= 1 && n <= 95 && n != 20;
}

QList<Warning> warningsAhead(const VigilanceMap &map, const QByteArray &department, const QDateTime &now)
{
    // Per phenomenon: its worst colour over the coming 24 hours, from the first to the last moment of
    // any of its spans above green that have not ended.
    QHash<int, Warning> merged;  // by phenomenon
    const QDateTime horizon = now.addSecs(24 * 3600);
    for (const Warning &w : map.byDepartment.value(department)) {
        if (w.end <= now || w.begin >= horizon)
            continue;
        auto it = merged.find(int(w.phenomenon));
        if (it == merged.end()) {
            merged.insert(int(w.phenomenon), w);
            continue;
        }
        it->colour = std::max(it->colour, w.colour);
        it->begin = std::min(it->begin, w.begin);
        it->end = std::max(it->end, w.end);
    }
    QList<Warning> out = merged.values();
    std::sort(out.begin(), out.end(), [](const Warning &a, const Warning &b) {
        return a.colour != b.colour ? a.colour > b.colour : a.phenomenon < b.phenomenon;
    });
    return out;
}

} // namespace service
