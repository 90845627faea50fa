// SPDX-License-Identifier: GPL-2.0-or-later
#include "airalert.h"

#include "forecast.h"
#include "common/frenchtext.h"

namespace meteo {

QList<AirNotice> decideAirNotices(AirMemory &said, const Air &air, const QSet<Taxon> &chosen, const QByteArray &place,
                                  const QDateTime &received, const QDateTime &now)
{
    QList<AirNotice> out;
    if (!air.present || isStale(received, now))
        return out;  // old news is no warning
    for (const AirDayReading &d : air.days) {
        const qint64 ahead = now.date().daysTo(d.date);
        if (ahead < 0 || ahead > 1)
            continue;
        const QByteArray when = ahead == 0 ? "aujourd'hui" : "demain";
        if (d.atmo >= 4 && !said.contains(QStringLiteral("atmo/") + d.date.toString(Qt::ISODate))) {
            said.insert(QStringLiteral("atmo/") + d.date.toString(Qt::ISODate));
            out.append({"Qualité de l'air " + atmoWord(d.atmo) + ' ' + when + ' ' + french::atPlace(place),
                        "Indice ATMO " + QByteArray::number(d.atmo) + " sur 6"});
        }
        for (int t = 0; d.pollen && t < kTaxa; ++t) {
            const QString key = QString::fromLatin1(taxonAttribute(Taxon(t))) + u'/' + d.date.toString(Qt::ISODate);
            const int level = (*d.pollen)[t];
            if (level < 4 || !chosen.contains(Taxon(t)) || said.contains(key))
                continue;
            said.insert(key);
            out.append({"Pollens de " + taxonName(Taxon(t)) + " : risque " + pollenWord(level) + ' ' + when + ' ' + french::atPlace(place),
                        "Niveau " + QByteArray::number(level) + " sur 5"});
        }
    }
    return out;
}

} // namespace meteo
