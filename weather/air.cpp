// SPDX-License-Identifier: GPL-2.0-or-later
#include "air.h"

#include "hourly.h"
#include "common/instanttext.h"

#include <QDomElement>
#include <QStringList>

namespace meteo {

std::optional<Pollutant> Air::decisive(int day) const
{
    if (day < 0 || day >= days.size())
        return std::nullopt;
    // Over the day's hours shown: PM on their mean, gases on their highest, as the class was reckoned.
    std::array<double, kPollutants> sums{}, highs{};
    int count = 0;
    for (const AirHourReading &h : hours) {
        if (h.time.date() != days[day].date)
            continue;
        ++count;
        for (int p = 0; p < kPollutants; ++p) {
            sums[p] += h.pollutants[p].value_or(0);
            highs[p] = std::max(highs[p], h.pollutants[p].value_or(0));
        }
    }
    if (count == 0)
        return std::nullopt;
    const AtmoDay d = atmoClass({sums[0] / count, sums[1] / count, highs[2], highs[3], highs[4]});
    return d.atmo == days[day].atmo ? std::optional<Pollutant>(d.decisive) : std::nullopt;
}

Air readAir(const WeatherDocument &doc)
{
    Air air;
    const QDomElement section = doc.root().firstChildElement(QStringLiteral("air"));
    air.present = !section.isNull();
    if (!air.present)
        return air;
    air.source = section.attribute(QStringLiteral("src")) == QLatin1String("CAMS") ? "CAMS" : "simulation";
    air.updated = readInstantText(section.attribute(QStringLiteral("maj"))).value_or(QDateTime());
    for (QDomElement e = section.firstChildElement(QStringLiteral("jour")); !e.isNull() && air.days.size() < 4;
         e = e.nextSiblingElement(QStringLiteral("jour"))) {
        AirDayReading d;
        d.date = QDate::fromString(e.attribute(QStringLiteral("d")), Qt::ISODate);
        d.atmo = int(readMeasure(e.attribute(QStringLiteral("atmo")).toUtf8(), 1, 6).value_or(0));
        std::array<int, kTaxa> levels{};
        bool all = true;
        for (int t = 0; t < kTaxa; ++t) {
            const std::optional<double> level = readMeasure(e.attribute(QString::fromLatin1(taxonAttribute(Taxon(t)))).toUtf8(), 0, 5);
            all = all && level && *level == int(*level);
            levels[t] = level ? int(*level) : 0;
        }
        if (all)
            d.pollen = levels;
        if (d.date.isValid())
            air.days << d;
    }
    for (QDomElement e = section.firstChildElement(QStringLiteral("h")); !e.isNull() && air.hours.size() < 48;
         e = e.nextSiblingElement(QStringLiteral("h"))) {
        const std::optional<QDateTime> t = readInstantText(e.attribute(QStringLiteral("t")));
        if (!t || t->timeSpec() == Qt::LocalTime)
            continue;
        AirHourReading h;
        h.time = *t;
        for (int p = 0; p < kPollutants; ++p)
            h.pollutants[p] = readMeasure(e.attribute(QString::fromLatin1(pollutantAttribute(Pollutant(p)))).toUtf8(), 0, 1000);
        air.hours << h;
    }
    return air;
}

QString airSummary(const Air &air, const QDateTime &now)
{
    QStringList parts;
    for (const AirDayReading &d : air.days) {
        if (d.date != now.date())
            continue;
        if (d.atmo >= 3)
            parts << QStringLiteral("air ") + QString::fromUtf8(atmoWord(d.atmo));
        for (int t = 0; d.pollen && t < kTaxa; ++t)
            if ((*d.pollen)[t] >= 4)
                parts << QStringLiteral("pollens de ") + QString::fromUtf8(taxonName(Taxon(t))) + QStringLiteral(" : ") + QString::fromUtf8(pollenWord((*d.pollen)[t]));
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace meteo
