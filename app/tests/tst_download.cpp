// SPDX-License-Identifier: GPL-2.0-or-later
// The weather download: URL decomposition, the request on the wire, the five events and their
// handlers, and what reaches weather.xml, against a raw server on 127.0.0.1 that can misbehave.
#include "app/widgets/errorreport.h"
#include "app/mainwindow/form1.h"
#include "app/mainwindow/companions.h"
#include "app/storage/memotext.h"
#include "app/widgets/simplestatusbar.h"
#include "net/httpclient.h"
#include "net/request.h"
#include "net/response.h"
#include "testsupport.h"
#include "windowfixture.h"
#include "weather/extraction.h"
#include "app/windows/formheures.h"
#include "app/widgets/vigilancebadge.h"
#include "common/instanttext.h"

#include <QPushButton>

#include <QAction>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QStringEncoder>
#include <QTimer>
#include <QCoreApplication>

using namespace testing;

namespace {

const QByteArray query = meteo::kWeatherQuery;

QStringList texts(const QSignalSpy &spy)
{
    QStringList out;
    for (const QList<QVariant> &args : spy)
        out << args.at(0).toString();
    return out;
}

QByteArray requestLine(const QByteArray &request)
{
    return request.left(request.indexOf("\r\n"));
}

} // namespace

class DownloadTest : public QObject, WindowFixture {
    Q_OBJECT

    std::unique_ptr<TForm1> window(const RawServer &server)
    {
        auto w = std::make_unique<TForm1>();
        w->setServiceHost(server.host());
        return w;
    }

    QByteArray stored() const { return readFile(files.path(QStringLiteral("weather.xml"))); }

private Q_SLOTS:
    void initTestCase() { prepare(true, true); }

    void cleanup() { forgetStored(); }

    // A service address that cannot be read is said as such; nothing is asked of port 80 instead.
    void unreadableServiceAddressIsReported()
    {
        TForm1 w;
        w.setServiceHost("127.0.0.1:99999");
        const int before = report.count();
        meteo::atEventBoundary("Request", [&] { w.Request("FR75056"); });
        QCOMPARE(report.count(), before + 1);
        QVERIFY2(report.lastMessage().contains(QStringLiteral("Adresse du service illisible : http://127.0.0.1:99999/")),
                 qPrintable(report.lastMessage()));
        QCOMPARE(w.HTTPClient->Host(), QByteArray());
    }

    // The code is one path segment: it can neither climb the path nor rewrite the query.
    void requestForACode_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<QByteArray>("onTheWire");
        QTest::newRow("normal") << QByteArray("FR75056") << QByteArray("FR75056");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("blank") << QByteArray("FR 1") << QByteArray("FR%201");
        QTest::newRow("CR LF") << QByteArray("X\r\nHost: evil") << QByteArray("X%0D%0AHost%3A%20evil");
        QTest::newRow("non-ASCII") << QByteArray("Besançon") << QByteArray("Besan%C3%A7on");
        QTest::newRow("climbing") << QByteArray("../../../x") << QByteArray("..%2F..%2F..%2Fx");
        QTest::newRow("dot dot") << QByteArray("..") << QByteArray("%2E%2E");
        QTest::newRow("query") << QByteArray("FR75056?dayf=1&unit=x#") << QByteArray("FR75056%3Fdayf%3D1%26unit%3Dx%23");
        QTest::newRow("percent") << QByteArray("%41") << QByteArray("%2541");
    }

    void requestForACode()
    {
        QFETCH(QByteArray, code);
        QFETCH(QByteArray, onTheWire);
        RawServer server(RawServer::document("x"));
        auto w = window(server);
        w->HTTPClientInput(nullptr, "old", 3);
        w->Request(code);
        QCOMPARE(w->httpBuffer(), QByteArray());  // emptied before any answer
        QTRY_COMPARE(server.requests.size(), 1);
        QCOMPARE(requestLine(server.requests[0]), "GET /weather/local/" + onTheWire + query + " HTTP/1.1");
        QVERIFY(server.requests[0].contains("\r\nAccept-Encoding: identity\r\n"));
        QCOMPARE(server.requests[0].count("\r\n"), server.requests[0].count('\n'));  // one line per header
    }

    // An https URL goes through TLS: the server sees a handshake, never the request in plain text,
    // and a server that cannot speak TLS ends in an error.
    void httpsNeverGoesOutInPlainText()
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        QByteArray received;
        QObject::connect(&server, &QTcpServer::newConnection, [&] {
            QTcpSocket *s = server.nextPendingConnection();
            QObject::connect(s, &QTcpSocket::readyRead, [s, &received] {
                received += s->readAll();
                s->write("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nno");
                s->disconnectFromHost();
            });
        });
        TForm1 w;
        w.SendRequest("https://127.0.0.1:" + QByteArray::number(server.serverPort()) + "/weather/local/FR75056" + query);
        QTRY_VERIFY(w.BarStatus->SimpleText().endsWith(QStringLiteral(" Erreur...")));
        QVERIFY(received.startsWith('\x16'));  // a TLS handshake record
        QVERIFY(!received.contains("GET") && !received.contains("FR75056"));
        QCOMPARE(w.httpBuffer(), QByteArray());
    }

    // The body in two pieces: each piece's length is shown, the whole body is stored and shown.
    void wholeRoadToTheLabels()
    {
        const QByteArray doc = parisDocument();
        RawServer server(RawServer::chunks({doc.left(3), doc.mid(3)}, 150));
        auto w = window(server);
        QSignalSpy status(w->BarStatus, &meteo::SimpleStatusBar::simpleTextChanged);
        w->Request("FR75056");
        QTRY_COMPARE(w->BarStatus->SimpleText(), QStringLiteral("Déconnecté du site ") + QString::fromLatin1(server.host()));
        QCOMPARE(texts(status), (QStringList{QStringLiteral("Réponse: 200 OK"), QStringLiteral("3..."),
                                             QString::number(doc.size() - 3) + QStringLiteral("..."), QStringLiteral("Fini."),
                                             w->BarStatus->SimpleText()}));
        QCOMPARE(stored(), parisDocument());
        QCOMPARE(w->MemoHTML->Text(), parisDocument());
        QCOMPARE(w->MemoHTML->SelStart(), parisDocument().size());
        QCOMPARE(w->label(1)->text(), QStringLiteral("Paris, France"));
    }

    // The department's warnings: the worst on its colour under the icon, the count of the others,
    // said in words; a click opens the 48 hours, where each is a line and a band over its hours.
    // A green department or a document without vigilance shows nothing.
    void warningsFromTheDocument()
    {
        const QDateTime now = QDateTime::currentDateTime();
        const auto at = [&now](int hours) { return now.addSecs(3600 * hours).toOffsetFromUtc(3600); };
        // Wind orange now, thunder yellow later, and a colour the viewer does not know, left out.
        const QByteArray warned = parisWith(hoursSection(at(-1), 48, [](int) { return QByteArray("<tmp>8</tmp>"); })
                                            + vigilanceSection("75", at(-3), {{1, 3, at(-1), at(6)}, {3, 2, at(2), at(5)}, {8, 9, at(2), at(5)}}));
        QList<QByteArray> bodies{warned, parisWith(vigilanceSection("75", at(-3), {})), parisDocument()};
        RawServer server([&bodies](QTcpSocket *s, const QByteArray &r) { RawServer::document(bodies.takeFirst())(s, r); });
        auto w = window(server);
        w->Request("FR75056");
        QTRY_VERIFY(w->Vigilance->isVisibleTo(w.get()));
        QCOMPARE(w->Vigilance->text(), QStringLiteral("Vigilance orange — vent violent\n+ 1 autre"));
        QVERIFY(w->Vigilance->styleSheet().contains(meteo::warningColour(meteo::WarningColour::Orange).name()));
        QVERIFY2(w->Vigilance->accessibleDescription().startsWith(QStringLiteral("Vigilance orange vent violent jusqu'à ")),
                 qPrintable(w->Vigilance->accessibleDescription()));
        for (int n = 1; n <= 12; ++n)  // the window's own labels keep their places
            QVERIFY(!w->Vigilance->geometry().intersects(w->label(n)->geometry()) || w->label(n)->text().isEmpty());
        QVERIFY(!w->Vigilance->geometry().intersects(w->Imag->geometry()));
        w->Vigilance->click();
        QTRY_VERIFY(w->Compagnons->Heures && w->Compagnons->Heures->isVisible());
        const QStringList lines = w->Compagnons->Heures->Vigilances->text().split(u'\n');
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith(QStringLiteral("Vigilance orange vent violent jusqu'à ")));
        QVERIFY(lines[1].startsWith(QStringLiteral("Vigilance jaune orages de ")));
        const QRectF wind = w->Compagnons->Heures->Graphique->warningBand(0), storm = w->Compagnons->Heures->Graphique->warningBand(1);
        QVERIFY(!wind.isEmpty() && !storm.isEmpty() && wind.left() < storm.left() && storm.right() < wind.right());
        w->Request("FR75056");  // green
        QTRY_VERIFY(!w->Vigilance->isVisibleTo(w.get()));
        w->Request("FR75056");  // no section at all
        QTRY_COMPARE(bodies.size(), 0);
        QTRY_VERIFY(!w->HTTPClient->Busy());
        QVERIFY(!w->Vigilance->isVisibleTo(w.get()));
    }

    // weather.xml is replaced as a file (as meteo.ini and the city list are, through the same
    // writer): a symbolic link in its place is replaced, and the file it pointed to is never written.
    void linksAreReplacedNeverWrittenThrough()
    {
        QTemporaryDir elsewhere;
        const QString victim = elsewhere.filePath(QStringLiteral("victim"));
        writeFile(victim, "precious bytes\n");
        QVERIFY(QFile::link(victim, files.path(QStringLiteral("weather.xml"))));
        {
            RawServer server(RawServer::document(parisDocument()));
            auto w = window(server);
            w->Request("FR75056");
            QTRY_COMPARE(w->label(1)->text(), QStringLiteral("Paris, France"));
            w->close();
        }
        QCOMPARE(readFile(victim), QByteArray("precious bytes\n"));
        QVERIFY(!QFileInfo(files.path(QStringLiteral("weather.xml"))).isSymLink());
        QCOMPARE(stored(), parisDocument());
    }

    // Closing the window abandons the download under way: nothing of it arrives, and no download
    // is scheduled after the close.
    void closingAbandonsTheDownload()
    {
        bool hungUp = false;
        RawServer server([&hungUp](QTcpSocket *s, const QByteArray &) {
            QObject::connect(s, &QTcpSocket::disconnected, [&hungUp] { hungUp = true; });
            s->write("HTTP/1.1 200 OK\r\nContent-Length: 20000\r\n\r\n<weather>");
        });
        auto w = window(server);
        w->show();
        w->Request("FR75056");
        QTRY_VERIFY(w->HTTPClient->Busy() && server.requests.size() == 1);
        const QString status = w->BarStatus->SimpleText();
        w->close();
        QVERIFY(!w->HTTPClient->Busy());
        QTRY_VERIFY(hungUp);  // nothing more of it can come
        QCoreApplication::processEvents();
        QVERIFY(!w->Actualisation->isActive());
        QCOMPARE(w->BarStatus->SimpleText(), status);
    }

    // The status decides, not the body: an answer outside 200-299 is shown and never stored; nor is
    // an empty one.
    void errorAnswersAreShownNeverStored_data()
    {
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("why");  // the service's reason, when its body says it plainly
        const QByteArray bad = "502 Bad Gateway";
        QTest::newRow("200 without a body") << QByteArray("200 OK") << QByteArray() << QByteArray();
        QTest::newRow("404 with a weather body") << QByteArray("404 Not Found") << parisDocument() << QByteArray();
        QTest::newRow("502 error document") << bad << QByteArray("<error>amont injoignable</error>") << QByteArray(" — amont injoignable");
        QTest::newRow("502 of our service") << bad << QByteArray("<?xml version=\"1.0\"?><error><code>502</code><message>Open-Meteo injoignable : délai</message></error>")
                                            << QByteArray(" — Open-Meteo injoignable : délai");
        QTest::newRow("502 with a line feed") << bad << QByteArray("<error>a&#10;Réponse: 200 OK</error>") << QByteArray();
        QTest::newRow("502 over 100 characters") << bad << "<error>" + QByteArray(101, 'x') + "</error>" << QByteArray();
        QTest::newRow("redirect") << QByteArray("301 Moved Permanently") << QByteArray("moved") << QByteArray();
    }

    void errorAnswersAreShownNeverStored()
    {
        QFETCH(QByteArray, status);
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, why);
        files.write(QStringLiteral("weather.xml"), "good old document");
        RawServer server(RawServer::document(body, status + "\r\nLocation: http://127.0.0.1:1/"));
        auto w = window(server);
        QSignalSpy shown(w->BarStatus, &meteo::SimpleStatusBar::simpleTextChanged);
        const int reports = report.count();
        w->Request("FR75056");
        const QByteArray shownLast = body.isEmpty() ? QByteArray(meteo::kNoBodyStatus) : "Réponse: " + status + why + " : la météo affichée n'a pas changé";
        QTRY_COMPARE(w->BarStatus->SimpleText(), QString::fromUtf8(shownLast));
        QCOMPARE(texts(shown).first(), QString::fromUtf8("Réponse: " + status));
        QVERIFY(texts(shown).contains(QStringLiteral("Fini.")));
        QCOMPARE(w->MemoHTML->Text(), body);
        QCOMPARE(stored(), QByteArray("good old document"));
        QCOMPARE(w->label(1)->text(), QString());
        QCOMPARE(report.count(), reports);
        QCOMPARE(server.requests.size(), 1);  // redirects are not followed
    }

    // Whatever goes wrong, the partial body stays in the buffer and nothing reaches weather.xml or
    // the labels. Ending: 0 orderly close, 1 reset, 2 the server goes silent, 3 a byte every 100 ms.
    void failuresKeepThePartialBodyAndTheStoredFile_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("ending");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QByteArray>("partial");
        const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: 4000\r\n\r\n";
        const QString cut = QStringLiteral("Connexion interrompue Erreur...");
        const QString late = QStringLiteral("Délai dépassé Erreur...");
        QTest::newRow("refused") << QByteArray() << -1 << QStringLiteral("Connexion refusée Erreur...") << QByteArray();
        QTest::newRow("reset mid-body") << head + "partial!" << 1 << cut << QByteArray("partial!");
        QTest::newRow("orderly close mid-body") << head + "partial!" << 0 << cut << QByteArray("partial!");
        QTest::newRow("stalled body") << head + "partial!" << 2 << late << QByteArray("partial!");
        QTest::newRow("stalled before the headers") << QByteArray("HTTP/1.1 2") << 2 << late << QByteArray();
        QTest::newRow("head trickling past the overall limit") << QByteArray("HTTP/1.1 200 OK\r\n") << 3 << late << QByteArray();
    }

    void failuresKeepThePartialBodyAndTheStoredFile()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, ending);
        QFETCH(QString, shown);
        QFETCH(QByteArray, partial);
        files.write(QStringLiteral("weather.xml"), "good old document");
        RawServer server([answer, ending](QTcpSocket *s, const QByteArray &) {
            s->write(answer);
            s->flush();
            if (ending == 0)
                QTimer::singleShot(50, s, [s] { s->disconnectFromHost(); });
            else if (ending == 1)
                QTimer::singleShot(50, s, [s] { s->abort(); });
            else if (ending == 3) {
                auto *drip = new QTimer(s);
                QObject::connect(drip, &QTimer::timeout, s, [s] { s->write("X-Drip: 1\r\n"); });
                drip->start(100);
            }
        });
        auto w = window(server);
        w->HTTPClient->setTimeout(300);
        w->HTTPClient->setTotalTimeout(ending == 3 ? 600 : 60000);
        if (ending < 0)
            server.close();
        QSignalSpy shownTexts(w->BarStatus, &meteo::SimpleStatusBar::simpleTextChanged);
        const int reports = report.count();
        w->Request("FR75056");
        QTRY_COMPARE(w->BarStatus->SimpleText(), shown);
        QCOMPARE(w->httpBuffer(), partial);
        QCOMPARE(w->MemoHTML->Text(), partial);
        QVERIFY(!w->HTTPClient->Busy());  // its connection closed: nothing of it can follow
        QCoreApplication::processEvents();
        QCOMPARE(w->BarStatus->SimpleText(), shown);  // no done-input or disconnect follows
        QVERIFY(!texts(shownTexts).contains(QStringLiteral("Fini.")));
        QCOMPARE(stored(), QByteArray("good old document"));
        QCOMPARE(report.count(), reports);
    }

    // While the window is open the current city is downloaded again, soon after a failure and then
    // at the refresh interval, and on F5; what is current or remembered never changes.
    void currentCityIsDownloadedAgain()
    {
        QList<QByteArray> answers{"500 Internal Server Error", "200 OK", "200 OK"};
        RawServer server([&answers](QTcpSocket *s, const QByteArray &r) {
            RawServer::document(parisDocument(), answers.isEmpty() ? "200 OK" : answers.takeFirst())(s, r);
        });
        auto w = window(server);
        w->retryInterval = 50;
        w->refreshInterval = 400;
        w->Edit1->setText(QStringLiteral("FR69123"));
        w->Ville = "FR75056";
        w->Request(w->Ville);
        QTRY_COMPARE(server.requests.size(), 2);  // the failure is retried
        QTRY_COMPARE(w->label(1)->text(), QStringLiteral("Paris, France"));
        QElapsedTimer shown;
        shown.start();
        QTRY_COMPARE(server.requests.size(), 3);
        QVERIFY2(shown.elapsed() >= 300, qPrintable(QString::number(shown.elapsed())));  // a shown download waits the refresh interval
        w->findChild<QAction *>(QStringLiteral("Actualiser"))->trigger();
        QTRY_COMPARE(server.requests.size(), 4);
        for (const QByteArray &request : server.requests)
            QVERIFY(request.startsWith("GET /weather/local/FR75056?"));
        QCOMPARE(w->Ville, QByteArray("FR75056"));
        QCOMPARE(w->Edit1->text(), QStringLiteral("FR69123"));
    }

    void overlappingRequestsNeverMix()
    {
        bool slowHungUp = false;
        RawServer server([&slowHungUp](QTcpSocket *s, const QByteArray &request) {
            if (request.contains("/SLOW?")) {
                QObject::connect(s, &QTcpSocket::disconnected, [&slowHungUp] { slowHungUp = true; });
                RawServer::chunks({"slow-1 ", "slow-2 ", "slow-3"}, 120)(s, request);
            } else {
                QTimer::singleShot(60, s, [s, request] { RawServer::document(parisDocument())(s, request); });
            }
        });
        auto w = window(server);
        w->Request("SLOW");
        QTRY_VERIFY(w->httpBuffer().startsWith("slow-1"));
        w->Request("FAST");
        QTRY_COMPARE(stored(), parisDocument());
        QTRY_VERIFY(slowHungUp);  // the abandoned download's connection is closed: nothing of it can come
        QCoreApplication::processEvents();
        QCOMPARE(stored(), parisDocument());
        QCOMPARE(w->httpBuffer(), parisDocument());
    }

    // --- Faults ----------------------------------------------------------------------------------

    void unwritableWeatherFileIsReportedAndKeepsTheOldOne_data()
    {
        QTest::addColumn<bool>("diskFull");
        QTest::newRow("read-only directory") << false;
        QTest::newRow("full disk") << true;
    }

    void unwritableWeatherFileIsReportedAndKeepsTheOldOne()
    {
        QFETCH(bool, diskFull);
        files.write(QStringLiteral("weather.xml"), "good old document");
        RawServer server(RawServer::document(parisDocument()));
        auto w = window(server);
        const int before = report.count();
        {
            const QString exeDir = QCoreApplication::applicationDirPath();
            const QFile::Permissions was = QFile::permissions(exeDir);
            PermissionsBind bind;
            std::unique_ptr<DiskFullAfter> full;
            if (diskFull)
                full = std::make_unique<DiskFullAfter>(512);
            else
                QFile::setPermissions(exeDir, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
            w->Request("FR75056");
            QTRY_COMPARE(report.count(), before + 1);
            QFile::setPermissions(exeDir, was);
        }
        const QString cause = diskFull ? QStringLiteral("(disque plein)") : QString();
        QVERIFY2(report.lastMessage().contains(QStringLiteral("weather.xml: écriture impossible ") + cause), qPrintable(report.lastMessage()));
        QCOMPARE(stored(), QByteArray("good old document"));
        QCOMPARE(w->label(1)->text(), QString());  // nothing shown from a file that was not written
        // The window keeps working: the next download is stored and shown.
        w->Request("FR75056");
        QTRY_COMPARE(w->label(1)->text(), QStringLiteral("Paris, France"));
        QCOMPARE(stored(), parisDocument());
    }

    void endlessBodyIsCutAndMemoryStaysBounded()
    {
        bool stillConnected = true;
        RawServer endless([&stillConnected](QTcpSocket *s, const QByteArray &) {
            s->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n\r\n");  // no length: until closed
            auto *pump = new QTimer(s);
            QObject::connect(pump, &QTimer::timeout, s, [s] {
                if (s->bytesToWrite() < 1024 * 1024)
                    s->write(QByteArray(256 * 1024, 'x'));
            });
            QObject::connect(s, &QTcpSocket::disconnected, [&stillConnected] { stillConnected = false; });
            pump->start(1);
        });
        auto w = window(endless);
        const qint64 before = residentKiB();
        w->Request("FR75056");
        QTRY_COMPARE_WITH_TIMEOUT(w->BarStatus->SimpleText(), QStringLiteral("Réponse trop volumineuse Erreur..."), 20000);
        QTRY_VERIFY(!stillConnected);  // the client hung up
        const qint64 growth = residentKiB() - before;
        QVERIFY2(growth < 64 * 1024, qPrintable(QStringLiteral("grew by %1 KiB").arg(growth)));
    }

    // Bodies the refresh refuses (shapes that would keep the document model busy for minutes, any
    // encoding the byte scan cannot read, a captive portal's page) never replace the good weather.
    void refusedBodiesNeverReplaceTheWeather_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("reason");
        QTest::newRow("20,000 levels") << "<weather><head>" + QByteArray("<a>").repeated(20000) + "</weather>"
                                       << QStringLiteral("imbrication");
        QByteArray wide = "<weather><head";
        for (int i = 0; i < 40000; ++i)
            wide += " a" + QByteArray::number(i) + "=\"\"";
        QTest::newRow("40,000 attributes") << wide + "/></weather>" << QStringLiteral("attributs");
        QTest::newRow("10,001 elements") << "<weather>" + QByteArray("<a/>").repeated(10001) + "</weather>"
                                         << QStringLiteral("éléments");
        // The quote hides in the second byte of U+2722 for a scan that reads bytes as characters.
        const QString deep = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?><weather x=\"✢\">")
                             + QStringLiteral("<a>").repeated(1000) + QStringLiteral("</a>").repeated(1000) + QStringLiteral("</weather>");
        const auto encoded = [&](QStringConverter::Encoding e, bool bom) {
            QStringEncoder encoder(e, bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
            return QByteArray(encoder.encode(deep));
        };
        QTest::newRow("UTF-16 with a BOM") << encoded(QStringConverter::Utf16LE, true) << QStringLiteral("encodage UTF-16");
        QTest::newRow("UTF-32") << encoded(QStringConverter::Utf32LE, false) << QStringLiteral("encodage UTF-32");
        QTest::newRow("declared UTF-16") << "<?xml version=\"1.0\" encoding='utf-16'?>" + parisDocument().mid(parisDocument().indexOf("?>") + 2)
                                         << QStringLiteral("encodage utf-16");
        QTest::newRow("over 1 MiB") << "<weather><!--" + QByteArray(1024 * 1024, 'x') + "--></weather>" << QStringLiteral("taille de plus de");
        QTest::newRow("captive portal") << QByteArray("<html><body>Connectez-vous</body></html>") << QStringLiteral("élément dayf/day/suns");
    }

    void refusedBodiesNeverReplaceTheWeather()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, reason);
        QList<QByteArray> bodies{parisDocument(), body};
        RawServer server([&bodies](QTcpSocket *s, const QByteArray &r) { RawServer::document(bodies.takeFirst())(s, r); });
        auto w = window(server);
        w->Request("FR75056");
        QTRY_COMPARE(w->label(1)->text(), QStringLiteral("Paris, France"));
        const int reports = report.count();
        w->Request("FR75056");
        QTRY_COMPARE(report.count(), reports + 1);
        QVERIFY2(report.lastMessage().contains(reason), qPrintable(report.lastMessage()));
        QCOMPARE(w->BarStatus->SimpleText(), QStringLiteral("Fini."));  // a failed refresh leaves the end of body shown
        QCOMPARE(w->label(1)->text(), QStringLiteral("Paris, France"));
        QCOMPARE(stored(), parisDocument());
    }
};

QTEST_MAIN(DownloadTest)
#include "tst_download.moc"
