// SPDX-License-Identifier: GPL-2.0-or-later
#include "airalert.h"

#include "forecast.h"
#include "common/frenchtext.h"

#include <algorithm>

namespace meteo {

namespace {

// "Qualité de l'air" agrees with the class: "mauvaise", "très mauvaise".
QByteArray feminine(const QByteArray &word)
{
    return word + (word.endsWith('n') ? "ne" : "e");
}

// "de bouleau", "d'armoise".
QByteArray of(const QByteArray &name)
{
    return (QByteArrayView("aeiouyh").contains(name.left(1)) ? "d'" : "de ") + name;
}

} // namespace

QList<AirNotice> decideAirNotices(AirMemory &said, const Air &air, const QSet<Taxon> &chosen, const QByteArray &place,
                                  const QDateTime &received, const QDateTime &now)
{
    QList<AirNotice> out;
    if (!air.present || isStale(received, now))
        return out;  // old news is no warning
    const auto key = [](const QString &what, const AirDayReading &d) { return what + u'/' + d.date.toString(Qt::ISODate); };
    QList<const AirDayReading *> days;  // today's, then tomorrow's, as the document has them
    for (const AirDayReading &d : air.days)
        if (const qint64 ahead = now.date().daysTo(d.date); ahead >= 0 && ahead <= 1)
            days << &d;
    for (const AirDayReading *d : days) {
        const QByteArray when = d->date == now.date() ? "aujourd'hui" : "demain";
        if (d->atmo >= 4 && !said.contains(key(QStringLiteral("atmo"), *d))) {
            said.insert(key(QStringLiteral("atmo"), *d));
            out.append({"Qualité de l'air " + feminine(atmoWord(d->atmo)) + ' ' + when + ' ' + french::atPlace(place),
                        "Indice ATMO " + QByteArray::number(d->atmo) + " sur 6"});
        }
    }
    // A pollen high today and tomorrow is one notice, at the higher of the two levels.
    for (int t = 0; t < kTaxa; ++t) {
        if (!chosen.contains(Taxon(t)))
            continue;
        const QString name = QString::fromLatin1(taxonAttribute(Taxon(t)));
        QList<const AirDayReading *> high;
        int level = 0;
        for (const AirDayReading *d : days)
            if (d->pollen && (*d->pollen)[t] >= 4 && !said.contains(key(name, *d))) {
                high << d;
                level = std::max(level, (*d->pollen)[t]);
            }
        if (high.isEmpty())
            continue;
        QByteArray when;
        for (const AirDayReading *d : high) {
            said.insert(key(name, *d));
            when += (when.isEmpty() ? "" : " et ") + QByteArray(d->date == now.date() ? "aujourd'hui" : "demain");
        }
        out.append({"Pollens " + of(taxonName(Taxon(t))) + " : risque " + pollenWord(level) + ' ' + when + ' ' + french::atPlace(place),
                    "Niveau " + QByteArray::number(level) + " sur 5"});
    }
    return out;
}

} // namespace meteo
