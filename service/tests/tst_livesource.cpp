// SPDX-License-Identifier: GPL-2.0-or-later
// The live source: Open-Meteo answers (our own fixtures, served by a fake upstream on 127.0.0.1)
// become documents the viewer reads; every upstream failure is a 502 with its cause; answers are
// cached and shared.
#include "common/instanttext.h"
#include "service/live/openmeteo.h"
#include "service/http/weatherservice.h"
#include "testsupport.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QDomDocument>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
        source.setAirTimeout(300);  // a fake upstream that is silent would hold every answer for the air's deadline
        server.setClock([this] { return now; });
        server.setLog([this](const QByteArray &line) { log << line; });
        base = "http://127.0.0.1:" + QByteArray::number(server.listen(QHostAddress::LocalHost, 0));
    }
    HttpAnswer get(const char *code) { return httpGet(base + "/weather/local/" + code + "?r&cc=*&unit=m&dayf=9"); }
};

// The instant the fixture's current conditions were observed: the clock of a test that serves it.
QDateTime observedIn(const QByteArray &json)
{
    const qint64 t = qint64(QJsonDocument::fromJson(json).object().value(QStringLiteral("current")).toObject()
                               .value(QStringLiteral("time")).toDouble());
    return QDateTime::fromSecsSinceEpoch(t, QTimeZone::utc());
}

double temperatureAt(qint64 t)  // a value that says which instant it belongs to
{
    return double((t / 3600) % 50) - 20;
}

// An answer written the way Open-Meteo writes one for our query at `now` (timezone=`zone`,
// timeformat=unixtime, past_hours=3): its days cut at midnights reckoned with the one offset valid now, every
// time in Unix seconds, the sun at 07:30 and 17:30 local on each date, hourly temperatures that
// tell their own instant.
QJsonObject generatedAnswer(const QDateTime &now, const QByteArray &zoneId)
{
    const QTimeZone zone(zoneId);
    const qint64 offset = zone.offsetFromUtc(now), n = now.toSecsSinceEpoch();
    const qint64 midnight = (n + offset) / 86400 * 86400 - offset;
    const QDate today = QDateTime::fromSecsSinceEpoch(n + offset, QTimeZone::utc()).date();
    QJsonArray hours, temps, constants[9], days, codes, highs, lows, rises, sets, quarters, rain;
    // past_hours=3: the hours from three before the current one to the end of the ninth day.
    const qint64 firstHour = n / 3600 * 3600 - 3 * 3600;
    for (qint64 t = firstHour; t < midnight + 9 * 86400; t += 3600) {
        hours << t;
        temps << temperatureAt(t);
        const double values[] = {1015, 20000, 1, temperatureAt(t) - 2, 10, 0.0, 2, 12, 20};
        for (int k = 0; k < 9; ++k)
            constants[k] << values[k];
    }
    for (int d = 0; d < 9; ++d) {
        const QDate date = today.addDays(d);
        days << midnight + 86400 * d;
        codes << 2;
        highs << 10;
        lows << 2;
        rises << QDateTime(date, QTime(7, 30), zone).toSecsSinceEpoch();
        sets << QDateTime(date, QTime(17, 30), zone).toSecsSinceEpoch();
    }
    const qint64 quarter0 = n / 900 * 900 - 2 * 900;
    for (int q = 0; q < 12; ++q) {
        quarters << quarter0 + 900 * q;
        rain << 0.1;
    }
    const char *names[] = {"pressure_msl", "visibility", "uv_index", "apparent_temperature", "precipitation_probability",
                           "precipitation", "weather_code", "wind_speed_10m", "wind_gusts_10m"};
    QJsonObject hourly{{QStringLiteral("time"), hours}, {QStringLiteral("temperature_2m"), temps},
                       {QStringLiteral("wind_direction_10m"), constants[8]}};
    for (int k = 0; k < 9; ++k)
        hourly.insert(QString::fromLatin1(names[k]), constants[k]);
    return QJsonObject{
        {QStringLiteral("utc_offset_seconds"), offset},
        {QStringLiteral("timezone"), QString::fromUtf8(zoneId)},
        {QStringLiteral("current"),
         QJsonObject{{QStringLiteral("time"), n / 900 * 900}, {QStringLiteral("temperature_2m"), 6.4},
                     {QStringLiteral("apparent_temperature"), 4.0}, {QStringLiteral("relative_humidity_2m"), 80},
                     {QStringLiteral("is_day"), 1}, {QStringLiteral("weather_code"), 2}, {QStringLiteral("pressure_msl"), 1015},
                     {QStringLiteral("wind_speed_10m"), 12}, {QStringLiteral("wind_direction_10m"), 200},
                     {QStringLiteral("wind_gusts_10m"), 25}}},
        {QStringLiteral("hourly"), hourly},
        {QStringLiteral("daily"),
         QJsonObject{{QStringLiteral("time"), days}, {QStringLiteral("weather_code"), codes},
                     {QStringLiteral("temperature_2m_max"), highs}, {QStringLiteral("temperature_2m_min"), lows},
                     {QStringLiteral("sunrise"), rises}, {QStringLiteral("sunset"), sets}}},
        {QStringLiteral("minutely_15"), QJsonObject{{QStringLiteral("time"), quarters}, {QStringLiteral("precipitation"), rain}}}};
}

QByteArray json(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

// `o` with `group`.`name`[index] set to `value`, or the whole member when index is -1.
QJsonObject with(QJsonObject o, const char *group, const char *name, int index, const QJsonValue &value)
{
    QJsonObject g = o.value(QLatin1StringView(group)).toObject();
    if (index < 0) {
        g.insert(QLatin1StringView(name), value);
    } else {
        QJsonArray a = g.value(QLatin1StringView(name)).toArray();
        a.replace(index, value);
        g.insert(QLatin1StringView(name), a);
    }
    o.insert(QLatin1StringView(group), g);
    return o;
}

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
        live.now = observedIn(readFile(samples + QStringLiteral(".json")));
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
        QTest::newRow("unreachable") << 0 << QByteArray("Open-Meteo injoignable : connexion refusée") << QByteArray() << QByteArray();
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
            case 6: json.replace("1796565600,", "1796567400,"); break;  // the observation's hour, moved by half
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
        // The size limit must come before the deadline, however slow the build (the sanitizers'): the
        // endless answer is given time enough to pass 2 MiB.
        live.source.setTimeout(kind == 9 ? 5000 : 300);
        if (kind == 0)
            upstream.close();
        const HttpAnswer answer = live.get("FR75056");
        QCOMPARE(answer.status, 502);
        QVERIFY2(answer.body.contains("<error>") && answer.body.contains(cause), answer.body.constData());
        QCOMPARE(live.log.size(), 1);
        QVERIFY2(live.log[0].contains(" 502 ") && live.log[0].contains(cause), live.log[0].constData());
    }

    // Open-Meteo writes every time of its answer with the offset valid when it answers; read as
    // instants, the hours across the October and March changes are each 3,600 s after the one
    // before and carry the value of their own instant, the first holds the clock, and the sunrise of
    // the day after the change is at its own local hour.
    void hoursAcrossClockChangesKeepTheirInstant_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<QByteArray>("zone");
        const auto utc = [](int y, int mo, int d, int h, int mi) { return QDateTime(QDate(y, mo, d), QTime(h, mi), QTimeZone::utc()); };
        QTest::newRow("Paris, October") << utc(2026, 10, 24, 22, 40) << QByteArray("FR75056") << QByteArray("Europe/Paris");
        QTest::newRow("Paris, October, second 02:10") << utc(2026, 10, 25, 1, 10) << QByteArray("FR75056") << QByteArray("Europe/Paris");
        QTest::newRow("Paris, March") << utc(2027, 3, 27, 23, 5) << QByteArray("FR75056") << QByteArray("Europe/Paris");
        QTest::newRow("Nuku-Hiva") << utc(2026, 12, 7, 10, 5) << QByteArray("FR98731") << QByteArray("Pacific/Marquesas");
    }

    void hoursAcrossClockChangesKeepTheirInstant()
    {
        QFETCH(QDateTime, now);
        QFETCH(QByteArray, code);
        QFETCH(QByteArray, zone);
        QByteArray asked;
        RawServer upstream([&](QTcpSocket *s, const QByteArray &request) {
            asked = request.left(request.indexOf("\r\n"));
            answerJson(s, json(generatedAnswer(now, zone)));
        });
        LiveService live("http://" + upstream.host());
        live.now = now;
        const HttpAnswer answer = live.get(code.constData());
        QVERIFY2(answer.status == 200, answer.body.constData());
        QVERIFY2(asked.contains("timeformat=unixtime"), asked.constData());
        QDomDocument doc;
        QVERIFY(doc.setContent(answer.body));
        const QDomNodeList hours = doc.elementsByTagName(QStringLiteral("hour"));
        QCOMPARE(hours.size(), 48);
        std::optional<QDateTime> last;
        for (int i = 0; i < hours.size(); ++i) {
            const QDomElement h = hours.at(i).toElement();
            const std::optional<QDateTime> t = meteo::readInstantText(h.attribute(QStringLiteral("t")));
            QVERIFY(t);
            QVERIFY(i > 0 ? last->secsTo(*t) == 3600 : *t <= now && now < t->addSecs(3600));
            QCOMPARE(h.firstChildElement(QStringLiteral("tmp")).text().toInt(), int(temperatureAt(t->toSecsSinceEpoch())));
            last = t;
        }
        const QDomNodeList quarters = doc.elementsByTagName(QStringLiteral("q"));
        QCOMPARE(quarters.size(), 8);
        const QDateTime q0 = *meteo::readInstantText(quarters.at(0).toElement().attribute(QStringLiteral("t")));
        QVERIFY(q0 <= now && now < q0.addSecs(900));
        const QDomNodeList days = doc.elementsByTagName(QStringLiteral("day"));
        QCOMPARE(days.size(), 9);
        for (int d = 0; d < days.size(); ++d) {
            QCOMPARE(days.at(d).firstChildElement(QStringLiteral("sunr")).text(), QStringLiteral("7:30 AM"));
            QCOMPARE(days.at(d).firstChildElement(QStringLiteral("suns")).text(), QStringLiteral("5:30 PM"));
        }
        const QDate today = now.toTimeZone(QTimeZone(zone)).date();
        QCOMPARE(days.at(1).toElement().attribute(QStringLiteral("dt")), QLocale::c().toString(today.addDays(1), QStringLiteral("MMM d")));
    }

    // The hours and the quarters are extras: a fault in them leaves that section out, said in the
    // log line, and the answer still serves the main and nine-day windows. Faults in the current
    // conditions or the days, or data too old or from the future, stay a 502.
    void upstreamSeriesAreChecked_data()
    {
        QTest::addColumn<QJsonObject>("answer");
        QTest::addColumn<int>("clockShift");  // seconds added to the service's clock
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("cause");
        const QDateTime now(QDate(2026, 10, 24), QTime(22, 40), QTimeZone::utc());
        const QJsonObject a = generatedAnswer(now, "Europe/Paris");
        const QJsonArray hourTimes = a.value(QStringLiteral("hourly")).toObject().value(QStringLiteral("time")).toArray();
        const QJsonArray dayTimes = a.value(QStringLiteral("daily")).toObject().value(QStringLiteral("time")).toArray();
        const QJsonArray quarterTimes = a.value(QStringLiteral("minutely_15")).toObject().value(QStringLiteral("time")).toArray();
        QJsonObject withoutQuarters = a;
        withoutQuarters.remove(QStringLiteral("minutely_15"));
        QTest::newRow("one null among the hours") << with(a, "hourly", "temperature_2m", 30, QJsonValue()) << 0 << 200 << QByteArray("heures omises");
        QTest::newRow("hours reversed") << with(with(a, "hourly", "time", 30, hourTimes[31]), "hourly", "time", 31, hourTimes[30]) << 0 << 200 << QByteArray("heures omises");
        QTest::newRow("hours with a gap") << with(a, "hourly", "time", 40, hourTimes[40].toDouble() + 3600) << 0 << 200 << QByteArray("heures omises");
        QTest::newRow("an hour beyond any instant") << with(a, "hourly", "time", 10, 1.8e33) << 0 << 200 << QByteArray("heures omises");  // fuzz finding
        QTest::newRow("hours too few") << with(a, "hourly", "time", -1, QJsonArray::fromVariantList(hourTimes.toVariantList().mid(0, 30))) << 0 << 200 << QByteArray("heures omises");
        QTest::newRow("chance 150") << with(a, "hourly", "precipitation_probability", 30, 150) << 0 << 200 << QByteArray("heures omises : valeur d'Open-Meteo hors limites : hourly.precipitation_probability = 150");
        QTest::newRow("precipitation 600") << with(a, "hourly", "precipitation", 30, 600) << 0 << 200 << QByteArray("hourly.precipitation = 600");
        QTest::newRow("no minutely_15") << withoutQuarters << 0 << 200 << QByteArray("pluie omise");
        QTest::newRow("quarters with a gap") << with(a, "minutely_15", "time", 4, quarterTimes[4].toDouble() + 60) << 0 << 200 << QByteArray("pluie omise");
        QTest::newRow("quarter unreadable") << with(a, "minutely_15", "precipitation", 3, QStringLiteral("beaucoup")) << 0 << 200 << QByteArray("pluie omise");
        QTest::newRow("data two days old") << a << 2 * 86400 << 502 << QByteArray("Open-Meteo : données périmées");
        QTest::newRow("data from the future") << a << -4 * 3600 << 502 << QByteArray("Open-Meteo : données datées du futur");
        QTest::newRow("days with a gap") << with(a, "daily", "time", 3, dayTimes[4]) << 0 << 502 << QByteArray("ne suit pas le jour précédent");
        QTest::newRow("days reversed") << with(with(a, "daily", "time", 1, dayTimes[2]), "daily", "time", 2, dayTimes[1]) << 0 << 502 << QByteArray("ne suit pas le jour précédent");
        QTest::newRow("current time as text") << with(a, "current", "time", -1, QStringLiteral("2026-10-25T00:30")) << 0 << 502 << QByteArray("sans current.time");
    }

    void upstreamSeriesAreChecked()
    {
        QFETCH(QJsonObject, answer);
        QFETCH(int, clockShift);
        QFETCH(int, status);
        QFETCH(QByteArray, cause);
        RawServer upstream([&](QTcpSocket *s, const QByteArray &) { answerJson(s, json(answer)); });
        LiveService live("http://" + upstream.host());
        live.now = QDateTime(QDate(2026, 10, 24), QTime(22, 40), QTimeZone::utc()).addSecs(clockShift);
        const HttpAnswer got = live.get("FR75056");
        QVERIFY2(got.status == status, got.body.constData());
        QCOMPARE(live.log.size(), 1);
        QVERIFY2(live.log[0].contains(cause), live.log[0].constData());
        if (status == 502)
            return;
        QVERIFY2(got.body.contains("<cc>") && got.body.contains("<dayf>"), got.body.constData());
        const bool hoursOut = cause.startsWith("heures") || cause.startsWith("hourly");
        QCOMPARE(got.body.contains("<hours>"), !hoursOut);
        QCOMPARE(got.body.contains("<rain>"), hoursOut);
    }

    // Two requests pipelined on one connection, the first one slower at the source: the answers
    // leave in the order of the requests.
    void pipelinedAnswersKeepTheirOrder()
    {
        const QDateTime now(QDate(2026, 12, 7), QTime(9, 0), QTimeZone::utc());
        const QByteArray paris = "latitude=" + QByteArray::number(service::findCity("FR75056")->latitude, 'f', 4);
        RawServer upstream([&](QTcpSocket *s, const QByteArray &request) {
            const QByteArray body = json(generatedAnswer(now, "Europe/Paris"));
            if (request.contains(paris))
                QTimer::singleShot(400, s, [s, body] { answerJson(s, body); });
            else
                answerJson(s, body);
        });
        LiveService live("http://" + upstream.host());
        live.now = now;
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, QUrl(QString::fromLatin1(live.base)).port());
        QVERIFY(client.waitForConnected(5000));
        client.write("GET /weather/local/FR75056?dayf=2 HTTP/1.1\r\nHost: x\r\n\r\n"
                     "GET /weather/local/FR69123?dayf=2 HTTP/1.1\r\nHost: x\r\n\r\n");
        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT((received += client.readAll()).count("</weather>") == 2, 5000);
        QCOMPARE(received.count("HTTP/1.1 200"), 2);
        QVERIFY2(received.indexOf("id=\"FR75056\"") < received.indexOf("id=\"FR69123\""), received.constData());
    }

    // What the source keeps: each city's answer for ten minutes, for at most as many cities as it is
    // told, the one least recently asked for going first.
    void answersAreKeptTenMinutesForTheCitiesLastAsked()
    {
        QDateTime now(QDate(2026, 12, 7), QTime(9, 0), QTimeZone::utc());
        QList<QByteArray> asked;  // the latitude of each upstream call
        RawServer upstream([&](QTcpSocket *s, const QByteArray &request) {
            if (request.contains("/v1/forecast"))  // the air asked beside it is no forecast call
                asked << request.mid(request.indexOf("latitude="), 16);
            answerJson(s, json(generatedAnswer(now, "Europe/Paris")));
        });
        service::OpenMeteoSource source("http://" + upstream.host());
        source.setMaxCities(2);
        // Paris kept nine minutes; Lyon, least recently asked for, goes for Brest and is asked again;
        // Paris past ten minutes is asked again.
        for (const auto &[code, minutes] : QList<std::pair<const char *, int>>{
                 {"FR75056", 0}, {"FR75056", 9}, {"FR69123", 0}, {"FR75056", 0}, {"FR29019", 0}, {"FR75056", 0}, {"FR69123", 0}, {"FR75056", 2}}) {
            now = now.addSecs(60 * minutes);
            bool served = false;
            source.fetch(*service::findCity(code), now, [&served](service::SourceResult r) { served = r.ok(); });
            QTRY_VERIFY(served);
        }
        QCOMPARE(asked.size(), 5);
        QVERIFY(asked[0] == asked[4] && asked[1] == asked[3] && asked[2] != asked[0] && asked[2] != asked[1]);
    }

    // A server destroyed with an upstream call under way: when the call ends, nothing of the server
    // runs (the sanitizer build reads freed memory otherwise).
    void serverGoneBeforeTheUpstreamAnswers()
    {
        bool abandoned = false;
        RawServer upstream([&abandoned](QTcpSocket *s, const QByteArray &) {  // never answers
            QObject::connect(s, &QTcpSocket::disconnected, [&abandoned] { abandoned = true; });
        });
        service::OpenMeteoSource source("http://" + upstream.host());
        source.setTimeout(200);
        auto server = std::make_unique<service::WeatherService>(source);
        server->setLog([](const QByteArray &) {});
        const quint16 port = server->listen(QHostAddress::LocalHost, 0);
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, port);
        client.write("GET /weather/local/FR75056?dayf=1 HTTP/1.1\r\nHost: x\r\n\r\n");
        QTRY_COMPARE(upstream.requests.size(), 2);  // the forecast and the air
        server.reset();
        QTRY_VERIFY(abandoned);  // the upstream call timed out and called back
        QCoreApplication::processEvents();
        QVERIFY(upstream.isListening());
    }

    void concurrentRequestsShareOneUpstreamCall()
    {
        int calls = 0;
        RawServer upstream([&calls](QTcpSocket *s, const QByteArray &request) {
            calls += request.contains("/v1/forecast");
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

static const testing::RegisterTest<LiveSourceTest> registeredLiveSourceTest;

#include "tst_livesource.moc"
