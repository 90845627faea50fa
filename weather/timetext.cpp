// SPDX-License-Identifier: GPL-2.0-or-later
#include "timetext.h"

#include "common/error.h"

#include <QRegularExpression>

namespace meteo {

QTime readTimeOfDay(const QByteArray &text)
{
    static const QRegularExpression form(
        QStringLiteral(R"(^ *([0-9]{1,2}):([0-9]{1,2})(?::([0-9]{1,2}))? *(?:([AaPp])[Mm])? *\z)"));
    const QRegularExpressionMatch m = form.match(QString::fromLatin1(text));
    int hour = m.hasMatch() ? m.captured(1).toInt() : -1;
    const int minute = m.captured(2).toInt(), second = m.captured(3).toInt();
    const QString marker = m.captured(4).toUpper();
    if (hour >= 0 && !marker.isEmpty()) {
        if (hour > 12)
            hour = -1;
        else if (hour == 12)
            hour = marker == u'A' ? 0 : 12;
        else if (marker == u'P')
            hour += 12;
    }
    const QTime time(hour < 0 ? 99 : hour, minute, second);
    if (!time.isValid())
        throw Error(QStringLiteral("heure illisible : « ") + QString::fromUtf8(text) + QStringLiteral(" »"));
    return time;
}

QByteArray longTimeText(QTime time)
{
    return time.toString(QStringLiteral("HH:mm:ss")).toLatin1();
}

QByteArray shortDateText(QDate date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy")).toLatin1();
}

QByteArray convertTimeText(const QByteArray &text)
{
    return longTimeText(readTimeOfDay(text));
}

} // namespace meteo
