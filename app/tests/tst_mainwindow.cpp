// SPDX-License-Identifier: GPL-2.0-or-later
// The main window: its description, fixed size, remembered values, close paths and error report.
#include "app/widgets/errorreport.h"
#include "app/mainwindow/form1.h"
#include "app/mainwindow/companions.h"
#include "app/mainwindow/mainmenus.h"
#include "app/windows/formcarte.h"
#include "net/httpclient.h"
#include "app/windows/formprevisions.h"
#include "app/widgets/screenplacement.h"
#include "app/widgets/simplestatusbar.h"
#include "testsupport.h"
#include "windowfixture.h"

#include <QAccessible>
#include <QMenu>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QTest>
#include <QWindow>
#include <functional>

using namespace testing;

class MainWindowTest : public QObject, WindowFixture {
    Q_OBJECT

    static QAction *menuAction(TForm1 &w, const QString &text)
    {
        for (QAction *a : w.findChild<QMenu *>(QStringLiteral("MenuVilles"))->actions())
            if (a->text() == text)
                return a;
        return nullptr;
    }

private Q_SLOTS:
    void initTestCase()
    {
        prepare(false);
        files.write(QStringLiteral("villes.ini"), "Paris=FR75056\nLyon=FR69123\n");
    }

    void cleanup() { files.remove(QStringLiteral("weather.xml")); }

    // The session bus, the panel icon, the notices and the window's icon wait for the window's first
    // picture: none of them is needed to draw it.
    void desktopWaitsForTheFirstPicture()
    {
        TempCurrentDir cwd;
        TForm1 w;
        QVERIFY(w.windowIcon().isNull());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_VERIFY(!w.windowIcon().isNull());
    }

    // A commune chosen on the rain map is shown as "Ma position" shows one: requested, then offered
    // to the list, and added by "Ajouter à mes villes".
    void communeOfTheMapIsShownAndOffered()
    {
        TempCurrentDir cwd;
        files.write(QStringLiteral("villes.ini"), "Paris=FR75056\n");
        TForm1 w;
        w.Menus->PrevisionsCarte->trigger();
        QVERIFY(w.Compagnons->Carte && w.Compagnons->Carte->objectName() == QStringLiteral("FormCarte"));
        meteo::FoundCommune quimper;
        quimper.code = "FR29232";
        quimper.label = "Quimper (29)";
        Q_EMIT w.Compagnons->Carte->communeChosen(quimper);
        QCOMPARE(w.Ville, QByteArray("FR29232"));
        QVERIFY(w.HTTPClient->URI().startsWith("/weather/local/FR29232?"));
        QVERIFY(w.Menus->AjouterPosition->isEnabled());
        w.Menus->AjouterPosition->trigger();
        QCOMPARE(readFile(files.path(QStringLiteral("villes.ini"))), QByteArray("Paris=FR75056\nQuimper=FR29232\n"));
        files.remove(QStringLiteral("villes.ini"));
    }

    // Saved beside meteo.ini itself: a missing temporary folder changes nothing.
    void positionAndCodeSurviveCloseAndNewWindow()
    {
        TempCurrentDir cwd;
        {
            const QByteArray tmp = qgetenv("TMPDIR");
            qputenv("TMPDIR", "/nonexistent");
            TForm1 w;
            w.show();
            w.move(120, 90);
            w.Ville = "FR69123";  // what the last request asked for; saved through Edit1 at close
            w.close();
            qputenv("TMPDIR", tmp);
            QCOMPARE(QDir(cwd.path()).entryList(QDir::Files), QStringList{QStringLiteral("meteo.ini")});
        }
        TForm1 again;
        QCOMPARE(again.pos(), QPoint(120, 90));
        QCOMPARE(again.Edit1->text(), QStringLiteral("FR69123"));
        // A value that is not a number leaves the position alone instead of moving to 0.
        writeFile(QStringLiteral("meteo.ini"), "[Form1]\nTop=abc\nLeft=20\n");
        TForm1 w;
        QCOMPARE(w.pos().x(), 20);
        QVERIFY(w.pos().y() > 0);
    }

    void unwritableMeteoIniIsToldOnStderr()
    {
        TempCurrentDir cwd;
        writeFile(QStringLiteral("meteo.ini"), "[Form1]\nEdit1.Text=FR75056\n");
        TForm1 w;
        w.show();
        w.Ville = "FR69123";
        QFile::setPermissions(cwd.path(), QFile::ReadOwner | QFile::ExeOwner);
        CapturedStderr err;
        {
            PermissionsBind bind;
            // Said on screen when the choice is made, once: what will not be kept.
            const int before = report.count();
            w.Button1Click();
            QCOMPARE(report.count(), before + 1);
            QVERIFY2(report.lastMessage().startsWith(QStringLiteral("La ville mémorisée ne sera pas retenue au prochain lancement")),
                     qPrintable(report.lastMessage()));
            QVERIFY(report.lastMessage().contains(cwd.path()));
            w.setAvertirPluie(!w.AvertirPluie());
            QCOMPARE(report.count(), before + 1);
            w.close();
        }
        QFile::setPermissions(cwd.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY2(err.text().contains("meteo.ini: écriture impossible"), err.text().constData());
        QVERIFY(readFile(QStringLiteral("meteo.ini")).contains("FR75056"));  // the old file, whole
    }

    void handlerErrorReachesReportAndWindowGoesOn()
    {
        TempCurrentDir cwd;
        TForm1 w;
        w.show();
        for (int n = 1; n <= 12; ++n)
            QCOMPARE(w.label(n)->textFormat(), Qt::PlainText);  // network text is never markup
        const int before = report.count();
        // A good body arrives, but nothing beside the executable lets it be shown: the refresh fails.
        w.HTTPClientInput(nullptr, parisDocument().constData(), qint32(parisDocument().size()));
        w.HTTPClientDisconnect(nullptr);
        QCOMPARE(report.count(), before + 1);
        QVERIFY(report.lastMessage().contains(QStringLiteral("Dictionnaire.ini")));
        // Still usable: the next handler runs normally, and a menu's hover never replaces its text.
        w.HTTPClientError("Connexion refusée", nullptr);
        QStatusTipEvent tip(QStringLiteral("Paris")), empty{QString()};
        QApplication::sendEvent(&w, &tip);
        QApplication::sendEvent(&w, &empty);
        QCOMPARE(w.BarStatus->SimpleText(), QStringLiteral("Connexion refusée Erreur..."));
    }

    // Only the first showing and a return from another application are activations; moving between
    // our own windows (the error dialog, the forecast window) is not.
    void activationIsTheFirstShowingOrAReturnFromElsewhere()
    {
        TempCurrentDir cwd;
        TForm1 w;
        QSignalSpy activations(&w, &TForm1::OnActivate);
        const auto activate = [](QWidget *window) {
            window->show();
            window->activateWindow();
            QTRY_VERIFY(QApplication::activeWindow() == window);
        };
        activate(&w);
        QTRY_COMPARE(activations.count(), 1);
        report.setDialogsShown(true);
        meteo::ErrorReport::report("test", QStringLiteral("échec"));
        const QWidgetList tops = QApplication::topLevelWidgets();
        QWidget *box = *std::find_if(tops.begin(), tops.end(), [this](QWidget *t) { return report.ownsWindow(t); });
        activate(box);
        box->close();
        activate(&w);
        w.PrevisionsClick();
        activate(w.Compagnons->Previsions);
        activate(&w);
        QCoreApplication::processEvents();
        QCOMPARE(activations.count(), 1);
        // A moment with none of ours active between two of them, as a window manager may leave: no return.
        activate(w.Compagnons->Previsions);
        QApplication::setActiveWindow(nullptr);
        QVERIFY(!QApplication::activeWindow());
        activate(&w);
        QCOMPARE(activations.count(), 1);
        QWindow elsewhere;  // a window that is no widget of ours: another application's
        elsewhere.show();
        elsewhere.requestActivate();
        QTRY_VERIFY(!QApplication::activeWindow());
        activate(&w);
        QCOMPARE(activations.count(), 2);
        report.setDialogsShown(false);
    }

    // A screen reader hears the city and the station before the values, the picture as its
    // condition, and never the hidden code holder.
    void screenReadersHearTheWeatherInOrder()
    {
        TempCurrentDir cwd;
        shipFiles();
        TForm1 w;
        w.Edit1->setText(QStringLiteral("FR13055"));
        w.show();
        w.HTTPClientInput(nullptr, parisDocument().constData(), qint32(parisDocument().size()));
        w.HTTPClientDisconnect(nullptr);
        QStringList heard;  // the whole tree, depth first, as name|value
        std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *node) {
            for (int i = 0; i < node->childCount(); ++i) {
                if (QAccessibleInterface *child = node->child(i); !child->state().invisible) {
                    heard << child->text(QAccessible::Name) + u'|' + child->text(QAccessible::Value);
                    walk(child);
                }
            }
        };
        walk(QAccessible::queryAccessibleInterface(&w));
        const QStringList labels = parisLabels();
        const qsizetype city = heard.indexOf(labels[0] + u'|'), station = heard.indexOf(labels[9] + u'|');
        const qsizetype first = heard.indexOf(labels[1] + u'|'), picture = heard.indexOf(labels[8] + u'|', first + 1);
        QVERIFY2(city >= 0 && city < station && station < first && picture > 0, qPrintable(heard.join(u'\n')));
        QVERIFY2(!heard.join(u'\n').contains(QStringLiteral("FR13055")), qPrintable(heard.join(u'\n')));
    }

    // F5, Ctrl+P, Ctrl+H and Ctrl+Q work from each of the program's windows, through the shortcut
    // map as a key press reaches it.
    void keysWorkFromEveryWindow()
    {
        TempCurrentDir cwd;
        TForm1 w;
        w.setServiceHost("127.0.0.1:1");
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.PrevisionsClick();
        QWidget *days = w.findChild<QWidget *>(QStringLiteral("FormPrevisions"));
        QVERIFY(days && QTest::qWaitForWindowExposed(days));
        days->activateWindow();
        QTest::keyClick(days->windowHandle(), Qt::Key_H, Qt::ControlModifier);
        QWidget *hours = w.findChild<QWidget *>(QStringLiteral("FormHeures"));
        QVERIFY(hours && hours->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(hours));
        days->close();
        hours->activateWindow();
        QTest::keyClick(hours->windowHandle(), Qt::Key_P, Qt::ControlModifier);
        QTRY_VERIFY(days->isVisible());
        w.Ville = "FR69123";
        QTest::keyClick(hours->windowHandle(), Qt::Key_F5);
        QVERIFY2(w.HTTPClient->URI().contains("FR69123"), w.HTTPClient->URI().constData());
        QTest::keyClick(hours->windowHandle(), Qt::Key_Escape);
        QVERIFY(!hours->isVisible() && w.isVisible());
        QTest::keyClick(days->windowHandle(), Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!w.isVisible());
    }

    // A status text too long for the bar is cut at a word with "…", and given whole as its tooltip
    // and to screen readers; one that fits is shown as it is.
    void longStatusTextsAreShortenedAtAWord()
    {
        TForm1 w;
        w.show();
        const QString whole = QStringLiteral("Réponse: 502 Bad Gateway — Open-Meteo injoignable : adresse introuvable (pas de réseau ?) : "
                                             "la météo affichée n'a pas changé depuis le dernier téléchargement réussi");
        w.BarStatus->setSimpleText(whole);
        const QString shown = w.BarStatus->shownText();
        QCOMPARE(w.BarStatus->SimpleText(), whole);
        QVERIFY2(shown.endsWith(QStringLiteral(" …")) && whole.startsWith(shown.chopped(2)) && whole.at(shown.size() - 2) == u' ',
                 qPrintable(shown));
        QVERIFY(w.BarStatus->fontMetrics().horizontalAdvance(shown) <= w.BarStatus->width());
        QCOMPARE(w.BarStatus->toolTip(), whole);
        QCOMPARE(w.BarStatus->accessibleDescription(), whole);
        w.BarStatus->setSimpleText(QStringLiteral("Fini."));
        QCOMPARE(w.BarStatus->shownText(), QStringLiteral("Fini."));
        QVERIFY(w.BarStatus->toolTip().isEmpty());
    }

    // The whole frame lies in a screen's available area; the forecast window goes beside the main
    // one where it fits, else on its other side, else hiding the least of it.
    void placementKeepsWholeFramesOnScreen_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QPoint>("whole");
        QTest::addColumn<QPoint>("beside");
        const QRect laptop(0, 0, 1280, 770), wide(0, 0, 1920, 1050);
        QTest::newRow("fits where it is") << QRect(1622, 454, 610, 390) << QList<QRect>{QRect(0, 0, 2560, 1400)}
                                          << QPoint(1622, 454) << QPoint(1114, 454);
        QTest::newRow("first start, 1280 x 800") << QRect(1622, 454, 610, 390) << QList<QRect>{laptop}
                                                 << QPoint(670, 380) << QPoint(162, 350);
        QTest::newRow("saved on a removed screen") << QRect(2500, 100, 610, 390) << QList<QRect>{wide}
                                                   << QPoint(1310, 100) << QPoint(802, 100);
        QTest::newRow("two screens, beside on the next") << QRect(1200, 100, 610, 390) << QList<QRect>{wide, QRect(1920, 0, 1280, 770)}
                                                         << QPoint(1200, 100) << QPoint(1920, 100);
        QTest::newRow("no room on either side") << QRect(300, 100, 610, 390) << QList<QRect>{QRect(0, 0, 1000, 700)}
                                                << QPoint(300, 100) << QPoint(0, 100);
        QTest::newRow("larger than the screen") << QRect(50, 50, 610, 390) << QList<QRect>{QRect(0, 0, 600, 380)}
                                                << QPoint(0, 0) << QPoint(100, 0);
    }

    void placementKeepsWholeFramesOnScreen()
    {
        QFETCH(QRect, frame);
        QFETCH(QList<QRect>, screens);
        QFETCH(QPoint, whole);
        QFETCH(QPoint, beside);
        QCOMPARE(meteo::wholeOnScreen(frame, screens), whole);
        QCOMPARE(meteo::besideOnScreen(QRect(whole, frame.size()), QSize(500, 420), screens), beside);
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
