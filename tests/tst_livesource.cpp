// The live source: Open-Meteo answers (our own fixtures, served by a fake upstream on 127.0.0.1)
// become documents the viewer reads; every upstream failure is a 502 with its cause; answers are
// cached and shared.
#include "service/openmeteo.h"
#include "service/weatherservice.h"
#include "testsupport.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpSocket>
#include <QTest>
#include <QTimeZone>
#include <QTimer>

using namespace testing;

namespace {

QByteArray fixture(const char *name)
{
    return readFile(QStringLiteral(METEO_SAMPLES_DIR "/") + QString::fromLatin1(name));
}

void answerJson(QTcpSocket *s, const QByteArray &json, const QByteArray &status = "200 OK")
{
    s->write("HTTP/1.1 " + status + "\r\nContent-Type: application/json\r\nContent-Length: " + QByteArray::number(json.size())
             + "\r\n\r\n" + json);
}

// A service on the live source, its upstream pointed at `upstream`, its clock at `now`.
struct LiveService {
    service::OpenMeteoSource source;
    service::WeatherService server{source};
    QDateTime now = QDateTime(QDate(2026, 12, 6), QTime(14, 45), QTimeZone::utc());
    QList<QByteArray> log;
    QByteArray base;

    explicit LiveService(const QByteArray &upstream) : source(upstream)
    {
        server.setClock([this] { return now; });
        server.setLog([this](const QByteArray &line) { log << line; });
        base = "http://127.0.0.1:" + QByteArray::number(server.listen(QHostAddress::LocalHost, 0));
    }
    HttpAnswer get(const char *code) { return httpGet(base + "/weather/local/" + code + "?r&cc=*&unit=m&dayf=9"); }
};

} // namespace

class LiveSourceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:

    // Each fixture of ours becomes the whole document in tests/samples/<fixture>.xml (golden files;
    // METEO_UPDATE_GOLDEN=1 rewrites them after a deliberate change), asked at the commune's position.
    void fixturesBecomeViewerDocuments_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<QString>("name");
        QTest::newRow("Paris, winter day") << QByteArray("FR75056") << QStringLiteral("openmeteo-paris-winter-day");
        QTest::newRow("Brest, night showers") << QByteArray("FR29019") << QStringLiteral("openmeteo-brest-night-showers");
        QTest::newRow("Lyon, thunderstorm with hail") << QByteArray("FR69123") << QStringLiteral("openmeteo-lyon-thunderstorm-hail");
    }

    void fixturesBecomeViewerDocuments()
    {
        QFETCH(QByteArray, code);
        QFETCH(QString, name);
        const QString samples = QStringLiteral(METEO_SAMPLES_DIR "/") + name;
        QByteArray asked;
        RawServer upstream([&](QTcpSocket *s, const QByteArray &request) {
            asked = request.left(request.indexOf("\r\n"));
            answerJson(s, readFile(samples + QStringLiteral(".json")));
        });
        LiveService live("http://" + upstream.host());
        const HttpAnswer answer = live.get(code.constData());
        QCOMPARE(answer.status, 200);
        const service::City *city = service::findCity(code);
        QVERIFY2(asked.contains("latitude=" + QByteArray::number(city->latitude, 'f', 4) + "&longitude="
                                + QByteArray::number(city->longitude, 'f', 4)), asked.constData());
        if (qEnvironmentVariableIsSet("METEO_UPDATE_GOLDEN"))
            writeFile(samples + QStringLiteral(".xml"), answer.body);
        QCOMPARE(answer.body, readFile(samples + QStringLiteral(".xml")));
    }

    void upstreamFailuresAre502WithTheirCause_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("cause");
        QTest::addColumn<QByteArray>("from");  // kind 7: a value of the fixture replaced
        QTest::addColumn<QByteArray>("to");
        // Out of physical range, one per kind of field: never served, named with the value.
        const auto outOfRange = [](const QByteArray &field, const QByteArray &was, const QByteArray &now, const char *cause) {
            QTest::newRow(cause) << 7 << QByteArray(cause) << "\"" + field + "\": " + was << "\"" + field + "\": " + now;
        };
        outOfRange("temperature_2m", "6.4", "1e300", "current.temperature_2m = 1e+300");
        outOfRange("relative_humidity_2m", "81", "-50", "current.relative_humidity_2m = -50");
        outOfRange("pressure_msl", "1016.34", "700", "current.pressure_msl = 700");
        outOfRange("wind_direction_10m", "225", "-45", "current.wind_direction_10m = -45");
        outOfRange("wind_speed_10m", "14.8", "1000", "current.wind_speed_10m = 1000");
        outOfRange("weather_code", "2,", "42,", "current.weather_code = 42 (code WMO inconnu)");
        outOfRange("temperature_2m_max", "[\n   9.4", "[\n   75", "daily.temperature_2m_max = 75");
        const QByteArray hours = "[\n   5,\n   5,\n   5,\n   ";  // the fourth is the current hour
        outOfRange("precipitation_probability", hours + "5", hours + "150", "hourly.precipitation_probability = 150");
        outOfRange("precipitation", "[\n   0.0,\n   0.0,\n   0.0,\n   0.0", "[\n   0.0,\n   0.0,\n   0.0,\n   600", "hourly.precipitation = 600");
        QTest::newRow("unreachable") << 0 << QByteArray("Open-Meteo injoignable") << QByteArray() << QByteArray();
        QTest::newRow("silent") << 1 << QByteArray("Open-Meteo n'a pas répondu en entier en 0,3 s") << QByteArray() << QByteArray();
        QTest::newRow("trickling") << 8 << QByteArray("Open-Meteo n'a pas répondu en entier en 0,3 s") << QByteArray() << QByteArray();
        QTest::newRow("400 MB") << 9 << QByteArray("réponse d'Open-Meteo de plus de 2 Mio") << QByteArray() << QByteArray();
        QTest::newRow("HTTP 500") << 2 << QByteArray("Open-Meteo a répondu HTTP 500") << QByteArray() << QByteArray();
        QTest::newRow("missing field") << 3 << QByteArray("sans current") << QByteArray() << QByteArray();
        QTest::newRow("null value") << 4 << QByteArray("sans current.temperature_2m") << QByteArray() << QByteArray();
        QTest::newRow("illisible") << 5 << QByteArray("illisible") << QByteArray() << QByteArray();
        QTest::newRow("hour not in hourly") << 6 << QByteArray("hourly.pressure_msl") << QByteArray() << QByteArray();
    }

    void upstreamFailuresAre502WithTheirCause()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, cause);
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        RawServer upstream([kind, from, to](QTcpSocket *s, const QByteArray &) {
            QByteArray json = fixture("openmeteo-paris-winter-day.json");
            switch (kind) {
            case 1: return;  // accepts and never answers
            case 2: answerJson(s, "{}", "500 Internal Server Error"); return;
            case 3: json.replace("\"current\":", "\"currently\":"); break;
            case 4: json.replace("\"temperature_2m\": 6.4", "\"temperature_2m\": null"); break;
            case 5: json = "<html>maintenance</html>"; break;
            case 6: json.replace("2026-12-06T15:00", "2026-12-06T15:30"); break;
            case 7: QVERIFY(json.contains(from)); json.replace(from, to); break;
            case 8: {  // a valid head, then a byte every 50 ms
                s->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(json.size()) + "\r\n\r\n");
                auto *drip = new QTimer(s);
                QObject::connect(drip, &QTimer::timeout, s, [s] { s->write(" "); });
                drip->start(50);
                return;
            }
            case 9: {  // as much as the upstream can send
                s->write("HTTP/1.1 200 OK\r\nContent-Length: 400000000\r\n\r\n");
                auto *pump = new QTimer(s);
                QObject::connect(pump, &QTimer::timeout, s, [s] {
                    if (s->bytesToWrite() < 1024 * 1024)
                        s->write(QByteArray(256 * 1024, ' '));
                });
                pump->start(1);
                return;
            }
            }
            answerJson(s, json);
        });
        LiveService live("http://" + upstream.host());
        live.source.setTimeout(300);
        if (kind == 0)
            upstream.close();
        const HttpAnswer answer = live.get("FR75056");
        QCOMPARE(answer.status, 502);
        QVERIFY2(answer.body.contains("<error>") && answer.body.contains(cause), answer.body.constData());
        QCOMPARE(live.log.size(), 1);
        QVERIFY2(live.log[0].contains(" 502 ") && live.log[0].contains(cause), live.log[0].constData());
    }

    // A server destroyed with an upstream call under way: when the call ends, nothing of the server
    // runs (the sanitizer build reads freed memory otherwise).
    void serverGoneBeforeTheUpstreamAnswers()
    {
        RawServer upstream([](QTcpSocket *, const QByteArray &) {});  // never answers
        service::OpenMeteoSource source("http://" + upstream.host());
        source.setTimeout(200);
        auto server = std::make_unique<service::WeatherService>(source);
        server->setLog([](const QByteArray &) {});
        const quint16 port = server->listen(QHostAddress::LocalHost, 0);
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, port);
        client.write("GET /weather/local/FR75056?dayf=1 HTTP/1.1\r\nHost: x\r\n\r\n");
        QTRY_COMPARE(upstream.requests.size(), 1);
        server.reset();
        QTest::qWait(400);  // the upstream call times out and calls back
        QVERIFY(upstream.isListening());
    }

    void answersAreCachedTenMinutesPerCity()
    {
        int calls = 0;
        RawServer upstream([&calls](QTcpSocket *s, const QByteArray &) {
            ++calls;
            answerJson(s, fixture("openmeteo-paris-winter-day.json"));
        });
        LiveService live("http://" + upstream.host());
        QCOMPARE(live.get("FR75056").status, 200);
        live.now = live.now.addSecs(9 * 60);
        QCOMPARE(live.get("FR75056").status, 200);
        QCOMPARE(calls, 1);
        QCOMPARE(live.get("FR69123").status, 200);  // another city is another entry
        QCOMPARE(calls, 2);
        live.now = live.now.addSecs(2 * 60);
        QCOMPARE(live.get("FR75056").status, 200);
        QCOMPARE(calls, 3);
    }

    void concurrentRequestsShareOneUpstreamCall()
    {
        int calls = 0;
        RawServer upstream([&calls](QTcpSocket *s, const QByteArray &) {
            ++calls;
            QTimer::singleShot(300, s, [s] { answerJson(s, fixture("openmeteo-paris-winter-day.json")); });
        });
        LiveService live("http://" + upstream.host());
        std::vector<std::unique_ptr<QNetworkAccessManager>> clients;
        QList<QNetworkReply *> replies;
        for (int i = 0; i < 10; ++i) {
            clients.push_back(std::make_unique<QNetworkAccessManager>());
            replies << clients.back()->get(QNetworkRequest(QUrl::fromEncoded(live.base + "/weather/local/FR75056?dayf=9")));
        }
        QTRY_VERIFY(std::all_of(replies.begin(), replies.end(), [](QNetworkReply *r) { return r->isFinished(); }));
        for (QNetworkReply *r : replies)
            QCOMPARE(r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
        QCOMPARE(calls, 1);
        QCOMPARE(live.log.size(), 10);
    }
};

int runLiveSourceTest(int argc, char **argv)
{
    LiveSourceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_livesource.moc"
