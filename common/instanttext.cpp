// SPDX-License-Identifier: GPL-2.0-or-later
#include "instanttext.h"

#include <cstdlib>

namespace meteo {
namespace {

constexpr char kLocalFormat[] = "yyyy-MM-ddTHH:mm";
constexpr int kMaxOffset = 14 * 3600;

} // namespace

QString offsetText(int seconds)
{
    const int minutes = std::abs(seconds) / 60;
    return QString(seconds < 0 ? u'-' : u'+') + QString::number(minutes / 60).rightJustified(2, u'0') + u':'
           + QString::number(minutes % 60).rightJustified(2, u'0');
}

QString instantText(const QDateTime &t)
{
    return t.toString(QString::fromLatin1(kLocalFormat)) + offsetText(t.offsetFromUtc());
}

std::optional<QDateTime> readInstantText(QStringView text, std::optional<int> offsetWhenNone)
{
    // Read by hand rather than by a regular expression: a document has a hundred of them, and the
    // form is fixed. yyyy-MM-ddTHH:mm, then ":00", then "Z" or ±hh:mm, each optional.
    const QStringView t = text.trimmed();
    const auto digits = [&t](qsizetype from, qsizetype count) {
        int n = 0;
        for (qsizetype i = from; i < from + count; ++i) {
            if (i >= t.size() || t[i] < u'0' || t[i] > u'9')
                return -1;
            n = n * 10 + (t[i].unicode() - u'0');
        }
        return n;
    };
    if (t.size() < 16 || t[4] != u'-' || t[7] != u'-' || t[10] != u'T' || t[13] != u':')
        return std::nullopt;
    const int year = digits(0, 4), month = digits(5, 2), day = digits(8, 2), hour = digits(11, 2), minute = digits(14, 2);
    // Date and time apart: read as a QDateTime they would be taken in this computer's zone, where
    // the place's 02:30 may be an hour that does not exist.
    const QDate date(year, month, day);
    const QTime time(hour, minute);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || !date.isValid() || !time.isValid())
        return std::nullopt;
    qsizetype at = 16;
    if (t.size() >= at + 3 && t[at] == u':') {
        if (digits(at + 1, 2) != 0)
            return std::nullopt;
        at += 3;
    }
    std::optional<int> offset = offsetWhenNone;
    if (at < t.size() && t[at] == u'Z') {
        offset = 0;
        ++at;
    } else if (at < t.size() && (t[at] == u'+' || t[at] == u'-')) {
        const int hours = digits(at + 1, 2), minutes = digits(at + 4, 2);
        if (hours < 0 || minutes < 0 || t.size() < at + 6 || t[at + 3] != u':' || minutes >= 60)
            return std::nullopt;
        offset = (t[at] == u'-' ? -1 : 1) * (hours * 3600 + minutes * 60);
        at += 6;
    }
    if (at != t.size())
        return std::nullopt;
    if (!offset)
        return QDateTime(date, time);  // this computer's own zone
    if (std::abs(*offset) > kMaxOffset)
        return std::nullopt;
    return QDateTime(date, time, Qt::OffsetFromUTC, *offset);
}

} // namespace meteo
