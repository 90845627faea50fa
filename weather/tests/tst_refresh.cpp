// SPDX-License-Identifier: GPL-2.0-or-later
// The display refresh: time texts, the composed texts, the order of the writes when a step fails, the
// icon file chosen, and the shipped icon set.
#include "app/widgets/errorreport.h"
#include "app/mainwindow/form1.h"
#include "testsupport.h"
#include "windowfixture.h"
#include "common/error.h"
#include "weather/timetext.h"
#include "meteo_version.h"
#include "service/document/conditions.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QTest>

using namespace testing;

class RefreshTest : public QObject, WindowFixture {
    Q_OBJECT

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
    void cleanup() { forgetStored(); }

    void initTestCase() { prepare(); }

    // A time text read and written as the long time text, or refused naming the text it could not read.
    void timeConversion_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("shown");  // empty: refused
        QTest::newRow("7:45 PM") << QByteArray("7:45 PM") << QByteArray("19:45:00");
        QTest::newRow("12:10 AM") << QByteArray("12:10 AM") << QByteArray("00:10:00");
        QTest::newRow("no blank, lower case") << QByteArray("7:45pm") << QByteArray("19:45:00");
        QTest::newRow("24-hour") << QByteArray("19:05") << QByteArray("19:05:00");
        for (const char *bad : {"24:00", "7:60", "7:45:60", "7:45 PMx", "", "13:00 PM", "7", "7:45 XM", "seven", "7:45\n",
                                "7:45 P M", "１:00"})
            QTest::newRow(bad) << QByteArray(bad) << QByteArray();
    }

    void timeConversion()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, shown);
        try {
            QCOMPARE(meteo::convertTimeText(text), shown);
            QVERIFY(!shown.isEmpty());
        } catch (const meteo::Error &e) {
            QVERIFY(shown.isEmpty());
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

    // A name or a station longer than the window is cut with "…" within it, the whole text its
    // tooltip and accessible name; the label keeps its corner. A text that fits is left as it is.
    void longTextsAreCutWithinTheWindow()
    {
        const QByteArray name = "Saint-Remy-en-Bouzemont-Saint-Genest-et-Isson, Marne, Grand Est, France";
        auto w = refreshed("<dnam>Paris, France</dnam>", "<dnam>" + name + "</dnam>");
        QVERIFY2(w->Label1->geometry().right() < w->maximumWidth(), qPrintable(QString::number(w->Label1->geometry().right())));
        QVERIFY(w->Label1->text().endsWith(u'…'));
        QVERIFY(QString::fromUtf8(name).startsWith(w->Label1->text().chopped(1)));
        QCOMPARE(w->Label1->toolTip(), QString::fromUtf8(name));
        QCOMPARE(w->Label1->accessibleName(), QString::fromUtf8(name));
        for (int n = 2; n <= 12; ++n) {
            QCOMPARE(w->label(n)->text(), parisLabels()[n - 1]);  // short: unchanged
            QVERIFY(w->label(n)->toolTip().isEmpty());
        }
        auto station = refreshed("<obst>", "<obst>Station météorologique de Saint-Remy-en-Bouzemont-Saint-Genest-et-Isson ");
        QVERIFY(station->Label10->text().endsWith(u'…'));
        QVERIFY(station->Label10->geometry().right() < station->maximumWidth());
        QVERIFY(station->Label10->toolTip().contains(QStringLiteral("Saint-Genest-et-Isson")));
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
        // A code that climbs out of the icons fails like a missing one, even onto a picture that exists.
        QTest::newRow("step 15: climbing icon code") << QByteArray("<icon>30</icon>\n    <bar>") << QByteArray("<icon>../icons/30</icon><bar>") << 9;
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

    // Every icon the service can name has its picture.
    void everyIconCodeHasItsPicture()
    {
        QSet<QString> named{QStringLiteral("na")};
        for (const service::Condition &c : service::conditions())
            named << QString::fromLatin1(c.dayIcon) << QString::fromLatin1(c.nightIcon);
        const QDir icons(QStringLiteral(METEO_DATA_DIR "/icons"));
        for (const QString &code : named)
            QVERIFY2(icons.exists(code + QStringLiteral(".png")) && icons.exists(code + QStringLiteral("@2x.png")), qPrintable(code));
    }
};

static const testing::RegisterTest<RefreshTest> registeredRefreshTest;

#include "tst_refresh.moc"
