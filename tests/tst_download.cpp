// The weather download: URL decomposition, the request on the wire, the five events and their
// handlers, and what reaches weather.xml, against a raw server on 127.0.0.1 that can misbehave.
#include "app/errorreport.h"
#include "app/form1.h"
#include "app/memotext.h"
#include "app/simplestatusbar.h"
#include "net/decomposeurl.h"
#include "net/request.h"
#include "net/response.h"
#include "testsupport.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
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

class DownloadTest : public QObject {
    Q_OBJECT
    meteo::ErrorReport report;
    BesideExe files;
    std::unique_ptr<TempCurrentDir> cwd;

    std::unique_ptr<TForm1> window(const RawServer &server)
    {
        auto w = std::make_unique<TForm1>();
        w->setServiceHost(server.host());
        return w;
    }

    QByteArray stored() const { return readFile(files.path(QStringLiteral("weather.xml"))); }

private Q_SLOTS:
    void initTestCase()
    {
        report.setDialogsShown(false);
        cwd = std::make_unique<TempCurrentDir>();
        files.copyShipped(QStringLiteral("Dictionnaire.ini"));
        files.copyShipped(QStringLiteral("icons"));
    }

    void init()
    {
        files.remove(QStringLiteral("weather.xml"));
    }

    void decomposeUrl_data()
    {
        QTest::addColumn<QByteArray>("url");
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<QByteArray>("uri");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("ok");
        QTest::newRow("request") << meteo::weatherRequestUrl("meteo.example", "FR75056") << QByteArray("meteo.example")
                                 << "/weather/local/FR75056" + query << 80 << true;
        QTest::newRow("port") << QByteArray("http://127.0.0.1:8479/a b?c") << QByteArray("127.0.0.1") << QByteArray("/a b?c") << 8479 << true;
        QTest::newRow("https default") << QByteArray("HTTPS://h/x") << QByteArray("h") << QByteArray("/x") << 443 << true;
        QTest::newRow("no path") << QByteArray("http://h") << QByteArray("h") << QByteArray("/") << 80 << true;
        QTest::newRow("query only") << QByteArray("http://h?x=1") << QByteArray("h") << QByteArray("/?x=1") << 80 << true;
        QTest::newRow("IPv6") << QByteArray("http://[::1]:81/x") << QByteArray("[::1]") << QByteArray("/x") << 81 << true;
        QTest::newRow("user info") << QByteArray("http://u:p@h:82/x") << QByteArray("h") << QByteArray("/x") << 82 << true;
        QTest::newRow("bad port") << QByteArray("http://h:99999/x") << QByteArray("h") << QByteArray("/x") << 80 << false;
        QTest::newRow("empty host") << QByteArray("http:///x") << QByteArray() << QByteArray("/x") << 80 << false;
        QTest::newRow("no scheme") << QByteArray("h/x") << QByteArray("h") << QByteArray("/x") << 80 << false;
        QTest::newRow("other scheme") << QByteArray("ftp://h/x") << QByteArray("h") << QByteArray("/x") << 80 << false;
    }

    void decomposeUrl()
    {
        QFETCH(QByteArray, url);
        QByteArray host, uri;
        quint16 port = 0;
        QTEST(meteo::DecomposeURL(url, host, uri, port), "ok");
        QTEST(host, "host");
        QTEST(uri, "uri");
        QTEST(int(port), "port");
    }

    void requestForACode_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<QByteArray>("onTheWire");
        QTest::newRow("normal") << QByteArray("FR75056") << QByteArray("FR75056");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("blank") << QByteArray("FR 1") << QByteArray("FR%201");
        QTest::newRow("ampersand") << QByteArray("A&B=C") << QByteArray("A&B=C");
        QTest::newRow("CR LF") << QByteArray("X\r\nHost: evil") << QByteArray("X%0D%0AHost:%20evil");
        QTest::newRow("non-ASCII") << QByteArray("Besançon") << QByteArray("Besan%C3%A7on");
        QTest::newRow("fragment") << QByteArray("A#B") << QByteArray("A%23B");
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
        QCOMPARE(w->HTTPClient->Host(), QByteArray("127.0.0.1"));
        QCOMPARE(w->HTTPClient->URI(), "/weather/local/" + code + query);  // unescaped, as composed
        QCOMPARE(w->HTTPClient->Port(), int(server.port()));
        QTRY_COMPARE(server.requests.size(), 1);
        QCOMPARE(requestLine(server.requests[0]), "GET /weather/local/" + onTheWire + query + " HTTP/1.1");
        QCOMPARE(server.requests[0].count("\r\n"), server.requests[0].count('\n'));  // one line per header
    }

    void wholeRoadToTheLabels()
    {
        RawServer server(RawServer::document(parisDocument()));
        auto w = window(server);
        QSignalSpy status(w->BarStatus, &meteo::SimpleStatusBar::simpleTextChanged);
        w->Request("FR75056");
        QTRY_COMPARE(w->BarStatus->SimpleText(), QStringLiteral("Déconnecté du site ") + QString::fromLatin1(server.host()));
        QCOMPARE(texts(status).first(), QStringLiteral("Réponse: 200 OK"));
        QCOMPARE(texts(status).at(texts(status).size() - 2), QStringLiteral("Fini."));
        QCOMPARE(stored(), parisDocument());
        QCOMPARE(w->MemoHTML->Text(), parisDocument());
        QCOMPARE(w->MemoHTML->SelStart(), parisDocument().size());
        QCOMPARE(w->label(1)->text(), QStringLiteral("Paris, France"));
    }

    void chunksOfThreeThenFive()
    {
        RawServer server(RawServer::chunks({"abc", "defgh"}, 150));
        auto w = window(server);
        QSignalSpy status(w->BarStatus, &meteo::SimpleStatusBar::simpleTextChanged);
        w->Request("FR75056");
        QTRY_VERIFY(texts(status).contains(QStringLiteral("Fini.")));
        QCOMPARE(w->httpBuffer(), QByteArray("abcdefgh"));
        QCOMPARE(w->MemoHTML->Text(), QByteArray("abcdefgh"));
        QCOMPARE(texts(status).mid(0, 4), (QStringList{QStringLiteral("Réponse: 200 OK"), QStringLiteral("3..."),
                                                        QStringLiteral("5..."), QStringLiteral("Fini.")}));
        // The body is no weather document: the refresh fails, the report has it, "Fini." stays.
        QCOMPARE(w->BarStatus->SimpleText(), QStringLiteral("Fini."));
        QCOMPARE(stored(), QByteArray("abcdefgh"));
    }

    void shorterSecondDownloadLeavesOnlyItsBody()
    {
        QList<QByteArray> bodies{"a long first body", "short"};
        RawServer server([&bodies](QTcpSocket *s, const QByteArray &r) { RawServer::document(bodies.takeFirst())(s, r); });
        auto w = window(server);
        w->Request("A");
        QTRY_COMPARE(stored(), QByteArray("a long first body"));
        w->Request("B");
        QTRY_COMPARE(stored(), QByteArray("short"));
        QCOMPARE(w->httpBuffer(), QByteArray("short"));
        QCOMPARE(w->MemoHTML->Text(), QByteArray("short"));
    }

    void notFoundIsShownAndStored()
    {
        RawServer server(RawServer::document("<error>inconnu</error>", "404 Not Found"));
        auto w = window(server);
        QSignalSpy status(w->BarStatus, &meteo::SimpleStatusBar::simpleTextChanged);
        w->Request("XX");
        QTRY_COMPARE(stored(), QByteArray("<error>inconnu</error>"));
        QCOMPARE(texts(status).first(), QStringLiteral("Réponse: 404 Not Found"));
    }

    void redirectIsNotFollowed()
    {
        RawServer server([](QTcpSocket *s, const QByteArray &) {
            s->write("HTTP/1.1 301 Moved Permanently\r\nLocation: http://127.0.0.1:1/\r\nContent-Length: 5\r\n\r\nmoved");
        });
        auto w = window(server);
        QSignalSpy status(w->BarStatus, &meteo::SimpleStatusBar::simpleTextChanged);
        w->Request("FR75056");
        QTRY_COMPARE(stored(), QByteArray("moved"));
        QCOMPARE(texts(status).first(), QStringLiteral("Réponse: 301 Moved Permanently"));
        QCOMPARE(server.requests.size(), 1);
    }

    void failuresKeepThePartialBodyAndTheStoredFile_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");
        QTest::newRow("refused") << 0 << QStringLiteral("Connexion refusée Erreur...");
        QTest::newRow("dropped mid-body") << 1 << QStringLiteral("Connexion interrompue Erreur...");
    }

    void failuresKeepThePartialBodyAndTheStoredFile()
    {
        QFETCH(int, kind);
        QFETCH(QString, shown);
        files.write(QStringLiteral("weather.xml"), "good old document");
        RawServer server([](QTcpSocket *s, const QByteArray &) {
            s->write("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial!!!");
            s->flush();
            QTimer::singleShot(100, s, [s] { s->abort(); });
        });
        auto w = window(server);
        if (kind == 0) {
            w->setServiceHost("127.0.0.1:" + QByteArray::number(server.port()));
            server.close();
        }
        w->Request("FR75056");
        QTRY_COMPARE(w->BarStatus->SimpleText(), shown);
        QCOMPARE(w->httpBuffer(), kind == 0 ? QByteArray() : QByteArray("partial!!!"));
        QCOMPARE(w->MemoHTML->Text(), w->httpBuffer());
        QTest::qWait(50);
        QCOMPARE(stored(), QByteArray("good old document"));
    }

    void chunkedTransferIsDecoded()
    {
        RawServer server([](QTcpSocket *s, const QByteArray &) {
            s->write("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\n<a>x\r\n4\r\n</a>\r\n0\r\n\r\n");
        });
        auto w = window(server);
        w->Request("FR75056");
        QTRY_COMPARE(stored(), QByteArray("<a>x</a>"));
    }

    void oversizedBodyIsCutWithAnError()
    {
        files.write(QStringLiteral("weather.xml"), "good old document");
        const QByteArray big(9 * 1024 * 1024, 'x');
        RawServer server([&big](QTcpSocket *s, const QByteArray &) {
            s->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(big.size()) + "\r\n\r\n");
            s->write(big);
        });
        auto w = window(server);
        w->Request("FR75056");
        QTRY_COMPARE_WITH_TIMEOUT(w->BarStatus->SimpleText(), QStringLiteral("Réponse trop volumineuse Erreur..."), 20000);
        QVERIFY(w->httpBuffer().size() <= meteo::HTTPClient::kDefaultMaxBody);
        QVERIFY(!w->httpBuffer().isEmpty());
        QCOMPARE(stored(), QByteArray("good old document"));
    }

    void overlappingRequestsNeverMix()
    {
        RawServer server([](QTcpSocket *s, const QByteArray &request) {
            if (request.contains("/SLOW?")) {
                RawServer::chunks({"slow-1 ", "slow-2 ", "slow-3"}, 120)(s, request);
            } else {
                QTimer::singleShot(60, s, [s, request] { RawServer::document("fast")(s, request); });
            }
        });
        auto w = window(server);
        w->Request("SLOW");
        QTRY_VERIFY(w->httpBuffer().startsWith("slow-1"));
        w->Request("FAST");
        QTRY_COMPARE(stored(), QByteArray("fast"));
        QTest::qWait(500);  // the abandoned download would have ended by now
        QCOMPARE(stored(), QByteArray("fast"));
        QCOMPARE(w->httpBuffer(), QByteArray("fast"));
    }

    void emptyAnswerNeverReplacesAGoodFile()
    {
        RawServer good(RawServer::document(parisDocument()));
        auto w = window(good);
        w->Request("FR75056");
        QTRY_COMPARE(stored(), parisDocument());
        RawServer empty(RawServer::document(QByteArray()));
        w->setServiceHost(empty.host());
        w->Request("FR75056");
        QTRY_COMPARE(w->BarStatus->SimpleText(), QString::fromUtf8(meteo::kNoBodyStatus));
        QCOMPARE(stored(), parisDocument());
    }

    void latin1DocumentSurvivesByteForByte()
    {
        QByteArray doc = parisDocument();
        doc.replace("encoding=\"UTF-8\"", "encoding=\"ISO-8859-1\"").replace("Paris, France", "Besan\xE7on, France");
        RawServer server(RawServer::document(doc));
        auto w = window(server);
        w->Request("FR25056");
        QTRY_COMPARE(w->label(1)->text(), QStringLiteral("Besançon, France"));
        QCOMPARE(stored(), doc);
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
        QVERIFY2(report.lastMessage().contains(QStringLiteral("weather.xml: écriture impossible")), qPrintable(report.lastMessage()));
        QCOMPARE(stored(), QByteArray("good old document"));
        QCOMPARE(w->label(1)->text(), QString());  // nothing shown from a file that was not written
        // The window keeps working: the next download is stored and shown.
        w->Request("FR75056");
        QTRY_COMPARE(w->label(1)->text(), QStringLiteral("Paris, France"));
        QCOMPARE(stored(), parisDocument());
    }

    void silentServerLeavesTheWindowResponsive()
    {
        RawServer silent([](QTcpSocket *, const QByteArray &) {});
        RawServer good(RawServer::document(parisDocument()));
        auto w = window(silent);
        w->Request("FR75056");
        QTRY_COMPARE(silent.requests.size(), 1);
        bool ticked = false;
        QTimer::singleShot(50, [&ticked] { ticked = true; });
        QTRY_VERIFY(ticked);  // the event loop runs while the download hangs
        w->setServiceHost(good.host());
        w->Request("FR75056");  // replaces the stuck download
        QTRY_COMPARE(w->label(1)->text(), QStringLiteral("Paris, France"));
        QCOMPARE(w->BarStatus->SimpleText(), QStringLiteral("Déconnecté du site ") + QString::fromLatin1(good.host()));
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

    void failingRefreshIsReportedAndFiniStays()
    {
        RawServer server(RawServer::document(parisDocument().replace("<tm>3:52 PM</tm>", "<tm>soon</tm>")));
        auto w = window(server);
        const int before = report.count();
        w->Request("FR75056");
        QTRY_COMPARE(report.count(), before + 1);
        QVERIFY(report.lastMessage().contains(QStringLiteral("soon")));
        QCOMPARE(w->BarStatus->SimpleText(), QStringLiteral("Fini."));
    }
};

QTEST_MAIN(DownloadTest)
#include "tst_download.moc"
