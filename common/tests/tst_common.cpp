// SPDX-License-Identifier: GPL-2.0-or-later
// The texts both programs share: French dates, hours and numbers, the document's English dates.
#include "common/englishdates.h"
#include "common/frenchtext.h"

#include <QTest>

class TestCommon : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Dates, hours and numbers as a French reader writes them, and the document's English days read
    // back to the same date, on every day of a year that has a 29 February.
    void frenchTexts()
    {
        using namespace meteo;
        QCOMPARE(french::number(12.5), QStringLiteral("12,5"));
        QCOMPARE(french::number(-0.001), QStringLiteral("0"));
        QCOMPARE(french::number(3.0, 2), QStringLiteral("3"));
        QCOMPARE(french::fixed(1, 1), QStringLiteral("1,0"));
        QCOMPARE(french::degrees(-3.25, 1), QStringLiteral("-3,3 °C"));
        QCOMPARE(french::hourMinute(QTime(9, 5)), QStringLiteral("9 h 05"));
        QCOMPARE(french::hour(QTime(18, 0)), QStringLiteral("18 h"));
        QCOMPARE(french::dayAndDate(QDate(2026, 12, 7)), QStringLiteral("lundi 7 déc."));
        QCOMPARE(french::receivedAt(QDateTime(QDate(2027, 2, 1), QTime(5, 4))), QStringLiteral("lundi 1 févr. à 05:04"));
        for (QDate d(2028, 1, 1); d.year() == 2028; d = d.addDays(1)) {
            QCOMPARE(english::weekdayOf(english::dayName(d)), d.dayOfWeek());
            const auto md = english::monthDayOf(english::monthDay(d));
            QVERIFY(md && md->first == d.month() && md->second == d.day());
        }
        QVERIFY(!english::weekdayOf("Lundi") && !english::monthDayOf("Dec 32") && !english::monthDayOf("Dec") && !english::monthDayOf("Déc 7"));
        // A place after "à", as every notice writes it, without a list's department number.
        for (const auto &[name, said] : QList<std::pair<QByteArray, QString>>{
                 {"Valence (26)", QStringLiteral("à Valence")}, {"Ajaccio (2A)", QStringLiteral("à Ajaccio")},
                 {"Le Tampon (974)", QStringLiteral("au Tampon")}, {"Les Sables-d'Olonne (85)", QStringLiteral("aux Sables-d'Olonne")},
                 {"La Rochelle", QStringLiteral("à La Rochelle")}, {"L'Isle-sur-la-Sorgue", QStringLiteral("à L'Isle-sur-la-Sorgue")},
                 {"Lenoncourt", QStringLiteral("à Lenoncourt")}, {"Saint-Pierre (La Réunion)", QStringLiteral("à Saint-Pierre (La Réunion)")}})
            QCOMPARE(QString::fromUtf8(french::atPlace(name)), said);
    }

};

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
