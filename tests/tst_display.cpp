// The display refresh: time texts, the composed texts, the order of the writes when a step fails, the
// icon file chosen, and the shipped icon set.
#include "app/errorreport.h"
#include "app/form1.h"
#include "app/formheures.h"
#include "app/formprevisions.h"
#include "app/hourlychart.h"
#include "testsupport.h"
#include "weather/display.h"
#include "common/error.h"
#include "common/instanttext.h"
#include "weather/timetext.h"
#include "meteo_version.h"
#include "service/conditions.h"

#include <QDir>
#include <QLabel>
#include <QAccessible>
#include <cmath>
#include <QRegularExpression>
#include <QTest>
#include <QTimeZone>
#include <QTimer>

using namespace testing;

namespace {

bool hasPicture(const QLabel *label)
{
    return !label->pixmap().isNull();
}

// The forecast window as the menu opens it (Ctrl+P); opening it again raises the same window.
meteo::FormPrevisions *openForecast(TForm1 &w)
{
    QAction *item = w.findChild<QAction *>(QStringLiteral("PrevisionsNeufJours"));
    item->trigger();
    auto *forecast = w.findChild<meteo::FormPrevisions *>(QStringLiteral("FormPrevisions"));
    item->trigger();
    return w.findChildren<meteo::FormPrevisions *>().size() == 1 && forecast->isVisible() ? forecast : nullptr;
}

QByteArray identity(const QByteArray &phrase)
{
    return phrase;
}

} // namespace

class DisplayTest : public QObject {
    Q_OBJECT
    meteo::ErrorReport report;
    BesideExe files;

    // The window after one refresh attempt on the sample document changed by `from` -> `to`, with
    // every target showing "avant" before it.
    std::unique_ptr<TForm1> refreshed(const QByteArray &from = {}, const QByteArray &to = {}, bool *failed = nullptr)
    {
        QByteArray doc = parisDocument();
        doc.replace(from, to);
        files.write(QStringLiteral("weather.xml"), doc);
        auto w = std::make_unique<TForm1>();
        w->setWindowTitle(QStringLiteral("avant"));
        for (int n = 1; n <= 12; ++n)
            w->label(n)->setText(QStringLiteral("avant"));
        bool threw = false;
        try {
            w->Mise_A_Jour();
        } catch (const meteo::Error &) {
            threw = true;
        }
        if (failed)
            *failed = threw;
        return w;
    }

private Q_SLOTS:
    void initTestCase()
    {
        report.setDialogsShown(false);
        files.copyShipped(QStringLiteral("Dictionnaire.ini"));
        files.copyShipped(QStringLiteral("icons"));
    }

    void timeConversion_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("7:45 PM") << QByteArray("7:45 PM") << QByteArray("19:45:00");
        QTest::newRow("12:10 AM") << QByteArray("12:10 AM") << QByteArray("00:10:00");
        QTest::newRow("no blank, lower case") << QByteArray("7:45pm") << QByteArray("19:45:00");
        QTest::newRow("24-hour") << QByteArray("19:05") << QByteArray("19:05:00");
    }

    void timeConversion()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, shown);
        QCOMPARE(meteo::convertTimeText(text), shown);
    }

    void timeConversionRefuses_data()
    {
        QTest::addColumn<QByteArray>("text");
        for (const char *bad : {"24:00", "7:60", "7:45:60", "7:45 PMx", "", "13:00 PM", "7", "7:45 XM", "seven", "7:45\n",
                                "7:45 P M", "１:00"})
            QTest::newRow(bad) << QByteArray(bad);
    }

    void timeConversionRefuses()
    {
        QFETCH(QByteArray, text);
        try {
            meteo::convertTimeText(text);
            QFAIL("accepted");
        } catch (const meteo::Error &e) {
            QVERIFY(QByteArray(e.what()).contains(text));  // the message names the text
        }
    }

    void refreshFillsTheWindow()
    {
        auto w = refreshed();
        QCOMPARE(w->windowTitle(), QStringLiteral("Météo du %1   15:52:00    Version " METEO_VERSION)
                                       .arg(QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"))));
        // Exact texts pin the spacing: "7°C" with no blank, one blank around "mb", " %" at the end.
        for (int n = 1; n <= 12; ++n) {
            QCOMPARE(w->label(n)->text(), parisLabels()[n - 1]);
            QCOMPARE(w->label(n)->size(), w->label(n)->sizeHint());  // sized to its text
        }
        QVERIFY(!w->Imag->pixmap().isNull());
        QVERIFY(!w->Traductions);
    }

    // Which targets a failing step leaves updated: the caption (0) and the labels before it.
    void failureTable_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<int>("updatedUpTo");  // -1: nothing, 0: caption only, n: caption and Label1..n
        QTest::newRow("step 4: not XML") << QByteArray("<weather") << QByteArray("weather") << -1;
        QTest::newRow("step 5: document time") << QByteArray("<tm>3:52 PM") << QByteArray("<tm>25:52") << -1;
        QTest::newRow("step 11: sunrise") << QByteArray("<sunr>8:34 AM") << QByteArray("<sunr>8h34") << 5;
        QTest::newRow("step 15: missing icon") << QByteArray("<icon>30</icon>\n    <bar>") << QByteArray("<icon>99</icon><bar>") << 9;
    }

    void failureTable()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(int, updatedUpTo);
        bool failed = false;
        auto w = refreshed(from, to, &failed);
        QVERIFY(failed);
        QVERIFY(!w->Traductions);  // released on the failing path too
        QCOMPARE(w->windowTitle() != QStringLiteral("avant"), updatedUpTo >= 0);
        for (int n = 1; n <= 12; ++n)
            QVERIFY2((w->label(n)->text() != QStringLiteral("avant")) == (n <= updatedUpTo), qPrintable(QString::number(n)));
    }

    void missingDictionaryChangesNothing()
    {
        files.remove(QStringLiteral("Dictionnaire.ini"));
        bool failed = false;
        auto w = refreshed({}, {}, &failed);
        files.copyShipped(QStringLiteral("Dictionnaire.ini"));
        QVERIFY(failed);
        QCOMPARE(w->windowTitle(), QStringLiteral("avant"));
        QCOMPARE(w->CondMeteo, TConditionMeteo());  // the document was not even read
        QVERIFY(!w->Traductions);
    }

    void hostileIconCodesReadNothingOutsideIcons_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::newRow("parent") << QByteArray("../evil");
        QTest::newRow("absolute") << QByteArray("/tmp/evil");
        QTest::newRow("too long") << QByteArray(33, 'a');
    }

    void hostileIconCodesReadNothingOutsideIcons()
    {
        QFETCH(QByteArray, code);
        TConditionMeteo c;
        c.Icon_Jour = code;
        c.Date_Mesure = c.Lever_du_Soleil.Texte = c.Coucher_du_Soleil.Texte = "1:00";
        struct Target : meteo::DisplayTarget {
            QStringList loaded;
            void setCaption(const QByteArray &) override {}
            void setLabel(int, const QByteArray &) override {}
            void loadIcon(const QString &path) override { loaded << path; }
        } target;
        QVERIFY_THROWS_EXCEPTION(meteo::Error, meteo::writeDisplay(c, identity, QDate(2026, 1, 1), files.path(QStringLiteral("x")), target));
        QVERIFY(target.loaded.isEmpty());  // fails like a missing icon, without touching a file
    }

    // Every icon the service can name has its picture, and every picture is a 100 px PNG with
    // transparent corners.
    void everyIconCodeHasItsPicture()
    {
        QSet<QString> named{QStringLiteral("na")};
        for (const service::Condition &c : service::conditions())
            named << QString::fromLatin1(c.dayIcon) << QString::fromLatin1(c.nightIcon);
        const QDir icons(QStringLiteral(METEO_DATA_DIR "/icons"));
        for (const QString &code : named)
            QVERIFY2(icons.exists(code + QStringLiteral(".png")), qPrintable(code));
        for (const QString &file : icons.entryList({QStringLiteral("*.png")})) {
            QImage image;
            QVERIFY2(image.loadFromData(readFile(icons.filePath(file)), "PNG"), qPrintable(file));
            QCOMPARE(image.size(), file.contains(QStringLiteral("@2x")) ? QSize(200, 200) : QSize(100, 100));
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        }
    }

    // --- The forecast window ------------------------------------------------------------------

    // Nine days of our own, three of them broken in a different way: a day without its high, one
    // without its night part, one with a hostile icon code. The broken parts show "—" or nothing;
    // every day is shown.
    void forecastShowsEveryDayOfTheDocument()
    {
        files.write(QStringLiteral("weather.xml"), readFile(QStringLiteral(METEO_SAMPLES_DIR "/paris-9days.xml")));
        TForm1 w;
        auto *forecast = openForecast(w);
        forecast->clock = [] { return QDateTime(QDate(2026, 12, 7), QTime(10, 0)); };
        forecast->refresh();
        QCOMPARE(forecast->windowTitle(), QStringLiteral("Prévisions — Paris, France"));
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
        // A screen reader hears what each column is, and each picture as its sky.
        QAccessibleInterface *day = QAccessible::queryAccessibleInterface(forecast->cell("Temp", 1));
        QCOMPARE(day->text(QAccessible::Name), QStringLiteral("Températures"));
        QCOMPARE(QAccessible::queryAccessibleInterface(forecast->cell("IconeJour", 1))->text(QAccessible::Name),
                 QStringLiteral("Partiellement nuageux"));
        // Drawn on one scale: each bar runs from its low to its high, a colder day further left;
        // a missing high is no end at all, not a zero.
        QVERIFY(*forecast->bar(1)->lowX() < *forecast->bar(1)->highX());
        QVERIFY(*forecast->bar(4)->lowX() < *forecast->bar(1)->lowX() && *forecast->bar(4)->highX() < *forecast->bar(1)->highX());
        QVERIFY(!forecast->bar(2)->highX() && forecast->bar(2)->lowX());
        QCOMPARE(QAccessible::queryAccessibleInterface(forecast->cell("Vent", 1))->text(QAccessible::Name), QStringLiteral("Vent"));
        QTest::keyClick(forecast, Qt::Key_Escape);
        QVERIFY(!forecast->isVisible());
        w.HeuresClick();  // a document without hours (another service's) says so
        QCOMPARE(w.Heures->Message->text(), QStringLiteral("Pas de prévision horaire dans ce document"));
    }

    // The window says when its document came, and plainly when that is more than three hours ago.
    void forecastSaysTheAgeOfItsDocument()
    {
        for (const int minutesAgo : {179, 181}) {
            files.write(QStringLiteral("weather.xml"), readFile(QStringLiteral(METEO_SAMPLES_DIR "/paris-9days.xml")));
            const QDateTime received = QDateTime::currentDateTime().addSecs(-60 * minutesAgo);
            QFile file(files.path(QStringLiteral("weather.xml")));
            QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(received, QFileDevice::FileModificationTime));
            file.close();
            TForm1 w;
            const QString text = openForecast(w)->findChild<QLabel *>(QStringLiteral("Recues"))->text();
            QVERIFY2(text.startsWith(QStringLiteral("Reçues le ")) && text.contains(received.toString(QStringLiteral("à HH:mm"))), qPrintable(text));
            QCOMPARE(text.endsWith(QStringLiteral(" — données anciennes")), minutesAgo > 180);
        }
    }

    // --- The 48 hours ---------------------------------------------------------------------------

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
    }

    // The sentence as seen by the clock: what has ended is not ahead, what has not begun is not
    // "en cours", nothing is said of rain that cannot be read or of a forecast that is all past.
    // Axis steps are round: 1, 2, 2.5 or 5 times a power of ten, the smallest that is enough.
    void axisStepsAreRound_data()
    {
        QTest::addColumn<double>("raw");
        QTest::addColumn<double>("step");
        const QList<std::pair<double, double>> rows{{0.3, 0.5}, {1.4, 2}, {2.1, 2.5}, {3, 5}, {7, 10}, {0.013, 0.02},
                                                    {25, 25}, {26, 50}, {3.33, 5}, {6.67, 10}, {1, 1}, {0.375, 0.5}};
        for (const auto &[raw, step] : rows)
            QTest::newRow(qPrintable(QString::number(raw))) << raw << step;
    }

    void axisStepsAreRound()
    {
        QFETCH(double, raw);
        QFETCH(double, step);
        QCOMPARE(meteo::roundStep(raw), step);
    }

    // The smoothed temperature never shows a peak or a dip that the hours do not have.
    void smoothCurveNeverOvershoots()
    {
        const QList<double> values{5, 5, 5, 12, 12, 3, 4, 4.5, 20, -2, -2};
        QList<QPointF> points;
        for (int i = 0; i < values.size(); ++i)
            points << QPointF(10.0 * i, values[i]);
        const QList<double> m = meteo::monotoneSlopes(points);
        for (int i = 0; i + 1 < points.size(); ++i)
            for (double t = 0; t <= 1; t += 0.05) {  // the cubic Hermite segment
                const double h = 10, t2 = t * t, t3 = t2 * t;
                const double y = (2 * t3 - 3 * t2 + 1) * values[i] + (t3 - 2 * t2 + t) * h * m[i] + (-2 * t3 + 3 * t2) * values[i + 1]
                                 + (t3 - t2) * h * m[i + 1];
                QVERIFY(y >= std::min(values[i], values[i + 1]) - 1e-9 && y <= std::max(values[i], values[i + 1]) + 1e-9);
            }
    }

    // The 48-hour chart at the sizes and fonts of the screenshots: every text inside the chart and
    // none over another; the axes it needs and no other; French decimals; the warmest hour named.
    void chartTextsNeverCollide_data()
    {
        QTest::addColumn<int>("shape");  // 0 wet, 1 dry, 2 constant, 3 a 40 °C range, 4 no gusts
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("fontPixels");
        const char *shapes[] = {"wet", "dry", "constant", "40 degrees", "no gusts"};
        for (int shape = 0; shape < 5; ++shape)
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
            h.precipitation = shape == 1 ? 0.0 : i % 5 == 0 ? 3.3 : 0.0;
            h.chance = 60.0;
            if (shape != 4)
                h.gust = 20 + i % 17;
            h.icon = "30";
            hours << h;
        }
        meteo::HourlyChart chart(nullptr);
        QFont font = chart.font();
        font.setPixelSize(fontPixels);
        chart.setFont(font);
        chart.resize(size.expandedTo(chart.minimumSizeHint()));
        chart.setForecast(hours, {}, first.addSecs(600));
        chart.grab();  // painted
        const QList<meteo::HourlyChart::Label> &labels = chart.labels();
        QStringList texts;
        for (qsizetype i = 0; i < labels.size(); ++i) {
            texts << labels[i].text;
            QVERIFY2(chart.rect().contains(labels[i].rect.toAlignedRect()), qPrintable(labels[i].text));
            QVERIFY2(!labels[i].text.contains(u'.'), qPrintable(labels[i].text));  // French decimals
            for (qsizetype j = i + 1; j < labels.size(); ++j)
                QVERIFY2(!labels[i].rect.intersects(labels[j].rect), qPrintable(labels[i].text + QStringLiteral(" / ") + labels[j].text));
        }
        QVERIFY(chart.plotArea().width() > 100 && chart.plotArea().height() > 50);
        const auto has = [&texts](const QString &part) {
            return std::any_of(texts.begin(), texts.end(), [&](const QString &t) { return t.contains(part); });
        };
        QCOMPARE(chart.hasPrecipitationAxis(), shape != 1);
        QCOMPARE(has(QStringLiteral("mm/h")), shape != 1);
        QCOMPARE(has(QStringLiteral("Pas de pluie sur 48 heures")), shape == 1);
        QCOMPARE(chart.hasGustAxis(), shape != 4);
        QCOMPARE(has(QStringLiteral("rafales")), shape != 4);
        QVERIFY(has(QStringLiteral("température")) && has(QStringLiteral("ressenti")));
        double warmest = -100;
        for (const meteo::HourPoint &h : hours)
            warmest = std::max(warmest, *h.temperature);
        QVERIFY2(texts.contains(QString::number(std::lround(warmest)) + QStringLiteral(" °C")), qPrintable(texts.join(u'|')));
    }

    // The chart takes the keyboard: Left, Right, Home and End move an hour cursor, whose values are
    // said in full under the chart and to screen readers.
    void chartCursorSaysTheHour()
    {
        const QDateTime first(QDate(2026, 12, 7), QTime(14, 0), Qt::OffsetFromUTC, 3600);
        QByteArray doc = "<weather><loc><dnam>Brest, France</dnam></loc><hours>";
        for (int i = 0; i < 48; ++i)
            doc += "<hour t=\"" + meteo::instantText(first.addSecs(3600 * i)).toLatin1() + "\"><tmp>" + QByteArray::number(11 + i % 3)
                   + "</tmp><flik>8</flik><ppcp>60</ppcp><prec>0.4</prec><wind><gust>35</gust></wind></hour>";
        files.write(QStringLiteral("weather.xml"), doc + "</hours></weather>");
        meteo::FormHeures window(nullptr);
        window.clock = [&first] { return first.addSecs(300); };
        window.refresh();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        meteo::HourlyChart *chart = window.Graphique;
        QCOMPARE(chart->focusPolicy(), Qt::StrongFocus);
        chart->setFocus();  // the first hour under the cursor
        QCOMPARE(chart->cursor(), 0);
        QTest::keyClick(chart, Qt::Key_Right);
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
        files.remove(QStringLiteral("weather.xml"));
    }

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
        QByteArray doc = "<weather><loc><dnam>Saint-Denis, France</dnam><zone>" + zone + "</zone></loc><hours>";
        QByteArray rain = "<rain>";
        for (int i = 0; i < 8; ++i) {  // 02:00 to 03:45, as the place writes them
            const QByteArray t = first.left(12) + QByteArray::number(2 + i / 4) + ':'
                                 + QByteArray::number(15 * (i % 4)).rightJustified(2, '0') + first.mid(16);
            rain += "<q t=\"" + t + "\"><prec>" + (i >= 3 ? "2.5" : "0") + "</prec></q>";
        }
        for (int i = 0; i < 48; ++i)
            doc += "<hour t=\"" + first.left(11) + "02:00" + first.mid(16) + "\"><tmp>20</tmp></hour>";
        const QString path = files.path(QStringLiteral("weather.xml"));
        files.write(QStringLiteral("weather.xml"), doc + "</hours>" + rain + "</rain></weather>");
        const meteo::HourlyForecast f = meteo::readHourly(meteo::WeatherDocument(path));
        QVERIFY2(f.rain.size() == 8, readFile(path).constData());
        QCOMPARE(f.rain.first().start, instant);
        QCOMPARE(f.rain.first().start.secsTo(f.rain[3].start), 2700);
        QCOMPARE(QString::fromUtf8(meteo::rainSentence(f.rain, instant)), QStringLiteral("Pluie forte à partir de 2 h 45"));
        QCOMPARE(f.place, QByteArray("Saint-Denis"));
        files.remove(QStringLiteral("weather.xml"));
    }

    // The window knows the clock: on a document received four hours ago it says so, presents no hour
    // already past as ahead, and no longer speaks of the rain of two hours that are over; its title
    // names the place; it repaints every minute only while it is shown.
    void hoursWindowKnowsTheClockAndItsAge()
    {
        const QDateTime first(QDate(2026, 12, 7), QTime(9, 0), Qt::OffsetFromUTC, 3600);
        QByteArray doc = "<weather><loc><dnam>Brest, France</dnam></loc><hours>";
        for (int i = 0; i < 48; ++i)
            doc += "<hour t=\"" + meteo::instantText(first.addSecs(3600 * i)).toLatin1() + "\"><tmp>" + QByteArray::number(i % 9)
                   + "</tmp><prec>" + (i < 6 ? "3" : "0") + "</prec></hour>";
        doc += "</hours><rain>";
        for (int i = 0; i < 8; ++i)
            doc += "<q t=\"" + meteo::instantText(first.addSecs(900 * i)).toLatin1() + "\"><prec>2</prec></q>";
        files.write(QStringLiteral("weather.xml"), doc + "</rain></weather>");
        QFile file(files.path(QStringLiteral("weather.xml")));
        QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(first.addSecs(10 * 60), QFileDevice::FileModificationTime));
        file.close();

        meteo::FormHeures window(nullptr);
        QDateTime now = first.addSecs(20 * 60);
        window.clock = [&now] { return now; };
        window.refresh();
        QCOMPARE(window.windowTitle(), QStringLiteral("Prochaines 48 heures — Brest"));
        QCOMPARE(window.Phrase->text(), QStringLiteral("Pluie forte en cours, sans fin prévue d'ici 11 h 00"));
        QVERIFY(!window.Recues->text().contains(QStringLiteral("anciennes")));

        now = first.addSecs(4 * 3600 + 20 * 60);  // the service unreachable since
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

        now = first.addSecs(3 * 86400);
        window.present();
        QVERIFY(window.Message->isVisibleTo(&window) && !window.Graphique->isVisibleTo(&window));

        auto *minute = window.findChild<QTimer *>();
        QVERIFY(!minute->isActive());
        window.show();
        QVERIFY(minute->isActive());
        window.hide();
        QVERIFY(!minute->isActive());
        files.remove(QStringLiteral("weather.xml"));
    }

    // Hostile numbers reach both windows as gaps, never as values: no overflow (the sanitizer build
    // runs this), no bar, no point, no label; unreadable rain is said to be so.
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
        const QDateTime first = QDateTime::currentDateTime().addSecs(-600);
        QByteArray doc = parisDocument();
        doc.truncate(doc.indexOf("</weather>"));
        QByteArray hours = "<hours>", rain = "<rain>";
        for (int i = 0; i < 48; ++i) {
            const QByteArray v = i == 3 ? value : "5";
            hours += "<hour t=\"" + meteo::instantText(first.addSecs(3600 * i)).toLatin1() + "\"><tmp>" + v + "</tmp><flik>" + v
                     + "</flik><ppcp>" + v + "</ppcp><prec>" + v + "</prec><wind><gust>" + v + "</gust></wind></hour>";
        }
        for (int i = 0; i < 8; ++i)
            rain += "<q t=\"" + meteo::instantText(first.addSecs(900 * i)).toLatin1() + "\"><prec>" + (i == 2 ? value : "0") + "</prec></q>";
        doc += hours + "</hours>" + rain + "</rain></weather>";
        QRegularExpression day(QStringLiteral("<low>[^<]*</low>"));
        QString text = QString::fromUtf8(doc);
        text.replace(day, QStringLiteral("<low>") + QString::fromUtf8(value) + QStringLiteral("</low>"));
        doc = text.toUtf8();
        files.write(QStringLiteral("weather.xml"), doc);
        const QString path = files.path(QStringLiteral("weather.xml"));

        const meteo::HourlyForecast f = meteo::readHourly(meteo::WeatherDocument(path));
        QCOMPARE(f.hours.size(), 48);
        const meteo::HourPoint &h = f.hours[3];
        const bool aTemperature = value == "-5";  // -5 °C is weather; -5 mm, % or km/h are not
        QVERIFY(bool(h.temperature) == aTemperature && bool(h.feelsLike) == aTemperature);
        QVERIFY(!h.chance && !h.precipitation && !h.gust);
        QCOMPARE(QString::fromUtf8(meteo::rainSentence(f.rain, first.addSecs(60))), QStringLiteral("Données de pluie illisibles"));

        meteo::FormHeures hoursWindow(nullptr);
        hoursWindow.refresh();
        hoursWindow.grab();  // paints the chart and the strip
        QVERIFY(hoursWindow.Graphique->precipitationBar(3).isEmpty());
        QCOMPARE(hoursWindow.Graphique->temperaturePoint(3).isNull(), !aTemperature);
        QCOMPARE(hoursWindow.Phrase->text(), QStringLiteral("Données de pluie illisibles"));

        meteo::FormPrevisions daysWindow(nullptr);
        daysWindow.refresh();
        daysWindow.grab();
        QCOMPARE(!daysWindow.bar(1)->lowX(), !aTemperature);  // no bar end where the low was
        QCOMPARE(daysWindow.cell("Temp", 1)->text().endsWith(QStringLiteral("/ —")), !aTemperature);
        files.remove(QStringLiteral("weather.xml"));
    }

    // From a document: nights across midnight from the days' sun times, a gap where a value is
    // missing; drawn, the rainiest hour has the tallest bar and the coldest the lowest point.
    void hoursAreReadAndDrawn()
    {
        QByteArray doc = "<weather><dayf><day d=\"0\"><sunr>8:00 AM</sunr><suns>5:00 PM</suns></day>"
                         "<day d=\"1\"><sunr>8:01 AM</sunr><suns>5:01 PM</suns></day><day d=\"2\"><sunr>8:02 AM</sunr>"
                         "<suns>5:02 PM</suns></day></dayf><hours>";
        for (int i = 0; i < 48; ++i) {
            const QDateTime t = QDateTime(QDate(2026, 12, 7), QTime(20, 0)).addSecs(3600 * i);
            doc += "<hour t=\"" + t.toString(QStringLiteral("yyyy-MM-ddTHH:mm")).toLatin1() + "\"><tmp>"
                   + (i == 5 ? QByteArray("N/A") : QByteArray::number(i == 30 ? -6 : 4 + i % 5)) + "</tmp><ppcp>50</ppcp><prec>"
                   + (i == 12 ? "40" : i % 7 == 0 ? "1.5" : "0") + "</prec><wind><gust>30</gust></wind></hour>";
        }
        const QString path = files.path(QStringLiteral("weather.xml"));
        files.write(QStringLiteral("weather.xml"), doc + "</hours><rain/></weather>");
        const meteo::HourlyForecast f = meteo::readHourly(meteo::WeatherDocument(path));
        QCOMPARE(f.hours.size(), 48);
        QVERIFY(!f.hours[5].temperature);
        QCOMPARE(f.nights.first(), std::make_pair(f.hours.first().time, QDateTime(QDate(2026, 12, 8), QTime(8, 1))));
        QCOMPARE(f.nights[1].first, QDateTime(QDate(2026, 12, 8), QTime(17, 1)));
        meteo::HourlyChart chart(nullptr);
        chart.resize(800, 300);
        chart.setForecast(f.hours, f.nights, f.hours.first().time);
        QImage image(chart.size(), QImage::Format_ARGB32);
        chart.render(&image);
        QVERIFY(chart.temperaturePoint(5).isNull());  // a gap, not a zero
        for (int i = 0; i < 48; ++i) {
            QVERIFY(chart.precipitationBar(i).height() <= chart.precipitationBar(12).height());
            QVERIFY(i == 5 || chart.temperaturePoint(i).y() <= chart.temperaturePoint(30).y());
        }
        const QPointF bar = chart.precipitationBar(12).center();
        QVERIFY(qBlue(image.pixel(bar.toPoint())) > qRed(image.pixel(bar.toPoint())));  // drawn there
        QVERIFY(chart.accessibleDescription().startsWith(QStringLiteral("Températures de -6 à 8 °C ; pluie")));
        files.remove(QStringLiteral("weather.xml"));
    }

    void forecastHasOneRowPerDayAndFollowsDownloads()
    {
        QByteArray doc = readFile(QStringLiteral(METEO_SAMPLES_DIR "/paris-9days.xml"));
        files.write(QStringLiteral("weather.xml"), doc.left(doc.indexOf("<day d=\"3\"")) + "</dayf>\n</weather>\n");
        TForm1 w;
        auto *forecast = openForecast(w);
        QVERIFY(forecast->cell("Jour", 3)->isVisibleTo(forecast));
        QVERIFY(!forecast->cell("Jour", 4)->isVisibleTo(forecast));
        RawServer server(RawServer::document(doc.replace("Paris, France", "Lyon, France")));
        w.setServiceHost(server.host());
        w.Request("FR69123");
        QTRY_COMPARE(forecast->windowTitle(), QStringLiteral("Prévisions — Lyon, France"));
        QVERIFY(forecast->cell("Jour", 9)->isVisibleTo(forecast));
    }

};

int runDisplayTest(int argc, char **argv)
{
    DisplayTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_display.moc"
