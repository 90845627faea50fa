// SPDX-License-Identifier: GPL-2.0-or-later
// The readings of the hours ahead and their texts: the 48 hours and the quarters read with their
// offsets, every value read or refused (and drawn as a gap), round scales, the
// rain sentence, the French texts of dates, hours and numbers, and the city report read once.
#include "testsupport.h"
#include "reportsupport.h"
#include "common/englishdates.h"
#include "common/frenchtext.h"
#include "common/instanttext.h"
#include "weather/hourly.h"
#include "weather/rainalert.h"
#include "app/model/cityweather.h"
#include "app/windows/formheures.h"
#include "app/windows/formprevisions.h"

#include <QLabel>
#include <QTest>
#include <QTimeZone>
#include <cmath>

using namespace testing;

class HourlyTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Scales cover the data in round steps, whatever the series: below zero, all dry, one 40 mm hour.
    void scalesCoverTheirSeries_data()
    {
        QTest::addColumn<double>("lo");
        QTest::addColumn<double>("hi");
        QTest::newRow("below zero") << -7.3 << -1.2;
        QTest::newRow("all dry") << 0.0 << 0.0;
        QTest::newRow("one 40 mm hour") << 0.0 << 40.0;
        QTest::newRow("summer") << 17.0 << 33.0;
    }

    void scalesCoverTheirSeries()
    {
        QFETCH(double, lo);
        QFETCH(double, hi);
        const meteo::Scale s = meteo::niceScale(lo, hi);
        QVERIFY(s.low < lo && s.high > hi && s.step > 0);
        const double mantissa = s.step / std::pow(10.0, std::floor(std::log10(s.step)));
        QVERIFY2(QList<double>({1, 2, 2.5, 5}).contains(mantissa), qPrintable(QString::number(s.step)));
        QVERIFY((s.high - s.low) / s.step <= 8);
        QCOMPARE(std::fmod(s.low / s.step, 1.0), 0.0);
        // A step is the smallest round one that is enough: 1, 2, 2.5 or 5 times a power of ten.
        for (const auto &[raw, step] : QList<std::pair<double, double>>{{0.3, 0.5}, {2.1, 2.5}, {7, 10}, {0.013, 0.02}, {25, 25}, {26, 50}, {1, 1}})
            QCOMPARE(meteo::roundStep(raw), step);
    }

    // The sentence as seen by the clock: what has ended is not ahead, what has not begun is not
    // "en cours", nothing is said of rain that cannot be read or of a forecast that is all past.
    void rainSentenceTellsTheNextTwoHours_data()
    {
        QTest::addColumn<QList<double>>("mm");  // eight quarter hours from 14 h 00; NaN: unreadable
        QTest::addColumn<int>("minutes");       // the clock, after 14 h 00
        QTest::addColumn<QString>("sentence");
        const double nan = std::nan("");
        QTest::newRow("dry") << QList<double>(8, 0.0) << 5 << QStringLiteral("Pas de pluie prévue d'ici 16 h 00");
        QTest::newRow("starting") << QList<double>{0, 0.1, 0.3, 0.2, 0, 0, 0, 0} << 5 << QStringLiteral("Pluie faible à partir de 14 h 15");
        QTest::newRow("ending") << QList<double>{1, 1.2, 0.5, 0.3, 0, 0, 0, 0} << 5 << QStringLiteral("Pluie modérée en cours, fin vers 15 h 00");
        QTest::newRow("lasting") << QList<double>(8, 2.0) << 5 << QStringLiteral("Pluie forte en cours, sans fin prévue d'ici 16 h 00");
        QTest::newRow("started since") << QList<double>{0, 1, 1, 1, 0, 0, 0, 0} << 20 << QStringLiteral("Pluie modérée en cours, fin vers 15 h 00");
        QTest::newRow("ended since") << QList<double>{2, 2, 0, 0, 0, 0, 0, 0} << 35 << QStringLiteral("Pas de pluie prévue d'ici 16 h 00");
        QTest::newRow("not begun yet") << QList<double>(8, 2.0) << -10 << QStringLiteral("Pluie forte à partir de 14 h 00");
        QTest::newRow("all past") << QList<double>(8, 2.0) << 4 * 60 << QStringLiteral("Pas de prévision de pluie à jour");
        QTest::newRow("one unreadable") << QList<double>{0, 0, 0, 0, 0, 0, nan, 0} << 5 << QStringLiteral("Données de pluie illisibles");
    }

    void rainSentenceTellsTheNextTwoHours()
    {
        QFETCH(QList<double>, mm);
        QFETCH(int, minutes);
        const QDateTime start(QDate(2026, 12, 7), QTime(14, 0), Qt::OffsetFromUTC, 3600);
        QList<meteo::RainSlot> rain;
        for (int i = 0; i < mm.size(); ++i)
            rain << meteo::RainSlot{start.addSecs(900 * i), std::isnan(mm[i]) ? std::nullopt : std::optional<double>(mm[i])};
        QTEST(QString::fromUtf8(meteo::rainSentence(rain, start.addSecs(60 * minutes))), "sentence");
    }

    // Times are read with their offset and said in the place's own time, whatever this computer's
    // zone (ctest runs this program in Paris's): Réunion's rain at 02:45 on the night Paris skips
    // from 02:00 to 03:00 is at 2 h 45. Older documents without offsets are read at loc/zone.
    void timesAreThePlacesOwn_data()
    {
        QTest::addColumn<QByteArray>("first");  // the first quarter's t
        QTest::addColumn<QByteArray>("zone");   // loc/zone
        QTest::addColumn<QDateTime>("instant");  // that quarter's instant
        const QDateTime utc(QDate(2027, 3, 27), QTime(22, 0), QTimeZone::utc());
        QTest::newRow("with offset") << QByteArray("2027-03-28T02:00+04:00") << QByteArray("4") << utc;
        QTest::newRow("offset beats zone") << QByteArray("2027-03-28T02:00+04:00") << QByteArray("1") << utc;
        QTest::newRow("older document") << QByteArray("2027-03-28T02:00") << QByteArray("4") << utc;
        QTest::newRow("Marquesas") << QByteArray("2027-03-28T02:00-09:30") << QByteArray("-9.5") << utc.addSecs(13 * 3600 + 1800);
    }

    void timesAreThePlacesOwn()
    {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, instant);
        QByteArray rain = "<rain>";
        for (int i = 0; i < 8; ++i) {  // 02:00 to 03:45, as the place writes them
            const QByteArray t = first.left(12) + QByteArray::number(2 + i / 4) + ':'
                                 + QByteArray::number(15 * (i % 4)).rightJustified(2, '0') + first.mid(16);
            rain += "<q t=\"" + t + "\"><prec>" + (i >= 3 ? "2.5" : "0") + "</prec></q>";
        }
        const QByteArray doc = "<weather><loc><dnam>Saint-Denis, France</dnam><zone>" + zone + "</zone></loc>" + rain + "</rain></weather>";
        const meteo::HourlyForecast f = meteo::readHourly(meteo::WeatherDocument(doc, QStringLiteral("weather.xml")));
        QCOMPARE(f.rain.size(), 8);
        QCOMPARE(f.rain.first().start, instant);
        QCOMPARE(f.rain.first().start.secsTo(f.rain[3].start), 2700);
        QCOMPARE(QString::fromUtf8(meteo::rainSentence(f.rain, instant)), QStringLiteral("Pluie forte à partir de 2 h 45"));
        QCOMPARE(f.place, QByteArray("Saint-Denis"));
    }

    // Hostile numbers are read as gaps, never as values, and never converted (the sanitizer build
    // runs this): a temperature only within Earth's, an amount, a chance or a gust never negative.
    // Both windows draw them as gaps: no bar, no point, no bar end; unreadable rain is said to be so.
    void hostileNumbersAreGaps_data()
    {
        QTest::addColumn<QByteArray>("value");
        for (const char *v : {"-2147483648", "2000000000", "4294967304", "1.7e308", "NaN", "inf", "-inf", "beaucoup",
                              "2,5", "-5", "", "99999999999999999999", "0x10", "1e2", "600"})
            QTest::newRow(v) << QByteArray(v);
    }

    void hostileNumbersAreGaps()
    {
        QFETCH(QByteArray, value);
        const QDateTime first(QDate(2026, 12, 7), QTime(9, 0), Qt::OffsetFromUTC, 3600);
        const QByteArray v = value;
        QByteArray doc = parisWith(hoursSection(first, 48, [&v](int i) {
                                       const QByteArray x = i == 3 ? v : "5";
                                       return "<tmp>" + x + "</tmp><flik>" + x + "</flik><ppcp>" + x + "</ppcp><prec>" + x
                                              + "</prec><wind><gust>" + x + "</gust></wind>";
                                   })
                                   + rainSection(first, [&v](int i) { return i == 2 ? v : "0"; }));
        const qsizetype low = doc.indexOf("<low>") + 5;
        doc.replace(low, doc.indexOf("</low>") - low, value);
        meteo::CityWeather city("FR75056");
        city.receive(reportOf(doc, first));
        const meteo::HourlyForecast &f = city.report()->hourly;
        QCOMPARE(f.hours.size(), 48);
        const meteo::HourPoint &h = f.hours[3];
        const bool aTemperature = value == "-5";  // -5 °C is weather; -5 mm, % or km/h are not
        QVERIFY(bool(h.temperature) == aTemperature && bool(h.feelsLike) == aTemperature);
        QVERIFY(!h.chance && !h.precipitation && !h.gust);
        QCOMPARE(QString::fromUtf8(meteo::rainSentence(f.rain, first.addSecs(60))), QStringLiteral("Données de pluie illisibles"));

        meteo::FormHeures hoursWindow(nullptr);
        hoursWindow.clock = [first] { return first.addSecs(60); };
        hoursWindow.follow(&city);
        hoursWindow.grab();  // paints the chart and the strip
        QVERIFY(hoursWindow.Graphique->precipitationBar(3).isEmpty());
        QCOMPARE(hoursWindow.Graphique->temperaturePoint(3).isNull(), !aTemperature);
        QCOMPARE(hoursWindow.Phrase->text(), QStringLiteral("Données de pluie illisibles"));
        meteo::FormPrevisions daysWindow(nullptr);
        daysWindow.follow(&city);
        daysWindow.grab();
        QCOMPARE(!daysWindow.bar(1)->lowX(), !aTemperature);  // no bar end where the low was
        QCOMPARE(daysWindow.cell("Temp", 1)->text().endsWith(QStringLiteral("/ —")), !aTemperature);
    }

    // What falls is named as the hour's icon says, the same in the cursor line, the chart's legend,
    // the strip's heading and sentence and the notice: snow at Mende is never "pluie".
    void precipitationIsNamedAsItFalls_data()
    {
        QTest::addColumn<QByteArray>("icons");  // of the two wet hours
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("sentence");
        QTest::addColumn<QString>("notice");
        QTest::newRow("rain") << QByteArray("12 11") << QStringLiteral("pluie") << QStringLiteral("Pluie modérée à partir de 14 h 15")
                              << QStringLiteral("Pluie modérée attendue");
        QTest::newRow("light snow") << QByteArray("14 16") << QStringLiteral("neige") << QStringLiteral("Neige modérée à partir de 14 h 15")
                                    << QStringLiteral("Neige modérée attendue");
        QTest::newRow("blizzard at night") << QByteArray("43 46") << QStringLiteral("neige") << QStringLiteral("Neige modérée à partir de 14 h 15")
                                           << QStringLiteral("Neige modérée attendue");
        QTest::newRow("freezing rain") << QByteArray("10 8") << QStringLiteral("pluie verglaçante")
                                       << QStringLiteral("Pluie verglaçante modérée à partir de 14 h 15") << QStringLiteral("Pluie verglaçante modérée attendue");
        QTest::newRow("sleet") << QByteArray("18 5") << QStringLiteral("précipitations")
                               << QStringLiteral("Précipitations modérées à partir de 14 h 15") << QStringLiteral("Précipitations modérées attendues");
        QTest::newRow("rain turning to snow") << QByteArray("12 16") << QString() << QStringLiteral("Précipitations modérées à partir de 14 h 15")
                                              << QStringLiteral("Précipitations modérées attendues");
        QTest::newRow("unreadable icon") << QByteArray("x 99") << QStringLiteral("pluie") << QStringLiteral("Pluie modérée à partir de 14 h 15")
                                         << QStringLiteral("Pluie modérée attendue");
    }

    void precipitationIsNamedAsItFalls()
    {
        QFETCH(QByteArray, icons);
        QFETCH(QString, word);
        QFETCH(QString, sentence);
        QFETCH(QString, notice);
        const QList<QByteArray> icon = icons.split(' ');
        const QDateTime first(QDate(2027, 2, 4), QTime(13, 0), Qt::OffsetFromUTC, 3600), now = first.addSecs(3600 + 60);
        const QByteArray hours = hoursSection(first, 4, [&icon](int i) {
            return "<tmp>-1</tmp><prec>" + QByteArray(i == 1 || i == 2 ? "1.3" : "0") + "</prec><icon>" + (i == 2 ? icon[1] : icon[0]) + "</icon>";
        });
        // Dry until 14:15, then 1 mm in each quarter (4 mm/h) into the next hour.
        const QByteArray rain = rainSection(first.addSecs(3600), [](int i) { return QByteArray(i >= 1 ? "1" : "0"); });
        const auto report = reportOf(placeDocument("Mende, France", hours + rain), now);
        const QList<meteo::HourPoint> &h = report->hourly.hours;
        if (!word.isEmpty())
            QVERIFY2(QString::fromUtf8(meteo::hourTooltip(h[1])).contains(QStringLiteral(", ") + word + QStringLiteral(" 1,3 mm/h")),
                     meteo::hourTooltip(h[1]).constData());
        const QString kind = word.isEmpty() ? QStringLiteral("précipitations") : word;
        QCOMPARE(QString::fromUtf8(meteo::precipitationWord(meteo::wetHoursKind(h))), kind);
        QCOMPARE(QString::fromUtf8(meteo::precipitationWord(meteo::wetQuartersKind(report->hourly.rain))), kind);
        QVERIFY(QString::fromUtf8(meteo::hourlyDescription(h)).contains(QStringLiteral(" ; ") + kind + QStringLiteral(" jeudi de 14 h")));
        QCOMPARE(QString::fromUtf8(meteo::rainSentence(report->hourly.rain, now)), sentence);
        meteo::RainAlertMemory memory;
        const std::optional<meteo::RainAlert> alert = meteo::decideRainAlert(memory, report->hourly.rain, "Mende", now, now);
        QVERIFY(alert);
        QCOMPARE(QString::fromUtf8(alert->body), notice);
        QCOMPARE(QString::fromUtf8(alert->summary), sentence.section(u' ', 0, sentence.startsWith(QStringLiteral("Pluie verglaçante")) ? 1 : 0)
                                                        + QStringLiteral(" à Mende vers 14 h 15"));
    }

    // "Aujourd'hui" is the place's own date, whatever this computer's zone: its offset from the hour
    // the clock falls in, else from loc/zone. `days` rows start at `firstDay`.
    void daysAreNamedByThePlacesDate_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<int>("hourOffset");  // of the hours written, in minutes; 0 for none
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QDate>("firstDay");
        QTest::addColumn<QStringList>("rows");
        const QStringList today{QStringLiteral("Aujourd'hui"), QStringLiteral("Demain")};
        const QDateTime nukuHiva(QDate(2026, 12, 8), QTime(9, 27), QTimeZone::utc());  // 23:57 on Monday there
        QTest::newRow("Nuku-Hiva before midnight") << QByteArray("-9.5") << -570 << nukuHiva << QDate(2026, 12, 7)
                                                   << QStringList{today[0], today[1], QStringLiteral("mercredi 9 déc.")};
        QTest::newRow("Nuku-Hiva, zone alone") << QByteArray("-9.5") << 0 << nukuHiva << QDate(2026, 12, 7)
                                               << QStringList{today[0], today[1], QStringLiteral("mercredi 9 déc.")};
        const QDateTime tampon(QDate(2026, 12, 6), QTime(21, 30), QTimeZone::utc());  // 01:30 on Monday there
        QTest::newRow("Le Tampon after midnight") << QByteArray("4") << 240 << tampon << QDate(2026, 12, 7)
                                                  << QStringList{today[0], today[1], QStringLiteral("mercredi 9 déc.")};
        QTest::newRow("old document") << QByteArray("4") << 0 << tampon.addDays(1) << QDate(2026, 12, 7)
                                      << QStringList{QStringLiteral("lundi 7 déc."), today[0], today[1]};
        // Paris, Sunday 25 October at 23:30: the document of Saturday says +2 in loc/zone, its hours
        // say +1 by then (at +2 it would already be Monday).
        QTest::newRow("Paris after the clocks went back")
            << QByteArray("2") << 60 << QDateTime(QDate(2026, 10, 25), QTime(22, 30), QTimeZone::utc()) << QDate(2026, 10, 24)
            << QStringList{QStringLiteral("samedi 24 oct."), today[0], today[1]};
    }

    void daysAreNamedByThePlacesDate()
    {
        QFETCH(QByteArray, zone);
        QFETCH(int, hourOffset);
        QFETCH(QDateTime, now);
        QFETCH(QDate, firstDay);
        QFETCH(QStringList, rows);
        QByteArray days = "<dayf>";
        for (int d = 0; d < 3; ++d)
            days += "<day d=\"" + QByteArray::number(d) + "\" t=\"" + meteo::english::dayName(firstDay.addDays(d)) + "\" dt=\""
                    + meteo::english::monthDay(firstDay.addDays(d)) + "\"><hi>20</hi><low>10</low></day>";
        days += "</dayf>";
        const QByteArray hours = hourOffset == 0 ? QByteArray()
                                 : hoursSection(now.addSecs(-1800).toOffsetFromUtc(hourOffset * 60), 3, [](int) { return QByteArray("<tmp>20</tmp>"); });
        const QByteArray doc = "<weather><loc><dnam>Ici</dnam><zone>" + zone + "</zone></loc>" + days + hours + "</weather>";
        const auto report = reportOf(doc, now);
        QStringList got;
        for (const meteo::ForecastDay &d : report->forecast.days)
            got << QString::fromUtf8(meteo::relativeDayText(d, report->placeToday(now)));
        QCOMPARE(got, rows);
        QCOMPARE(report->dayAhead(0, now) ? report->dayAhead(0, now)->date : QDate(), report->placeToday(now));
    }

    // The night the clocks go back, Paris's 2 h comes twice: each says which it is, in the cursor
    // line, the description, the strip's quarters and the sentence; the hours around it say nothing.
    void repeatedHourIsNamed()
    {
        const QTimeZone paris("Europe/Paris");
        const QDateTime first = QDateTime(QDate(2026, 10, 25), QTime(0, 0), paris).toOffsetFromUtc(7200);
        QByteArray hours = "<hours>";
        for (int i = 0; i < 6; ++i) {  // 0 h, 1 h, 2 h (summer), 2 h (winter), 3 h, 4 h
            const QDateTime t = first.addSecs(3600 * i).toTimeZone(paris);
            hours += "<hour t=\"" + meteo::instantText(t.toOffsetFromUtc(t.offsetFromUtc())).toLatin1() + "\"><tmp>9</tmp><prec>"
                     + (i >= 2 ? "1" : "0") + "</prec><icon>12</icon></hour>";
        }
        hours += "</hours>";
        // Quarters from 2 h 30 (summer) to 4 h 15: dry until 2 h 15 (winter).
        QByteArray rain = "<rain>";
        for (int q = 0; q < 8; ++q) {
            const QDateTime t = first.addSecs(2 * 3600 + 1800 + 900 * q).toTimeZone(paris);
            rain += "<q t=\"" + meteo::instantText(t.toOffsetFromUtc(t.offsetFromUtc())).toLatin1() + "\"><prec>" + (q >= 3 ? "1" : "0") + "</prec></q>";
        }
        rain += "</rain>";
        const QDateTime now = first.addSecs(2 * 3600 + 1800);
        const auto report = reportOf(placeDocument("Paris, France", hours + rain), now);
        const QList<meteo::HourPoint> &h = report->hourly.hours;
        QCOMPARE(h.size(), 6);
        QStringList heads;
        for (const meteo::HourPoint &p : h)
            heads << QString::fromUtf8(meteo::hourTooltip(p)).section(QStringLiteral(" : "), 0, 0);
        QCOMPARE(heads, (QStringList{QStringLiteral("dimanche 0 h"), QStringLiteral("dimanche 1 h"), QStringLiteral("dimanche 2 h (heure d'été)"),
                                     QStringLiteral("dimanche 2 h (heure d'hiver)"), QStringLiteral("dimanche 3 h"), QStringLiteral("dimanche 4 h")}));
        QVERIFY2(QString::fromUtf8(meteo::hourlyDescription(h)).contains(QStringLiteral("dimanche de 2 h 00 (heure d'été) à")),
                 meteo::hourlyDescription(h).constData());
        const QList<meteo::RainSlot> &q = report->hourly.rain;
        QCOMPARE(q[0].side, meteo::ClockSide::Summer);
        QCOMPARE(q[2].side, meteo::ClockSide::Winter);
        QCOMPARE(q[6].side, meteo::ClockSide::Once);
        QCOMPARE(QString::fromUtf8(meteo::rainSentence(q, now)), QStringLiteral("Pluie modérée à partir de 2 h 15 (heure d'hiver)"));
        // A document that begins with the second 2 h has no hour before it: the service says which.
        const auto later = reportOf(placeDocument("Paris, France", "<hours><hour t=\"2026-10-25T02:00+01:00\" heure=\"hiver\"><tmp>9</tmp></hour>"
                                                                  "<hour t=\"2026-10-25T03:00+01:00\"><tmp>9</tmp></hour></hours>"), now);
        QVERIFY(QString::fromUtf8(meteo::hourTooltip(later->hourly.hours.first())).startsWith(QStringLiteral("dimanche 2 h (heure d'hiver)")));
    }

    // The days the clocks change, the night ends at sunrise and begins at sunset as the place's
    // clocks then say, not at the offset of the day's first hours.
    void nightsOnTheDaysTheClocksChange_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QTime>("sunrise");
        QTest::addColumn<QTime>("sunset");
        QTest::newRow("28 March") << QDate(2027, 3, 28) << QTime(7, 39) << QTime(20, 14);
        QTest::newRow("25 October") << QDate(2026, 10, 25) << QTime(7, 27) << QTime(17, 29);
    }

    void nightsOnTheDaysTheClocksChange()
    {
        QFETCH(QDate, day);
        QFETCH(QTime, sunrise);
        QFETCH(QTime, sunset);
        const QTimeZone paris("Europe/Paris");
        const QDateTime first(day, QTime(0, 0), paris);
        QByteArray hours = "<hours>";
        for (int i = 0; i < 48; ++i) {
            const QDateTime t = first.addSecs(3600 * i);
            hours += "<hour t=\"" + meteo::instantText(t.toOffsetFromUtc(t.offsetFromUtc())).toLatin1() + "\"><tmp>9</tmp></hour>";
        }
        const QByteArray sun = "<sunr>" + sunrise.toString(QStringLiteral("h:mm AP")).toLatin1() + "</sunr><suns>"
                               + sunset.toString(QStringLiteral("h:mm AP")).toLatin1() + "</suns>";
        const QByteArray doc = placeDocument("Paris, France", "<dayf><day d=\"0\">" + sun + "</day><day d=\"1\">" + sun + "</day></dayf>" + hours + "</hours>");
        const meteo::HourlyForecast f = meteo::readHourly(meteo::WeatherDocument(doc, QStringLiteral("weather.xml")));
        QVERIFY(f.nights.size() >= 2);
        QCOMPARE(f.nights[0].second.toMSecsSinceEpoch(), QDateTime(day, sunrise, paris).toMSecsSinceEpoch());
        QCOMPARE(f.nights[1].first.toMSecsSinceEpoch(), QDateTime(day, sunset, paris).toMSecsSinceEpoch());
    }

    // A report is read once from a document: the main window's values, the days translated, the
    // hours, the warnings in force by the clock, and the instant it was received, not a file's date.
    void cityReportHoldsWhatTheDocumentSays()
    {
        const QDateTime first(QDate(2026, 12, 7), QTime(15, 0), Qt::OffsetFromUTC, 3600);
        const QByteArray vigilance = vigilanceSection("75", first, {{1, 3, first, first.addSecs(3600)}, {6, 2, first, first.addSecs(9 * 3600)}});
        const QByteArray doc = parisWith(hoursSection(first, 48, [](int) { return QByteArray("<tmp>5</tmp>"); }) + vigilance);
        const QDateTime received = first.addSecs(120);
        const auto report = reportOf(doc, received);
        QCOMPARE(report->received, received);
        QCOMPARE(report->temperature(), 7);
        QCOMPARE(report->sky, QByteArray("Partiellement nuageux"));
        QCOMPARE(report->hourly.hours.size(), 48);
        QVERIFY(report->forecast.days.size() >= 1 && report->forecast.days.first().sky != "Partly Cloudy");
        QCOMPARE(report->warnings.list.size(), 2);
        QCOMPARE(report->warnings.list.first().name(), QByteArray("vent violent"));  // our own words, not the document's
        QCOMPARE(report->warningsInForce(first.addSecs(2 * 3600)).size(), 1);
        QVERIFY(!report->isOld(received.addSecs(3 * 3600)) && report->isOld(received.addSecs(3 * 3600 + 60)));
        // At one colour the headline is what is in force, then what starts sooner: a heat wave now,
        // floods this evening, rain at midnight.
        const QDateTime now(QDate(2027, 7, 30), QTime(15, 0), Qt::OffsetFromUTC, 7200);
        const auto summer = reportOf(parisWith(vigilanceSection("75", now, {{2, 2, now.addSecs(9 * 3600), now.addSecs(30 * 3600)},
                                                                             {4, 2, now.addSecs(4 * 3600), now.addSecs(30 * 3600)},
                                                                             {6, 2, now.addSecs(-6 * 3600), now.addSecs(20 * 3600)}})),
                                     now);
        QStringList order;
        for (const meteo::OfficialWarning &w : summer->warningsInForce(now))
            order << QString::fromUtf8(w.name());
        QCOMPARE(order, (QStringList{QStringLiteral("canicule"), QStringLiteral("crues"), QStringLiteral("pluie-inondation")}));
    }
};

static const testing::RegisterTest<HourlyTest> registeredHourlyTest;

#include "tst_hourly.moc"
