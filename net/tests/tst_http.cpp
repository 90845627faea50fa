// SPDX-License-Identifier: GPL-2.0-or-later
// The HTTP layer on its own, linking the net library alone: the answer parser as a table fed whole
// and a byte at a time, the URL decomposition, and the client's promise that a handler which hangs
// up hears nothing more until it has returned.
#include "net/decomposeurl.h"
#include "net/httpclient.h"
#include "net/httpparser.h"
#include "net/request.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

using namespace testing;

class HttpTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decomposeUrl_data()
    {
        QTest::addColumn<QByteArray>("url");
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<QByteArray>("uri");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("ok");
        QTest::newRow("request") << meteo::weatherRequestUrl("meteo.example", "FR75056") << QByteArray("meteo.example")
                                 << "/weather/local/FR75056" + QByteArray(meteo::kWeatherQuery) << 80 << true;
        QTest::newRow("https default") << QByteArray("HTTPS://h/x") << QByteArray("h") << QByteArray("/x") << 443 << true;
        QTest::newRow("IPv6") << QByteArray("http://[::1]:81/x") << QByteArray("[::1]") << QByteArray("/x") << 81 << true;
        QTest::newRow("bad port") << QByteArray("http://h:99999/x") << QByteArray("h") << QByteArray("/x") << 80 << false;
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

    // Each answer's outcome ("status done body", or "status error"), the same whether it arrives
    // whole or a byte at a time.
    void parserOutcomes_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("outcome");
        const QByteArray ok = "HTTP/1.1 200 OK\r\n", chunked = ok + "Transfer-Encoding: chunked\r\n\r\n";
        const QByteArray invalid = "Réponse HTTP invalide", cut = "Connexion interrompue";
        const QByteArray interim = QByteArray("HTTP/1.1 100 Continue\r\n\r\n");
        QTest::newRow("chunks, extensions, trailers") << chunked + "3;x=1\r\nabc\r\n2\r\nde\r\n0\r\nT: 1\r\n\r\n" << QByteArray("200 done abcde");
        QTest::newRow("until the close") << QByteArray("HTTP/1.0 200 OK\n\nabc") << QByteArray("200 done abc");
        QTest::newRow("no body") << QByteArray("HTTP/1.1 204 No Content\r\n\r\n") << QByteArray("204 done ");
        QTest::newRow("8 interim answers") << interim.repeated(8) + ok + "Content-Length: 3\r\n\r\nabc" << QByteArray("200 done abc");
        QTest::newRow("9 interim answers") << interim.repeated(9) + ok + "Content-Length: 3\r\n\r\nabc" << "0 " + invalid;
        QTest::newRow("switching protocols") << QByteArray("HTTP/1.1 101 Switching\r\n\r\n") << "101 " + invalid;
        QTest::newRow("not HTTP") << QByteArray("<html>\r\n\r\n") << "0 " + invalid;
        QTest::newRow("head over 64 KiB") << ok + QByteArray("X: y\r\n").repeated(11000) + "\r\n" << "0 " + invalid;
        QTest::newRow("folded line hides a length") << ok + "X-A: a\r\n Content-Length: 3\r\n\r\nabc" << "0 " + invalid;
        QTest::newRow("empty length") << ok + "Content-Length: \r\n\r\nabc" << "200 " + invalid;
        QTest::newRow("two lengths") << ok + "Content-Length: 3\r\nContent-Length: 30\r\n\r\nabc" << "0 " + invalid;
        QTest::newRow("body cut short") << ok + "Content-Length: 5\r\n\r\nabc" << "200 " + cut;
        QTest::newRow("no last chunk") << chunked + "3\r\nabc\r\n" << "200 " + cut;
        QTest::newRow("garbage chunk size") << chunked + "ZZ\r\nabc\r\n0\r\n\r\n" << "200 " + cut;
        QTest::newRow("chunk line over 1 KiB") << chunked + "3;" + QByteArray(2000, 'x') + "\r\nabc\r\n0\r\n\r\n" << "200 " + cut;
        QTest::newRow("endless trailers") << chunked + "0\r\n" + QByteArray("T: x\r\n").repeated(12000) << "200 " + invalid;
        QTest::newRow("gzip") << ok + "Content-Encoding: gzip\r\nContent-Length: 3\r\n\r\nabc"
                              << QByteArray("200 Encodage de réponse non pris en charge");
    }

    void parserOutcomes()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, outcome);
        for (const qsizetype piece : {answer.size(), qsizetype(1)}) {
            meteo::HttpResponseParser parser;
            int status = 0;
            QByteArray body, end;
            const auto drain = [&] {
                for (const meteo::HttpEvent &e : parser.takeEvents()) {
                    QVERIFY(end.isEmpty());  // nothing after the last event
                    if (e.kind == meteo::HttpEvent::Head)
                        status = e.status;
                    else if (e.kind == meteo::HttpEvent::Body)
                        body += e.bytes;
                    else
                        end = e.kind == meteo::HttpEvent::Done ? "done " + body : e.bytes;
                }
            };
            for (qsizetype at = 0; at < answer.size(); at += piece) {
                parser.feed(answer.mid(at, piece));
                drain();
            }
            parser.endOfStream();
            drain();
            QCOMPARE(QByteArray::number(status) + ' ' + end, outcome);
        }
    }

    // A handler that hangs up hears nothing more until it has returned; then the cut body is an error.
    void disconnectInsideAHandlerWaitsForItsReturn()
    {
        // The rest of the body would follow; the server hearing the client hang up is what says that
        // nothing more can come.
        bool hungUp = false;
        RawServer server([&hungUp](QTcpSocket *s, const QByteArray &) {
            QObject::connect(s, &QTcpSocket::disconnected, [&hungUp] { hungUp = true; });
            s->write("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc");
            QTimer::singleShot(50, s, [s] { s->write("defghij"); });
        });
        meteo::HTTPClient client;
        client.setHost("127.0.0.1");
        client.setPort(server.port());
        client.setURI("/x");
        QStringList events;
        bool inHandler = false;
        const auto note = [&](const QString &what) { events << (inHandler ? QStringLiteral("inside: ") : QString()) + what; };
        connect(&client, &meteo::HTTPClient::OnInput, [&](meteo::HTTPConnection *c, const char *, qint32) {
            note(QStringLiteral("input"));
            inHandler = true;
            c->Disconnect();
            inHandler = false;
        });
        connect(&client, &meteo::HTTPClient::OnDoneInput, [&] { note(QStringLiteral("done")); });
        connect(&client, &meteo::HTTPClient::OnDisconnect, [&] { note(QStringLiteral("disconnect")); });
        connect(&client, &meteo::HTTPClient::OnError, [&](const QByteArray &m) { note(QString::fromUtf8(m)); });
        client.SendRequest();
        QTRY_VERIFY(hungUp);
        QTRY_COMPARE(events.size(), 2);
        QCoreApplication::processEvents();
        QCOMPARE(events, (QStringList{QStringLiteral("input"), QStringLiteral("Connexion interrompue")}));
    }
};

QTEST_MAIN(HttpTest)

#include "tst_http.moc"
