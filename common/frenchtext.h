// SPDX-License-Identifier: GPL-2.0-or-later
// How French readers write dates, hours, numbers and units: the one place every window, notice and
// the service's French texts take them from, over QLocale(QLocale::French).
#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

namespace meteo::french {

QString dayName(QDate date);         // "lundi"
QString weekdayName(int weekday);    // 1 -> "lundi"
QString monthAbbreviation(int month);  // 12 -> "déc."
QString dayAndDate(QDate date);      // "lundi 7 déc."
QString hourMinute(QTime time);      // "14 h 15"
QString hour(QTime time);            // "14 h", "14 h 30" when the minutes are not zero
QString dayAndHour(const QDateTime &t);  // "lundi 14 h", in the time's own offset
QString receivedAt(const QDateTime &t);  // "lundi 7 déc. à 05:04"
QString receivedAtTime(const QDateTime &t);  // "Reçues à 05:04"
// "Aujourd'hui", "Demain", then "mercredi 9 déc.": a day as seen from `today` (the place's own).
QString relativeDay(QDate date, QDate today);
// "12,5", "-3", "0,25": at most `maxDecimals`, without trailing zeros nor "-0".
QString number(double value, int maxDecimals = 2);
// Exactly `decimals` decimals: "1,0".
QString fixed(double value, int decimals);
QString degrees(double value, int maxDecimals = 0);  // "7 °C"
// A temperature where room is short, to the degree: "7°", "-3°"; "—" when unknown.
QString shortDegrees(const std::optional<double> &value);
QString millimetresPerHour(double value, int maxDecimals = 1);  // "1,2 mm/h"
QString kilometresPerHour(double value, int maxDecimals = 0);   // "45 km/h"

// A place after "à", contracted as French does: "au Tampon", "aux Abymes", "à La Rochelle",
// "à Paris"; without the department number a city list adds to homonyms ("Valence (26)").
QByteArray atPlace(const QByteArray &name);

inline QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

} // namespace meteo::french
