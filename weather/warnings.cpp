#include "warnings.h"

#include "common/instanttext.h"
#include "hourly.h"

#include <QDomElement>
#include <QLocale>
#include <algorithm>

namespace meteo {
namespace {

QByteArray when(const QDateTime &t)
{
    return QLocale(QLocale::French).dayName(t.date().dayOfWeek()).toUtf8() + ' ' + QByteArray::number(t.time().hour()) + " h"
           + (t.time().minute() ? ' ' + QByteArray::number(t.time().minute()).rightJustified(2, '0') : QByteArray());
}

} // namespace

QByteArray colourWord(int colour)
{
    return colour == 4 ? "rouge" : colour == 3 ? "orange" : colour == 2 ? "jaune" : "";
}

Warnings readWarnings(const WeatherDocument &doc)
{
    static const char *const names[] = {"vent violent", "pluie-inondation", "orages", "crues", "neige-verglas",
                                        "canicule", "grand froid", "avalanches", "vagues-submersion"};
    Warnings out;
    const QDomElement section = doc.root().firstChildElement(QStringLiteral("vigilance"));
    out.present = !section.isNull();
    for (QDomElement e = section.firstChildElement(QStringLiteral("phen")); !e.isNull() && out.list.size() < 9;
         e = e.nextSiblingElement(QStringLiteral("phen"))) {
        const std::optional<double> id = readMeasure(e.firstChildElement(QStringLiteral("id")).text().toUtf8(), 1, 9);
        const std::optional<double> colour = readMeasure(e.firstChildElement(QStringLiteral("coul")).text().toUtf8(), 2, 4);
        const std::optional<QDateTime> begin = readInstantText(e.firstChildElement(QStringLiteral("debut")).text(), std::nullopt);
        const std::optional<QDateTime> end = readInstantText(e.firstChildElement(QStringLiteral("fin")).text(), std::nullopt);
        // Names from our own list: the document's words never reach the window unread.
        if (!id || !colour || *id != int(*id) || *colour != int(*colour) || !begin || !end || *end <= *begin
            || begin->timeSpec() != Qt::OffsetFromUTC)
            continue;
        out.list.append({int(*id), int(*colour), names[int(*id) - 1], *begin, *end});
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
    return {"Vigilance " + colourWord(worst.colour) + " — " + worst.name,
            more == 0 ? QByteArray() : "+ " + QByteArray::number(more) + (more == 1 ? " autre" : " autres")};
}

QByteArray warningLine(const OfficialWarning &w, const QDateTime &now)
{
    const QByteArray head = "Vigilance " + colourWord(w.colour) + ' ' + w.name;
    return w.begin > now ? head + " de " + when(w.begin) + " à " + when(w.end) : head + " jusqu'à " + when(w.end);
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
