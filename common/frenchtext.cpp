// SPDX-License-Identifier: GPL-2.0-or-later
#include "frenchtext.h"

#include <QLocale>
#include <algorithm>
#include <cctype>
#include <cmath>

namespace meteo::french {
namespace {

const QLocale &locale()
{
    static const QLocale french(QLocale::French);
    return french;
}

} // namespace

QString dayName(QDate date)
{
    return locale().dayName(date.dayOfWeek());
}

QString weekdayName(int weekday)
{
    return locale().dayName(weekday);
}

QString monthAbbreviation(int month)
{
    return locale().monthName(month, QLocale::ShortFormat);
}

QString dayAndDate(QDate date)
{
    return locale().toString(date, QStringLiteral("dddd d MMM"));
}

QString hourMinute(QTime time)
{
    return QString::number(time.hour()) + QStringLiteral(" h ") + QString::number(time.minute()).rightJustified(2, u'0');
}

QString hour(QTime time)
{
    return time.minute() ? hourMinute(time) : QString::number(time.hour()) + QStringLiteral(" h");
}

QString dayAndHour(const QDateTime &t)
{
    return dayName(t.date()) + u' ' + QString::number(t.time().hour()) + QStringLiteral(" h");
}

QString receivedAt(const QDateTime &t)
{
    return locale().toString(t, QStringLiteral("dddd d MMM 'à' HH:mm"));
}

QString receivedAtTime(const QDateTime &t)
{
    return QStringLiteral("Reçues à ") + t.toString(QStringLiteral("HH:mm"));
}

QString relativeDay(QDate date, QDate today)
{
    const qint64 ahead = today.daysTo(date);
    return ahead == 0 ? QStringLiteral("Aujourd'hui") : ahead == 1 ? QStringLiteral("Demain") : dayAndDate(date);
}

QString number(double value, int maxDecimals)
{
    QString text = locale().toString(value, 'f', maxDecimals);
    if (text.contains(u',')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u','))
            text.chop(1);
    }
    return text == QStringLiteral("-0") ? QStringLiteral("0") : text;
}

QString fixed(double value, int decimals)
{
    return locale().toString(value, 'f', decimals);
}

QString degrees(double value, int maxDecimals)
{
    return number(value, maxDecimals) + QStringLiteral(" °C");
}

QString shortDegrees(const std::optional<double> &value)
{
    return value ? number(std::round(*value), 0) + QStringLiteral("°") : QStringLiteral("—");
}

QString millimetresPerHour(double value, int maxDecimals)
{
    return number(value, maxDecimals) + QStringLiteral(" mm/h");
}

QString kilometresPerHour(double value, int maxDecimals)
{
    return number(value, maxDecimals) + QStringLiteral(" km/h");
}

QByteArray atPlace(const QByteArray &name)
{
    QByteArray place = name.trimmed();
    // " (26)", " (2A)", " (974)": a department's number, which a notice does not need.
    if (const qsizetype open = place.lastIndexOf(" ("); open > 0 && place.endsWith(')') && place.size() - open - 3 <= 3
        && std::all_of(place.begin() + open + 2, place.end() - 1, [](char c) { return std::isdigit(uchar(c)) || c == 'A' || c == 'B'; }))
        place.truncate(open);
    if (place.startsWith("Le "))
        return "au " + place.mid(3);
    if (place.startsWith("Les "))
        return "aux " + place.mid(4);
    return "à " + place;
}

} // namespace meteo::french
