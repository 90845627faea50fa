// SPDX-License-Identifier: GPL-2.0-or-later
// The texts both programs share: French dates, hours and numbers, the document's English dates.
#include "common/englishdates.h"
#include "common/frenchtext.h"
#include "common/lambert93.h"
#include "common/raincells.h"

#include <QTest>
#include <cmath>

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

    // Lambert-93 at points IGN publishes (the origin, 20 avenue de Ségur), within a centimetre, and
    // back again at the corners of the rain map, within a millionth of a degree.
    void lambert93()
    {
        using namespace meteo;
        const MapPoint segur = toLambert93({48.850244, 2.308310}), origin = toLambert93({46.5, 3});
        QVERIFY2(std::abs(segur.x - 649242.57) < 0.01 && std::abs(segur.y - 6861355.85) < 0.01,
                 qPrintable(QStringLiteral("%1 %2").arg(segur.x, 0, 'f', 3).arg(segur.y, 0, 'f', 3)));
        QVERIFY(std::abs(origin.x - 700000) < 1e-6 && std::abs(origin.y - 6600000) < 1e-6);
        for (const MapPoint p : {MapPoint{95000, 6040000}, MapPoint{1245000, 7115000}, MapPoint{1245000, 6040000}, MapPoint{95000, 7115000}}) {
            const MapPoint back = toLambert93(fromLambert93(p));
            QVERIFY(std::abs(back.x - p.x) < 1e-3 && std::abs(back.y - p.y) < 1e-3);
        }
        const GeoPoint brest = fromLambert93(toLambert93({48.3904, -4.4861}));
        QVERIFY(std::abs(brest.latitude - 48.3904) < 1e-6 && std::abs(brest.longitude + 4.4861) < 1e-6);
    }

    // A map cell's byte: the levels the table names (1 mm/h is 21, 10 mm/h is 41), what falls in
    // the two high bits, no data apart from every fall, and a mixed fall stopping short of it.
    void rainCells()
    {
        using namespace meteo::rain;
        QCOMPARE(levelOf(0.09), 0);
        QCOMPARE(levelOf(std::nan("")), 0);
        QCOMPARE(levelOf(0.1), 1);
        QCOMPARE(levelOf(1), 21);
        QCOMPARE(levelOf(10), 41);
        QCOMPARE(levelOf(1e300), 63);
        QVERIFY(std::abs(mmPerHourOf(41) - 10) < 1e-9 && mmPerHourOf(0) == 0);
        for (int level = 1; level <= 63; ++level)
            QCOMPARE(levelOf(mmPerHourOf(level)), level);
        for (const Fall fall : {Fall::Rain, Fall::Snow, Fall::Freezing, Fall::Mixed})
            for (int level = 0; level <= 63; ++level) {
                const std::uint8_t byte = encode({fall, level});
                QVERIFY(byte != kNoData);
                const std::optional<Cell> back = decode(byte);
                QVERIFY(back && back->fall == fall && back->level == std::min(level, fall == Fall::Mixed ? 62 : 63));
            }
        QVERIFY(!decode(kNoData));
        // Each class begins at the level of its floor, whatever the rounding of that level's rate.
        for (int k = 0; k < int(std::size(kClassFloors)); ++k)
            QCOMPARE(classOfLevel(levelOf(kClassFloors[k])), k + 1);
        QCOMPARE(classOfLevel(0), 0);
    }

};

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
