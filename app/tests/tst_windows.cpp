// SPDX-License-Identifier: GPL-2.0-or-later
// What follows a city's weather: the model (CityWeather, its states), the nine-day and 48-hour
// windows reading its report, the chart's layout as geometry, and the main window feeding the city
// it shows to every follower through its one download road.
#include "app/model/cityweather.h"
#include "app/widgets/chartlayout.h"
#include "app/widgets/errorreport.h"
#include "app/mainwindow/form1.h"
#include "app/mainwindow/companions.h"
#include "app/mainwindow/mainmenus.h"
#include "app/windows/formheures.h"
#include "app/windows/formprevisions.h"
#include "app/widgets/hourlychart.h"
#include "app/widgets/vigilancebadge.h"
#include "common/instanttext.h"
#include "reportsupport.h"
#include "testsupport.h"
#include "windowfixture.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <cmath>

using namespace testing;

namespace {

bool hasPicture(const QLabel *label)
{
    return !label->pixmap().isNull();
}

const QDateTime kNine(QDate(2026, 12, 7), QTime(9, 0), Qt::OffsetFromUTC, 3600);

// Brest's 48 hours from `first`: temperatures `i % 9`, three millimetres in the first six hours,
// and two millimetres in every quarter.
QByteArray brest(const QDateTime &first)
{
    return placeDocument("Brest, France", hoursSection(first, 48, [](int i) {
                                                 return "<tmp>" + QByteArray::number(i % 9) + "</tmp><prec>" + (i < 6 ? "3" : "0") + "</prec>";
                                             }) + rainSection(first, [](int) { return QByteArray("2"); }));
}

} // namespace

class WindowsTest : public QObject, WindowFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { prepare(true, true); }

    void cleanup() { forgetStored(); }

    // What a city's weather says of itself after each event of its downloads: a failure or an
    // abandoned download keeps the last report; past three hours it is old.
    void cityWeatherStates_data()
    {
        QTest::addColumn<QString>("events");  // d: download starts, r: received, f: failed, s: abandoned, o: three hours pass
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("hasReport");
        using S = meteo::CityWeather::State;
        QTest::newRow("nothing yet") << QString() << int(S::Never) << false;
        QTest::newRow("first download") << QStringLiteral("d") << int(S::Downloading) << false;
        QTest::newRow("received") << QStringLiteral("dr") << int(S::Fresh) << true;
        QTest::newRow("received long ago") << QStringLiteral("dro") << int(S::Old) << true;
        QTest::newRow("again under way") << QStringLiteral("drd") << int(S::Downloading) << true;
        QTest::newRow("failed after a good one") << QStringLiteral("drdf") << int(S::Failed) << true;
        QTest::newRow("failed first") << QStringLiteral("df") << int(S::Failed) << false;
        QTest::newRow("abandoned") << QStringLiteral("drds") << int(S::Fresh) << true;
        QTest::newRow("received after a failure") << QStringLiteral("dfdr") << int(S::Fresh) << true;
    }

    void cityWeatherStates()
    {
        QFETCH(QString, events);
        meteo::CityWeather city("FR29019");
        QSignalSpy changed(&city, &meteo::CityWeather::changed);
        QDateTime now = kNine;
        for (const QChar e : events) {
            if (e == u'd')
                city.startDownload();
            else if (e == u'r')
                city.receive(reportOf(brest(kNine), now));
            else if (e == u'f')
                city.fail(QStringLiteral("Service injoignable"));
            else if (e == u's')
                city.stopDownload();
            else
                now = now.addSecs(3 * 3600 + 60);
        }
        QTEST(int(city.state(now)), "state");
        QTEST(bool(city.report()), "hasReport");
        QCOMPARE(changed.size(), events.size() - events.count(u'o'));
        QCOMPARE(city.failure().isEmpty(), city.state(now) != meteo::CityWeather::State::Failed);
        QCOMPARE(city.name(), QByteArray(city.report() ? "Brest" : ""));  // the document's name until the list names it
    }

    // --- The nine days ------------------------------------------------------------------------------

    // Nine days of our own, three of them broken in a different way: a day without its high, one
    // without its night part, one with a hostile icon code. The broken parts show "—" or nothing;
    // every day is shown.
    void forecastShowsEveryDayOfTheDocument()
    {
        const QDateTime now(QDate(2026, 12, 7), QTime(10, 0));
        meteo::CityWeather paris("FR75056");
        paris.receive(reportOf(readFile(QStringLiteral(METEO_SAMPLES_DIR "/paris-9days.xml")), now));
        meteo::FormPrevisions window(nullptr);
        auto *forecast = &window;
        forecast->clock = [now] { return now; };
        forecast->roomWidth = [] { return 1920; };
        forecast->follow(&paris);
        QCOMPARE(forecast->windowTitle(), QStringLiteral("Prévisions — Paris, France"));
        QVERIFY(!forecast->compact());
        const QList<QList<const char *>> rows{
            {"Aujourd'hui", "Partiellement nuageux", "9°C / 0°C", "10 %", "21 km/h SO", "08:29:00 – 16:55:00"},
            {"Demain", "Beau temps", "— / 1°C", "0 %", "—", "08:30:00 – 16:54:00"},
            {"mercredi 9 déc.", "Partiellement nuageux", "10°C / 0°C", "10 %", "—", "08:31:00 – 16:54:00"},
            {"jeudi 10 déc.", "Brouillard", "6°C / -3°C", "10 %", "—", "08:32:00 – 16:54:00"},
        };
        for (int n = 1; n <= int(rows.size()); ++n) {
            const QStringList shown{forecast->cell("Jour", n)->text(), forecast->cell("Ciel", n)->text(),
                                    forecast->cell("Temp", n)->text(), forecast->cell("Pluie", n)->text(),
                                    forecast->cell("Vent", n)->text(), forecast->cell("Soleil", n)->text()};
            QStringList expected;
            for (const char *text : rows[n - 1])
                expected << QString::fromUtf8(text);
            QCOMPARE(shown, expected);
        }
        QVERIFY(hasPicture(forecast->cell("IconeJour", 1)) && hasPicture(forecast->cell("IconeNuit", 1)));
        QVERIFY(!hasPicture(forecast->cell("IconeNuit", 3)));  // no night part
        QVERIFY(!hasPicture(forecast->cell("IconeJour", 4)));  // hostile code
        QVERIFY(hasPicture(forecast->cell("IconeNuit", 4)));
        QVERIFY(forecast->cell("Jour", 9)->isVisibleTo(forecast));
        QVERIFY(!forecast->findChild<QLabel *>(QStringLiteral("Message"))->isVisibleTo(forecast));
        // A screen reader hears each picture as its sky.
        QCOMPARE(QAccessible::queryAccessibleInterface(forecast->cell("IconeJour", 1))->text(QAccessible::Name),
                 QStringLiteral("Partiellement nuageux"));
        // Drawn on one scale: each bar runs from its low to its high, a colder day further left;
        // a missing high is no end at all, not a zero.
        QVERIFY(*forecast->bar(1)->lowX() < *forecast->bar(1)->highX());
        QVERIFY(*forecast->bar(4)->lowX() < *forecast->bar(1)->lowX() && *forecast->bar(4)->highX() < *forecast->bar(1)->highX());
        QVERIFY(!forecast->bar(2)->highX() && forecast->bar(2)->lowX());
        // On a narrow screen (1280 pixels at a scale of 2), the wind and the sun under the sky: every
        // column's value is still there, and the rows fit its width.
        forecast->roomWidth = [] { return 640; };
        forecast->present();
        QVERIFY(forecast->compact());
        QVERIFY(!forecast->cell("Vent", 1)->isVisibleTo(forecast) && !forecast->cell("Soleil", 1)->isVisibleTo(forecast));
        QCOMPARE(forecast->cell("Ciel", 1)->text(), QStringLiteral("Partiellement nuageux\n21 km/h SO · 08:29 – 16:55"));
        QVERIFY2(forecast->sizeHint().width() + forecast->style()->pixelMetric(QStyle::PM_ScrollBarExtent) <= 640,
                 qPrintable(QString::number(forecast->sizeHint().width())));
        forecast->roomWidth = [] { return 1920; };
        forecast->present();
        QVERIFY(!forecast->compact() && forecast->cell("Vent", 1)->isVisibleTo(forecast));
        forecast->show();
        QTest::keyClick(forecast, Qt::Key_Escape);
        QVERIFY(!forecast->isVisible());
        meteo::FormHeures hours(nullptr);  // a document without hours (another service's) says so
        hours.follow(&paris);
        QCOMPARE(hours.Message->text(), QStringLiteral("Pas de prévision horaire dans ce document"));
    }

    // --- The 48 hours ------------------------------------------------------------------------------

    // The 48-hour chart laid out at the sizes and fonts of the screenshots: every text inside the
    // chart and none over another; the axes it needs and no other; French decimals; the warmest hour
    // named.
    void chartTextsNeverCollide_data()
    {
        // 0 wet, 1 dry, 2 constant, 3 a 40 °C range, 4 no gusts, 5 drizzle, 6 a downpour
        QTest::addColumn<int>("shape");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("fontPixels");
        const char *shapes[] = {"wet", "dry", "constant", "40 degrees", "no gusts", "drizzle", "downpour"};
        for (int shape = 0; shape < 7; ++shape)
            for (const QSize size : {QSize(480, 300), QSize(860, 380), QSize(1800, 700)})
                for (const int font : {12, 24})  // scale 1 and 2
                    QTest::newRow(qPrintable(QStringLiteral("%1 %2x%3 %4px").arg(QString::fromLatin1(shapes[shape])).arg(size.width())
                                                 .arg(size.height()).arg(font)))
                        << shape << size << font;
    }

    void chartTextsNeverCollide()
    {
        QFETCH(int, shape);
        QFETCH(QSize, size);
        QFETCH(int, fontPixels);
        const QDateTime first(QDate(2026, 12, 7), QTime(14, 0), Qt::OffsetFromUTC, 3600);
        QList<meteo::HourPoint> hours;
        for (int i = 0; i < 48; ++i) {
            meteo::HourPoint h;
            h.time = first.addSecs(3600 * i);
            h.temperature = shape == 2 ? 8.0 : shape == 3 ? -12 + 40 * std::sin(i / 15.0) * std::sin(i / 15.0) : 4 + 6 * std::sin(i / 4.0);
            h.feelsLike = *h.temperature - 3;
            h.precipitation = shape == 1 ? 0.0 : shape == 6 && i == 5 ? 38.0 : i % 5 == 0 ? (shape == 5 ? 0.2 : 3.3) : 0.0;
            h.chance = 60.0;
            if (shape != 4)
                h.gust = 20 + i % 17;
            h.icon = "30";
            hours << h;
        }
        QFont font;
        font.setPixelSize(fontPixels);
        const QFontMetrics fm(font);
        // No smaller than the chart lets itself be.
        const QSize shown = size.expandedTo(QSize(fm.averageCharWidth() * 70, fm.height() * 17));
        const meteo::ChartLayout chart(hours, font, shown);
        const QList<meteo::ChartLayout::Label> &labels = chart.labels;
        QStringList texts;
        for (qsizetype i = 0; i < labels.size(); ++i) {
            texts << labels[i].text;
            QVERIFY2(QRectF(QPointF(0, 0), shown).contains(labels[i].rect), qPrintable(labels[i].text));
            QVERIFY2(!labels[i].text.contains(u'.'), qPrintable(labels[i].text));  // French decimals
            for (qsizetype j = i + 1; j < labels.size(); ++j)
                QVERIFY2(!labels[i].rect.intersects(labels[j].rect), qPrintable(labels[i].text + QStringLiteral(" / ") + labels[j].text));
        }
        QVERIFY(chart.plot.width() > 100 && chart.plot.height() > 50);
        const auto has = [&texts](const QString &part) {
            return std::any_of(texts.begin(), texts.end(), [&](const QString &t) { return t.contains(part); });
        };
        QCOMPARE(chart.precipitation.has_value(), shape != 1);
        QCOMPARE(has(QStringLiteral("mm/h")), shape != 1);
        // The rain's axis reaches 2 mm/h at least, so that drizzle is a low bar; the wettest hour,
        // however heavy, stays under its top.
        if (const QRectF bar = chart.precipitationBar(hours, 5); shape != 1) {
            QVERIFY(chart.precipitation->high >= 2 && bar.top() > chart.plot.top() + 1 && bar.bottom() <= chart.plot.bottom() + 0.5);
            QVERIFY(shape != 5 || bar.height() < chart.plot.height() / 4);
        }
        // Each value at its height: no bar taller than the wettest hour's, no point under the coldest's.
        const auto wettest = std::max_element(hours.begin(), hours.end(), [](const auto &a, const auto &b) { return a.precipitation < b.precipitation; });
        const auto coldest = std::min_element(hours.begin(), hours.end(), [](const auto &a, const auto &b) { return a.temperature < b.temperature; });
        for (int i = 0; i < 48; ++i) {
            QVERIFY(chart.precipitationBar(hours, i).height() <= chart.precipitationBar(hours, int(wettest - hours.begin())).height() + 0.01);
            QVERIFY(chart.temperaturePoint(hours, i).y() <= chart.temperaturePoint(hours, int(coldest - hours.begin())).y() + 0.01);
        }
        QCOMPARE(has(QStringLiteral("Pas de pluie sur 48 heures")), shape == 1);
        QCOMPARE(chart.gust.has_value(), shape != 4);
        QCOMPARE(has(QStringLiteral("rafales")), shape != 4);
        QVERIFY(has(QStringLiteral("température")) && has(QStringLiteral("ressenti")));
        double warmest = -100;
        for (const meteo::HourPoint &h : hours)
            warmest = std::max(warmest, *h.temperature);
        QVERIFY2(texts.contains(QString::number(std::lround(warmest)) + QStringLiteral(" °C")), qPrintable(texts.join(u'|')));
    }

    // The window opens with the chart taking the keys: Left, Right, Home and End move an hour cursor
    // at once, its values said in full under the chart and to screen readers; the next report, of
    // this city or another, leaves nothing of the last one under the cursor.
    void chartCursorSaysTheHour()
    {
        const QDateTime first(QDate(2026, 12, 7), QTime(14, 0), Qt::OffsetFromUTC, 3600);
        const QByteArray doc = placeDocument("Mende, France", hoursSection(first, 48, [](int i) {
            return "<tmp>" + QByteArray::number(11 + i % 3) + "</tmp><flik>8</flik><ppcp>60</ppcp><prec>0.4</prec><wind><gust>35</gust></wind>";
        }));
        meteo::CityWeather mende("FR48095"), tampon("FR97422");
        mende.receive(reportOf(doc, first));
        tampon.receive(reportOf(brest(first), first));
        meteo::FormHeures window(nullptr);
        window.clock = [&first] { return first.addSecs(300); };
        window.follow(&mende);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        meteo::HourlyChart *chart = window.Graphique;
        QCOMPARE(QApplication::focusWidget(), chart);
        QCOMPARE(chart->cursor(), 0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QCOMPARE(chart->cursor(), 1);
        const QString said = QStringLiteral("lundi 15 h : 12 °C, ressenti 8 °C, pluie 0,4 mm/h (60 %), rafales 35 km/h");
        QCOMPARE(chart->cursorText(), said);
        QCOMPARE(window.Detail->text(), said);
        QCOMPARE(chart->accessibleDescription(), said);
        QTest::keyClick(chart, Qt::Key_End);
        QCOMPARE(chart->cursor(), 47);
        QVERIFY(window.Detail->text().startsWith(QStringLiteral("mercredi 13 h : ")));
        QTest::keyClick(chart, Qt::Key_Home);
        QCOMPARE(chart->cursor(), 0);
        QTest::mouseMove(chart, QPoint(int(chart->plotArea().left() + chart->plotArea().width() * 10.5 / 48), int(chart->plotArea().center().y())));
        QCOMPARE(chart->cursor(), 10);
        window.follow(&tampon);  // Mende removed, another city shown
        QCOMPARE(chart->cursor(), -1);
        QVERIFY(!window.Detail->text().contains(QStringLiteral("ressenti 8 °C")));
        QVERIFY(!chart->accessibleDescription().contains(QStringLiteral("lundi 15 h")));
        QTest::keyClick(chart, Qt::Key_Right);
        QCOMPARE(chart->cursor(), 0);
    }

    // The windows know the clock: on a report received more than three hours ago they say so (from
    // the report: the stored file's date is no one's business), the 48 hours present no hour already
    // past as ahead and no longer speak of the rain of two hours that are over; the title names the
    // place; the window repaints every minute only while it is shown.
    void hoursWindowKnowsTheClockAndItsAge()
    {
        meteo::CityWeather city("FR29019");
        city.receive(reportOf(brest(kNine), kNine.addSecs(10 * 60)));
        meteo::FormHeures window(nullptr);
        QDateTime now = kNine.addSecs(20 * 60);
        window.clock = [&now] { return now; };
        window.follow(&city);
        QCOMPARE(window.windowTitle(), QStringLiteral("Prochaines 48 heures — Brest"));
        QCOMPARE(window.Phrase->text(), QStringLiteral("Pluie forte en cours, sans fin prévue d'ici 11 h 00"));
        QVERIFY(!window.Recues->text().contains(QStringLiteral("anciennes")));
        files.write(QStringLiteral("weather.xml"), brest(kNine));  // stored just now: beside the point
        meteo::FormPrevisions days(nullptr);
        days.clock = [&now] { return now; };
        days.follow(&city);
        for (const int minutes : {179, 181}) {
            now = kNine.addSecs(60 * (10 + minutes));
            days.present();
            QCOMPARE(days.findChild<QLabel *>(QStringLiteral("Recues"))->text(),
                     QStringLiteral("Reçues le lundi 7 déc. à 09:10") + (minutes > 180 ? QStringLiteral(" — données anciennes") : QString()));
        }

        // A download under way is said at once, in both windows, until its answer comes.
        city.startDownload();
        QVERIFY2(window.Recues->text().endsWith(QStringLiteral(" — Actualisation…")), qPrintable(window.Recues->text()));
        QVERIFY(days.findChild<QLabel *>(QStringLiteral("Recues"))->text().endsWith(QStringLiteral(" — Actualisation…")));
        city.stopDownload();
        QVERIFY(!window.Recues->text().contains(QStringLiteral("Actualisation")));
        meteo::CityWeather first("FR75056");
        meteo::FormPrevisions empty(nullptr);
        empty.follow(&first);
        first.startDownload();
        QCOMPARE(empty.findChild<QLabel *>(QStringLiteral("Message"))->text(), QStringLiteral("Actualisation…"));

        now = kNine.addSecs(4 * 3600 + 20 * 60);  // the service unreachable since
        window.present();
        QCOMPARE(window.Phrase->text(), QStringLiteral("Pas de prévision de pluie à jour"));
        QVERIFY2(window.Recues->text().endsWith(QStringLiteral(" — données anciennes")), qPrintable(window.Recues->text()));
        window.Graphique->resize(800, 300);
        window.present();
        // The first hour drawn is the one that holds the clock (13 h): the rainy hours before it are
        // past, 13 h and 14 h are ahead.
        QVERIFY(!window.Graphique->precipitationBar(1).isEmpty() && window.Graphique->precipitationBar(2).isEmpty());
        QVERIFY2(window.Graphique->accessibleDescription().startsWith(QStringLiteral("Températures de 0 à 8 °C ; pluie lundi de 13 h 00 à 15 h 00")),
                 qPrintable(window.Graphique->accessibleDescription()));

        now = kNine.addSecs(3 * 86400);
        window.present();
        QVERIFY(window.Message->isVisibleTo(&window) && !window.Graphique->isVisibleTo(&window));

        auto *minute = window.findChild<QTimer *>();
        QVERIFY(!minute->isActive());
        window.show();
        QVERIFY(minute->isActive());
        window.hide();
        QVERIFY(!minute->isActive());
    }

    // --- The main window feeds the city it shows --------------------------------------------------

    // Both forecast windows and the warning badge follow the city shown: opened before any download
    // they say so, then each download that is shown brings its city, parsed once for all of them; a
    // failed one changes nothing shown, and the city says why. The received instant is the
    // download's end by the window's clock.
    void everyWindowFollowsTheCityShown()
    {
        const QByteArray nineDays = readFile(QStringLiteral(METEO_SAMPLES_DIR "/paris-9days.xml"));
        const QDateTime now = QDateTime::currentDateTimeUtc();  // a warning's times may come as UTC ("+00:00")
        QByteArray warned = QByteArray(nineDays).replace("Paris, France", "Lyon, France");
        warned.insert(warned.lastIndexOf("</weather>"), vigilanceSection("69", now, {{3, 3, now, now.addSecs(3600)}}));
        files.write(QStringLiteral("villes.ini"), "Paris=FR75056\nLyon=FR69123\n");
        QList<QByteArray> answers{nineDays, warned, "500"};
        RawServer server([&answers](QTcpSocket *s, const QByteArray &r) {
            const QByteArray body = answers.isEmpty() ? QByteArray("500") : answers.takeFirst();
            RawServer::document(body == "500" ? QByteArray("<error>panne</error>") : body, body == "500" ? "500 Internal Server Error" : "200 OK")(s, r);
        });
        TForm1 w;
        w.setServiceHost(server.host());
        const QDateTime clock = now.addSecs(-42 * 60);
        w.clock = [clock] { return clock; };
        w.Menus->PrevisionsNeufJours->trigger();
        w.Menus->PrevisionsHeures->trigger();
        const quint64 parses = meteo::WeatherDocument::parseCount();
        QVERIFY(w.Compagnons->Previsions && w.Compagnons->Heures);
        QCOMPARE(w.Compagnons->Previsions->findChild<QLabel *>(QStringLiteral("Message"))->text(),
                 QStringLiteral("Aucune prévision : la météo n'a pas encore été téléchargée"));
        w.Request("FR75056");
        QTRY_COMPARE(w.Compagnons->Previsions->windowTitle(), QStringLiteral("Prévisions — Paris, France"));
        QVERIFY(w.Affichee() && w.Affichee()->code() == "FR75056" && w.Affichee()->name() == "Paris");
        QCOMPARE(w.Affichee()->report()->received, clock);
        QCOMPARE(meteo::WeatherDocument::parseCount() - parses, quint64(1));  // one download, one parse, every window
        QVERIFY(!w.Vigilance->isVisibleTo(&w));
        w.Request("FR69123");
        QTRY_COMPARE(w.Compagnons->Previsions->windowTitle(), QStringLiteral("Prévisions — Lyon, France"));
        QCOMPARE(w.Compagnons->Heures->windowTitle(), QStringLiteral("Prochaines 48 heures — Lyon"));
        QVERIFY(w.Vigilance->isVisibleTo(&w) && w.Vigilance->text().startsWith(QStringLiteral("Vigilance orange — orages")));
        meteo::CityWeather *lyon = w.Affichee();
        w.Request("FR69123");
        QTRY_COMPARE(lyon->state(clock), meteo::CityWeather::State::Failed);
        QVERIFY2(lyon->failure().contains(QStringLiteral("500")), qPrintable(lyon->failure()));
        QCOMPARE(w.Affichee(), lyon);
        QCOMPARE(w.Compagnons->Previsions->windowTitle(), QStringLiteral("Prévisions — Lyon, France"));
        QVERIFY(w.Vigilance->isVisibleTo(&w));
        QCOMPARE(server.requests.size(), 3);
    }
};

static const testing::RegisterTest<WindowsTest> registeredWindowsTest;
#include "tst_windows.moc"
