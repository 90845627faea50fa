// SPDX-License-Identifier: GPL-2.0-or-later
#include "warnings.h"

#include "common/instanttext.h"
#include "hourly.h"

#include "common/frenchtext.h"

#include <QDomElement>
#include <algorithm>

namespace meteo {
namespace {

QByteArray when(const QDateTime &t)
{
    return french::utf8(french::dayName(t.date()) + u' ' + french::hour(t.time()));
}

// An end at midnight is the end of the day before: "jusqu'à mardi minuit", not "mercredi 0 h".
QByteArray until(const QDateTime &t)
{
    return t.time() == QTime(0, 0) ? french::utf8(french::dayName(t.date().addDays(-1))) + " minuit" : when(t);
}

} // namespace

Warnings readWarnings(const WeatherDocument &doc)
{
    Warnings out;
    const QDomElement section = doc.root().firstChildElement(QStringLiteral("vigilance"));
    for (QDomElement e = section.firstChildElement(QStringLiteral("phen")); !e.isNull() && out.list.size() < 9;
         e = e.nextSiblingElement(QStringLiteral("phen"))) {
        const std::optional<double> id = readMeasure(e.firstChildElement(QStringLiteral("id")).text().toUtf8(), 1, 9);
        const std::optional<double> coul = readMeasure(e.firstChildElement(QStringLiteral("coul")).text().toUtf8(), 2, 4);
        const std::optional<Phenomenon> phenomenon = id ? phenomenonOf(*id) : std::nullopt;
        const std::optional<WarningColour> colour = coul ? warningColourOf(*coul) : std::nullopt;
        const std::optional<QDateTime> begin = readInstantText(e.firstChildElement(QStringLiteral("debut")).text(), std::nullopt);
        const std::optional<QDateTime> end = readInstantText(e.firstChildElement(QStringLiteral("fin")).text(), std::nullopt);
        // Names from our own list: the document's words never reach the window unread.
        // A time without its offset is read in this computer's zone: no span of a place's warning.
        // (Qt keeps an offset of zero, "Z" or "+00:00", as UTC.)
        if (!phenomenon || !colour || !begin || !end || *end <= *begin || begin->timeSpec() == Qt::LocalTime
            || end->timeSpec() == Qt::LocalTime)
            continue;
        out.list.append({*phenomenon, *colour, *begin, *end});
    }
    std::stable_sort(out.list.begin(), out.list.end(), [](const OfficialWarning &a, const OfficialWarning &b) { return a.colour > b.colour; });
    return out;
}

std::pair<QByteArray, QByteArray> badgeTexts(const QList<OfficialWarning> &warnings)
{
    if (warnings.isEmpty())
        return {};
    const OfficialWarning &worst = warnings.first();
    const qsizetype more = warnings.size() - 1;
    return {"Vigilance " + colourWord(worst.colour) + " — " + worst.name(),
            more == 0 ? QByteArray() : "+ " + QByteArray::number(more) + (more == 1 ? " autre" : " autres")};
}

QByteArray warningLine(const OfficialWarning &w, const QDateTime &now)
{
    const QByteArray head = "Vigilance " + colourWord(w.colour) + ' ' + w.name();
    return w.begin > now ? head + " de " + when(w.begin) + " à " + until(w.end) : head + " jusqu'à " + until(w.end);
}

QByteArray spokenWarnings(const QList<OfficialWarning> &warnings, const QDateTime &now)
{
    if (warnings.isEmpty())
        return "Aucune vigilance";
    QList<QByteArray> lines;
    for (const OfficialWarning &w : warnings)
        lines << warningLine(w, now);
    return lines.join(" ; ");
}

} // namespace meteo
