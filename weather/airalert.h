// SPDX-License-Identifier: GPL-2.0-or-later
// Whether to tell the user of the air: a chosen pollen at "élevé" or more today or tomorrow, once per
// taxon and day; an ATMO class of "mauvais" or worse today or tomorrow, once per day; nothing from a
// document older than three hours. A pure function of what was said before, so that it is a table.
#pragma once
#include "air.h"

#include <QDateTime>
#include <QSet>
#include <QString>

namespace meteo {

struct AirNotice {
    QByteArray summary;  // "Pollens de bouleau : risque élevé demain à Strasbourg"
    QByteArray body;     // "Niveau 4 sur 5"
};

// What was said already, as "taxon/date" and "atmo/date" keys.
using AirMemory = QSet<QString>;

[[nodiscard]] QList<AirNotice> decideAirNotices(AirMemory &said, const Air &air, const QSet<Taxon> &chosen, const QByteArray &place,
                                                const QDateTime &received, const QDateTime &now);

} // namespace meteo
