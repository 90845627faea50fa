// The main window: its description, fixed size, remembered values, close paths and error report.
#include "app/errorreport.h"
#include "app/form1.h"
#include "app/simplestatusbar.h"
#include "testsupport.h"

#include <QMenu>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QTest>

using namespace testing;

class MainWindowTest : public QObject {
    Q_OBJECT
    meteo::ErrorReport report;
    BesideExe files;

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
        report.setDialogsShown(false);
        files.write(QStringLiteral("villes.ini"), "Paris=FR75056\nLyon=FR69123\n");
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
        QCOMPARE(w.pos(), QPoint(20, 454));
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
        files.remove(QStringLiteral("weather.xml"));
        // Still usable: the next handler runs normally.
        w.HTTPClientError("Connexion refusée", nullptr);
        QCOMPARE(w.BarStatus->SimpleText(), QStringLiteral("Connexion refusée Erreur..."));
    }

    void statusTextSurvivesMenuHover()
    {
        TempCurrentDir cwd;
        TForm1 w;
        w.HTTPClientError("Hôte introuvable", nullptr);
        QStatusTipEvent tip(QStringLiteral("Paris"));
        QApplication::sendEvent(&w, &tip);
        QStatusTipEvent empty{QString()};
        QApplication::sendEvent(&w, &empty);
        QCOMPARE(w.BarStatus->SimpleText(), QStringLiteral("Hôte introuvable Erreur..."));
    }

    // Only a return straight from the error dialog is exempt; leaving the dialog for another window
    // and coming back from there is an activation like any other.
    void returningFromErrorDialogIsNoActivation()
    {
        TempCurrentDir cwd;
        TForm1 w;
        QWidget other;
        QSignalSpy activations(&w, &TForm1::OnActivate);
        auto activate = [](QWidget *window) {
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
        QTest::qWait(50);
        QCOMPARE(activations.count(), 1);  // straight back from the dialog
        activate(box);
        activate(&other);
        activate(&w);
        QCOMPARE(activations.count(), 2);  // back from another window
        box->close();
        report.setDialogsShown(false);
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
