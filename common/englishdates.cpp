// SPDX-License-Identifier: GPL-2.0-or-later
#include "englishdates.h"

#include <QList>

namespace meteo::english {
namespace {

const char *const kDays[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
const char *const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

} // namespace

QByteArray dayName(QDate date)
{
    return date.isValid() ? QByteArray(kDays[date.dayOfWeek() - 1]) : QByteArray();
}

QByteArray monthDay(QDate date)
{
    return date.isValid() ? QByteArray(kMonths[date.month() - 1]) + ' ' + QByteArray::number(date.day()) : QByteArray();
}

std::optional<int> weekdayOf(const QByteArray &name)
{
    for (int i = 0; i < 7; ++i)
        if (name.trimmed().compare(kDays[i], Qt::CaseInsensitive) == 0)
            return i + 1;
    return std::nullopt;
}

std::optional<std::pair<int, int>> monthDayOf(const QByteArray &text)
{
    const QList<QByteArray> words = text.simplified().split(' ');
    bool number = false;
    const int day = words.size() == 2 ? words[1].toInt(&number) : 0;
    if (!number || day < 1 || day > 31)
        return std::nullopt;
    for (int m = 0; m < 12; ++m)
        if (words[0].compare(kMonths[m], Qt::CaseInsensitive) == 0)
            return std::pair{m + 1, day};
    return std::nullopt;
}

} // namespace meteo::english
