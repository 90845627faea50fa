// SPDX-License-Identifier: GPL-2.0-or-later
#include "noticememory.h"

#include "common/instanttext.h"

#include <QFile>

namespace meteo {
namespace {

constexpr qint64 kRainKept = 60 * 60;     // a spell not seen for an hour is over (the alert's own rule)
constexpr qint64 kMaxBytes = 64 * 1024;   // a few cities' worth; anything bigger is not ours
constexpr int kMaxEntries = 1000;

bool plainField(const QByteArray &field)
{
    return !field.isEmpty() && field.size() <= 64
           && std::all_of(field.begin(), field.end(), [](char c) { return c > ' ' && c < 127; });
}

std::optional<QDateTime> instant(const QByteArray &text)
{
    const std::optional<QDateTime> t = readInstantText(QString::fromLatin1(text), std::nullopt);
    return t && t->timeSpec() != Qt::LocalTime ? t : std::nullopt;  // only instants with their offset
}

QByteArray text(const QDateTime &t)
{
    return instantText(t).toLatin1();
}

// The date an air key ("atmo/2026-12-08") is about: the day after, it no longer matters.
bool airKeyCurrent(const QString &key, const QDateTime &now)
{
    const QDate day = QDate::fromString(key.section(u'/', 1), Qt::ISODate);
    return day.isValid() && day >= now.date().addDays(-1);
}

} // namespace

NoticeMemory NoticeMemory::load(const QString &path, const QDateTime &now)
{
    NoticeMemory m;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxBytes)
        return m;
    int entries = 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (++entries > kMaxEntries)
            break;
        if (f.size() < 3 || !std::all_of(f.begin(), f.end(), plainField))
            continue;
        const QByteArray &kind = f[0], &code = f[1];
        if (kind == "rain" && f.size() == 4) {
            const std::optional<QDateTime> start = instant(f[2]), seen = instant(f[3]);
            if (start && seen && seen->secsTo(now) < kRainKept && *seen <= now.addSecs(kRainKept))
                m.rain[code] = RainAlertMemory{start, seen};
        } else if (kind == "warning" && f.size() == 5) {
            bool okPhenomenon = false, okColour = false;
            const int phenomenon = f[2].toInt(&okPhenomenon), colour = f[3].toInt(&okColour);
            const std::optional<QDateTime> end = instant(f[4]);
            if (okPhenomenon && okColour && phenomenon >= 1 && phenomenon <= 9 && colour >= 1 && colour <= 4 && end && *end > now)
                m.warnings[code].insert(phenomenon, {colour, *end});
        } else if (kind == "air" && f.size() == 3 && airKeyCurrent(QString::fromLatin1(f[2]), now)) {
            m.air[code].insert(QString::fromLatin1(f[2]));
        }
    }
    return m;
}

QByteArray NoticeMemory::serialise(const QDateTime &now) const
{
    QByteArray out;
    for (auto it = rain.cbegin(); it != rain.cend(); ++it)
        if (plainField(it.key()) && it->announcedStart && it->lastRainSeen && it->lastRainSeen->secsTo(now) < kRainKept)
            out += "rain " + it.key() + ' ' + text(*it->announcedStart) + ' ' + text(*it->lastRainSeen) + '\n';
    for (auto city = warnings.cbegin(); city != warnings.cend(); ++city)
        for (auto w = city->cbegin(); plainField(city.key()) && w != city->cend(); ++w)
            if (w->end > now)
                out += "warning " + city.key() + ' ' + QByteArray::number(w.key()) + ' ' + QByteArray::number(w->colour) + ' '
                       + text(w->end) + '\n';
    for (auto city = air.cbegin(); city != air.cend(); ++city)
        for (const QString &key : *city)
            if (plainField(city.key()) && plainField(key.toLatin1()) && airKeyCurrent(key, now))
                out += "air " + city.key() + ' ' + key.toLatin1() + '\n';
    return out;
}

} // namespace meteo
