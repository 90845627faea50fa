// SPDX-License-Identifier: GPL-2.0-or-later
// City selection: the menu built from villes.ini, the choice of the city to request on activation and
// menu clicks, "Memorisation", the code kept across runs, and the whole road from menu to labels.
#include "app/widgets/errorreport.h"
#include "app/model/citylist.h"
#include "app/mainwindow/form1.h"
#include "app/mainwindow/mainmenus.h"
#include "app/windows/formajout.h"
#include "app/desktop/positionfinder.h"
#include "app/widgets/simplestatusbar.h"
#include "net/request.h"
#include "testsupport.h"
#include "windowfixture.h"
#include "app/widgets/mnemonics.h"
#include "common/error.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QApplication>
#include <QTimer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <cmath>

using namespace testing;

namespace {

QList<QAction *> menuItems(const TForm1 &w)
{
    return w.findChild<QMenu *>(QStringLiteral("MenuVilles"))->actions();
}

QByteArray requested(const TForm1 &w)
{
    const QByteArray uri = w.HTTPClient->URI();
    const QByteArray prefix = "/weather/local/", query = meteo::kWeatherQuery;
    if (!uri.startsWith(prefix) || !uri.endsWith(query))
        return "(no request)";
    return QByteArray::fromPercentEncoding(uri.mid(prefix.size(), uri.size() - prefix.size() - query.size()));
}

// Answers the next question box with the button captioned `answer`, once it is shown; its text is
// kept in `asked`.
void answerNextQuestion(const QString &answer, QString *asked)
{
    QTimer::singleShot(0, [answer, asked] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return answerNextQuestion(answer, asked);
        *asked = box->text() + QStringLiteral(" [") + meteo::withoutMnemonic(box->defaultButton()->text()) + u']';
        for (QAbstractButton *b : box->buttons())
            if (meteo::withoutMnemonic(b->text()) == answer && b->text().startsWith(u'&'))  // each with its key
                b->click();
    });
}

// An NMEA log of `fixes` positions a second apart (degrees; a NaN latitude: no fix yet), after a
// line of garbage, as a receiver writes them.
QByteArray nmeaLog(const QList<std::pair<double, double>> &fixes)
{
    const auto sentence = [](const QByteArray &body) {
        char sum = 0;
        for (const char c : body)
            sum ^= c;
        return "$" + body + "*" + QByteArray::number(uchar(sum), 16).rightJustified(2, '0').toUpper() + "\r\n";
    };
    const auto angle = [](double v, int degreeDigits) {
        const double a = std::abs(v);
        const int d = int(a);
        return QByteArray::number(d).rightJustified(degreeDigits, '0') + QByteArray::number((a - d) * 60, 'f', 4).rightJustified(7, '0');
    };
    QByteArray log = "garbage, not a sentence\r\n$GPRMC,broken*00\r\n";
    for (int i = 0; i < fixes.size(); ++i) {
        const auto [lat, lon] = fixes[i];
        const QByteArray time = "1200" + QByteArray::number(i).rightJustified(2, '0') + ".00";
        log += std::isnan(lat) ? sentence("GPRMC," + time + ",V,,,,,,,081226,,,N")
                               : sentence("GPRMC," + time + ",A," + angle(lat, 2) + (lat < 0 ? ",S," : ",N,") + angle(lon, 3)
                                          + (lon < 0 ? ",W," : ",E,") + "0.0,0.0,081226,,,A");
    }
    return log;
}

} // namespace

class CitiesTest : public QObject, WindowFixture {
    Q_OBJECT

    std::unique_ptr<TForm1> window(const QByteArray &villes)
    {
        files.write(QStringLiteral("villes.ini"), villes);
        auto w = std::make_unique<TForm1>();
        w->setServiceHost("127.0.0.1:1");  // nothing listens: requests fail quietly
        return w;
    }

private Q_SLOTS:
    void initTestCase() { prepare(false); }
    void cleanup() { forgetStored(); }

    void missingCityFileStillBuildsTheWindow()
    {
        TempCurrentDir cwd;
        files.remove(QStringLiteral("villes.ini"));
        const int before = report.count();
        TForm1 w;
        QCOMPARE(report.count(), before + 1);
        QVERIFY(report.lastMessage().contains(QStringLiteral("villes.ini")));
        QCOMPARE(menuItems(w).size(), 8);  // the separator, then the commands
        QVERIFY(w.Imag);
        w.FormActivate();  // no city, nothing remembered: no request, and the user is told why
        QCOMPARE(w.HTTPClient->URI(), QByteArray());
        QVERIFY(w.BarStatus->SimpleText().startsWith(QStringLiteral("Aucune ville configurée")));
        QCOMPARE(report.count(), before + 1);
    }

    // The "Villes" menu says where you are: the city shown is checked, one at most; a click on
    // another checks it only once its weather is shown.
    void menuChecksTheCityShown()
    {
        TempCurrentDir cwd;
        shipFiles();
        int served = 0;
        RawServer server([&served](QTcpSocket *s, const QByteArray &r) {
            if (served++ == 0)
                RawServer::document(parisDocument())(s, r);
            else
                RawServer::document("<error/>", "502 Bad Gateway")(s, r);
        });
        auto w = window("Paris=FR75056\nLyon\tRhône=FR69123\n");  // a tab is no shortcut column
        w->setServiceHost(server.host());
        const QList<QAction *> items = menuItems(*w);
        QVERIFY(!items[1]->text().contains(u'\t'));
        // Every item of every menu reachable by its own key.
        for (QMenu *menu : w->findChildren<QMenu *>()) {
            QSet<QChar> keys;
            for (const QAction *a : menu->actions()) {
                if (a->isSeparator() || a->text().isEmpty())
                    continue;
                const qsizetype at = a->text().indexOf(QRegularExpression(QStringLiteral("&[^&]")));
                QVERIFY2(at >= 0, qPrintable(a->text()));
                const QChar key = a->text().at(at + 1).toLower();
                QVERIFY2(!keys.contains(key) || menu->objectName().isEmpty(), qPrintable(menu->title() + u'/' + a->text()));
                keys << key;
            }
        }
        QVERIFY(!items[0]->isChecked() && !items[1]->isChecked());
        w->Request("FR75056");
        QTRY_VERIFY(items[0]->isChecked());
        items[1]->trigger();  // Lyon's answer is an error: Paris is still what is shown
        QTRY_COMPARE(served, 2);
        QTRY_VERIFY(!w->HTTPClient->Busy());
        QVERIFY(items[0]->isChecked() && !items[1]->isChecked());
    }

    // A huge city list (an export, a mistake) is cut at a thousand towns, said once, and the window
    // is built with them; a city added then is said not to be, and the list is left whole.
    void hugeCityListIsCutAndSaid()
    {
        TempCurrentDir cwd;
        QByteArray villes;
        for (int i = 1; i <= 100000; ++i)
            villes += "Ville " + QByteArray::number(i) + "=FR" + QByteArray::number(10000 + i % 80000) + '\n';
        const int before = report.count();
        auto w = window(villes);
        QCOMPARE(report.count(), before + 1);
        QVERIFY2(report.lastMessage().contains(QStringLiteral("100000 lignes, seules les 1000 premières sont lues")),
                 qPrintable(report.lastMessage()));
        QCOMPARE(w->Villes->count(), 1000);
        // A city added there would be a line never read: it is said, and nothing is written.
        meteo::atEventBoundary("AjouterVille", [&] { w->AjouterVille("Quimper", "Quimper (29)", "FR29232"); });
        QVERIFY2(report.lastMessage().contains(QStringLiteral("Quimper n'a pas été ajoutée")), qPrintable(report.lastMessage()));
        QCOMPARE(readFile(files.path(QStringLiteral("villes.ini"))), villes);
        // More items than letters: each has one all the same, shared with others, which Alt cycles through.
        for (const QAction *a : menuItems(*w))
            QVERIFY2(a->isSeparator() || a->text().contains(QRegularExpression(QStringLiteral("&[^&]"))), qPrintable(a->text()));
        QCOMPARE(w->Villes->name(999), QByteArray("Ville 1000"));
    }

    // A list that cannot be written (here, the disk full) says that the city was not added, and
    // its weather is asked for all the same; the list stays as it was.
    void cityNotAddedIsSaid()
    {
        TempCurrentDir cwd;
        const QByteArray original = "Paris=FR75056\nLyon=FR69123\n";
        auto w = window(original);
        QString said;
        {
            DiskFullAfter full(original.size() + 4);
            try {
                w->AjouterVille("Quimper", "Quimper (29)", "FR29232");
            } catch (const meteo::Error &e) {
                said = QString::fromUtf8(e.what());
            }
        }
        QVERIFY2(said.startsWith(QStringLiteral("Quimper n'a pas été ajoutée à la liste des villes : ")), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("disque plein")), qPrintable(said));
        QCOMPARE(readFile(files.path(QStringLiteral("villes.ini"))), original);
        QCOMPARE(requested(*w), QByteArray("FR29232"));
        QCOMPARE(menuItems(*w).size(), 2 + 8);
    }

    // The "Ajouter une ville" dialog against a local service: the search fills the list, adding
    // appends one line (the rest of the file byte for byte, its byte-order mark included), rebuilds
    // the menu and requests the city at once; adding it again adds nothing; removing takes the line
    // out again. Answers whose name or code would write other lines into the list are never shown.
    void addAndRemoveACityThroughTheDialog()
    {
        TempCurrentDir cwd;
        const QByteArray original = "\xEF\xBB\xBFParis=FR75056\r\nLyon=FR69123\r\r\n";
        RawServer server([](QTcpSocket *s, const QByteArray &request) {
            if (request.startsWith("GET /communes?q=st%20e"))
                RawServer::document("<communes><commune code=\"FR42218\" cp=\"42000\">Saint-&#201;tienne (42)</commune>"
                                    "<commune code=\"FR1\" cp=\"1\">Evil&#10;Paris=FR75056&#10;X (99)</commune>"
                                    "<commune code=\"FR2&#10;Lyon=FR3\" cp=\"1\">Y (99)</commune>"
                                    "<commune code=\"FR4\" cp=\"1\">A=B (99)</commune>"
                                    "<commune code=\"FR5&#13;\" cp=\"1\">Z (99)</commune>"
                                    "<commune code=\"FR6\" cp=\"1\">C1&#133;&#8232; (99)</commune>"
                                    "<commune code=\"FR7\" cp=\"1\">Mauvaisnom&#127; (99)</commune></communes>")(s, request);
            else
                RawServer::document(parisDocument())(s, request);
        });
        auto w = window(original);
        w->setServiceHost(server.host());
        w->findChild<QAction *>(QStringLiteral("AjouterVille"))->trigger();
        auto *dialog = w->findChild<meteo::FormAjout *>(QStringLiteral("FormAjout"));
        QVERIFY(dialog && dialog->isVisible());
        QTest::keyClicks(dialog->EditRecherche, QStringLiteral("st e"));
        QTRY_COMPARE(dialog->ListeCommunes->count(), 1);
        QCOMPARE(dialog->ListeCommunes->item(0)->text(), QStringLiteral("Saint-Étienne (42) — 42000"));
        QVERIFY(dialog->StatutAjout->text().startsWith(QStringLiteral("6 réponses du service ignorées")));
        dialog->ListeCommunes->setCurrentRow(0);
        dialog->BoutonAjouter->click();

        const QByteArray added = original + "Saint-Étienne=FR42218\r\n";
        QCOMPARE(readFile(files.path(QStringLiteral("villes.ini"))), added);
        QCOMPARE(meteo::withoutMnemonic(menuItems(*w).at(2)->text()), QStringLiteral("Saint-Étienne"));
        QCOMPARE(requested(*w), QByteArray("FR42218"));
        QTRY_VERIFY(server.requests.last().startsWith("GET /weather/local/FR42218?"));
        QCOMPARE(meteo::withoutMnemonic(w->Menus->RetirerVille->text()), QStringLiteral("Retirer Saint-Étienne"));

        w->AjouterVille("Saint-Étienne", "Saint-Étienne (42)", "FR42218");  // already there
        QCOMPARE(readFile(files.path(QStringLiteral("villes.ini"))), added);

        QString asked;
        answerNextQuestion(QStringLiteral("Non"), &asked);
        w->Menus->RetirerVille->trigger();
        QCOMPARE(asked, QStringLiteral("Retirer Saint-Étienne de la liste des villes ? [Non]"));
        QCOMPARE(readFile(files.path(QStringLiteral("villes.ini"))), added);
        answerNextQuestion(QStringLiteral("Oui"), &asked);
        w->Menus->RetirerVille->trigger();
        QCOMPARE(readFile(files.path(QStringLiteral("villes.ini"))), original);
        QCOMPARE(menuItems(*w).size(), 2 + 8);
        QCOMPARE(requested(*w), QByteArray("FR75056"));  // the start city is shown

        // Removing the remembered city forgets it. Lyon's line ends in CR CR LF.
        menuItems(*w).at(1)->trigger();
        w->Button1->click();
        answerNextQuestion(QStringLiteral("Oui"), &asked);
        w->Menus->RetirerVille->trigger();
        QCOMPARE(readFile(files.path(QStringLiteral("villes.ini"))), QByteArray("\xEF\xBB\xBFParis=FR75056\r\n"));
        QCOMPARE(w->Edit1->text(), QString());
        QCOMPARE(requested(*w), QByteArray("FR75056"));
    }

    // The dialog follows its field: the message goes with the text, a slow answer for a text no
    // longer there never fills the list, the field stops at 64 bytes of UTF-8, Down enters the list,
    // Enter adds, and a commune with namesakes in the answer is added with its department.
    void addDialogFollowsItsField()
    {
        TempCurrentDir cwd;
        bool slowAbandoned = false;
        RawServer server([&slowAbandoned](QTcpSocket *s, const QByteArray &request) {
            const auto communes = [s, request](const QByteArray &list) { RawServer::document("<communes>" + list + "</communes>")(s, request); };
            if (request.startsWith("GET /communes?q=Saint-Denis "))
                communes("<commune code=\"FR93066\" cp=\"93200\">Saint-Denis (93)</commune>"
                         "<commune code=\"FR97411\" cp=\"97400\">Saint-Denis (974)</commune>");
            else if (request.startsWith("GET /communes?q=Lent ")) {
                QObject::connect(s, &QTcpSocket::disconnected, [&slowAbandoned] { slowAbandoned = true; });
                QTimer::singleShot(300, s, [communes] { communes("<commune code=\"FR69112\" cp=\"69210\">Lentilly (69)</commune>"); });
            }
            else if (request.startsWith("GET /communes?"))
                communes(QByteArray());
            else
                RawServer::document(parisDocument())(s, request);
        });
        auto w = window("Paris=FR75056\n");
        w->setServiceHost(server.host());
        w->findChild<QAction *>(QStringLiteral("AjouterVille"))->trigger();
        auto *dialog = w->findChild<meteo::FormAjout *>(QStringLiteral("FormAjout"));
        dialog->EditRecherche->setText(QStringLiteral("zzz"));
        QTRY_COMPARE(dialog->StatutAjout->text(), QStringLiteral("Aucune commune trouvée"));
        dialog->EditRecherche->clear();
        QCOMPARE(dialog->StatutAjout->text(), QString());
        dialog->EditRecherche->setText(QStringLiteral("Lent"));
        QTRY_VERIFY(server.requests.last().startsWith("GET /communes?q=Lent "));
        dialog->EditRecherche->clear();
        QTRY_VERIFY(slowAbandoned);  // the dialog hung up on it: its answer can no longer come
        QCoreApplication::processEvents();
        QCOMPARE(dialog->ListeCommunes->count(), 0);
        dialog->EditRecherche->setText(QStringLiteral("é").repeated(44));
        QCOMPARE(dialog->EditRecherche->text(), QStringLiteral("é").repeated(32));
        dialog->EditRecherche->setText(QStringLiteral("Saint-Denis"));
        QTRY_COMPARE(dialog->ListeCommunes->count(), 2);
        QTest::keyClick(dialog->EditRecherche, Qt::Key_Down);
        QCOMPARE(dialog->ListeCommunes->currentRow(), 0);
        dialog->ListeCommunes->setCurrentRow(-1);
        dialog->EditRecherche->setFocus();
        QTest::keyClick(dialog->EditRecherche, Qt::Key_Return);  // several found, none chosen: the first
        QCOMPARE(readFile(files.path(QStringLiteral("villes.ini"))), QByteArray("Paris=FR75056\nSaint-Denis (93)=FR93066\n"));
    }

    // "Ma position" from an NMEA log: the commune nearest the fix, asked of the service at a
    // hundredth of a degree, then its weather as a menu choice gives it, said in the status bar, and
    // kept in the list on request; no fix, no source, or no commune near: said, and the city stays.
    void positionFindsTheNearestCommune_data()
    {
        QTest::addColumn<QByteArray>("log");  // empty: no log at all
        QTest::addColumn<QString>("said");
        QTest::addColumn<QByteArray>("asked");  // the position the service was asked about
        const double noFix = std::nan("");
        QTest::newRow("a fix in Quimper, after garbage") << nmeaLog({{47.99612, -4.10187}})
                                          << QStringLiteral("Ma position : Quimper (29), à 0,4 km") << QByteArray("lat=48.00&lon=-4.10");
        QTest::newRow("at sea") << nmeaLog({{46.5, -5.5}}) << QStringLiteral("Aucune commune à moins de 30 km") << QByteArray("lat=46.50&lon=-5.50");
        QTest::newRow("no fix") << nmeaLog({{noFix, 0}, {noFix, 0}}) << QStringLiteral("Position introuvable en 3 s") << QByteArray();
        QTest::newRow("garbage alone") << nmeaLog({}) << QStringLiteral("Position introuvable en 3 s") << QByteArray();
        QTest::newRow("no source") << QByteArray() << QStringLiteral("Position indisponible : aucun service de localisation") << QByteArray();
        // The desktop's own source, and no location service on this machine: said at once, not after the wait.
        QTest::newRow("no location service") << QByteArray("-") << QStringLiteral("Position indisponible : aucun service de localisation") << QByteArray();
    }

    void positionFindsTheNearestCommune()
    {
        QFETCH(QByteArray, log);
        QFETCH(QString, said);
        QFETCH(QByteArray, asked);
        TempCurrentDir cwd;
        shipFiles();
        const QString nmea = cwd.path() + QStringLiteral("/position.nmea");
        if (!log.isEmpty() && log != "-")
            writeFile(nmea, log);
        qputenv("METEO_NMEA_FILE", log == "-" ? QByteArray() : nmea.toUtf8());
        QByteArray near;
        RawServer server([&near](QTcpSocket *s, const QByteArray &request) {
            if (request.startsWith("GET /communes/near?")) {
                near = request.mid(19, request.indexOf(' ', 19) - 19);
                RawServer::document(near.startsWith("lat=48.00") ? "<communes><commune code=\"FR29232\" cp=\"29000\" km=\"0.4\">Quimper (29)</commune>"
                                                                   "<commune code=\"FR29051\" cp=\"29500\" km=\"5.8\">Ergué-Gabéric (29)</commune></communes>"
                                                                 : "<communes></communes>")(s, request);
            } else {
                RawServer::document(parisDocument())(s, request);
            }
        });
        auto w = window("Paris=FR75056\n");
        w->setServiceHost(server.host());
        w->Request("FR75056");
        QTRY_COMPARE(w->BarStatus->SimpleText().left(11), QStringLiteral("Déconnecté "));
        w->positionTimeout = log == "-" ? 60000 : 3000;  // the log is played back a second a fix
        w->Menus->MaPosition->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(w->BarStatus->SimpleText(), said, 8000);
        QCOMPARE(near, asked);
        const bool found = said.startsWith(QStringLiteral("Ma position"));
        QCOMPARE(requested(*w), QByteArray(found ? "FR29232" : "FR75056"));
        QCOMPARE(w->Menus->AjouterPosition->isEnabled(), found);
        if (found) {
            w->Menus->AjouterPosition->trigger();
            QCOMPARE(readFile(files.path(QStringLiteral("villes.ini"))), QByteArray("Paris=FR75056\nQuimper=FR29232\n"));
            QVERIFY(!w->Menus->AjouterPosition->isEnabled());
        }
        qunsetenv("METEO_NMEA_FILE");
    }

    void unreachableServiceIsToldInTheDialog()
    {
        TempCurrentDir cwd;
        auto w = window("Paris=FR75056\n");
        w->findChild<QAction *>(QStringLiteral("AjouterVille"))->trigger();
        auto *dialog = w->findChild<meteo::FormAjout *>(QStringLiteral("FormAjout"));
        QTest::keyClicks(dialog->EditRecherche, QStringLiteral("Lyon"));
        QTRY_VERIFY(dialog->StatutAjout->text().startsWith(QStringLiteral("Service météo injoignable")));
        QCOMPARE(dialog->ListeCommunes->count(), 0);
        QCOMPARE(readFile(files.path(QStringLiteral("villes.ini"))), QByteArray("Paris=FR75056\n"));
    }
};

QTEST_MAIN(CitiesTest)
#include "tst_cities.moc"
