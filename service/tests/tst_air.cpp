// SPDX-License-Identifier: GPL-2.0-or-later
// The air: the ATMO class and the pollen levels as tables (each bound on both sides, the day's mean
// against its highest hour), the air-quality reader over answers of ours, the service with a fake
// air-quality server that fails or stays silent, and a year of the simulation's air at six places.
#include "common/airkinds.h"
#include "service/document/airreport.h"
#include "service/live/openmeteo.h"
#include "service/simulation/simulation.h"
#include "service/http/weatherservice.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTest>
#include <QTimeZone>
#include <QTimer>
#include <cmath>
#include <numeric>

using namespace testing;
using meteo::Pollutant;
using meteo::Taxon;

namespace {

const QDateTime kAirNow(QDate(2027, 4, 12), QTime(10, 20), QTimeZone::utc());

// An answer as the air-quality API writes one for Strasbourg: from yesterday's midnight to the end of
// the fourth day, hour by hour, each value `value(variable, hour)`.
QByteArray airAnswer(const std::function<QJsonValue(const QString &, int)> &value, int hours = 5 * 24)
{
    const QTimeZone zone("Europe/Paris");
    const qint64 first = QDateTime(kAirNow.toTimeZone(zone).date().addDays(-1), QTime(0, 0), zone).toSecsSinceEpoch();
    QJsonObject hourly;
    QJsonArray times;
    for (int i = 0; i < hours; ++i)
        times << first + 3600 * i;
    hourly.insert(QStringLiteral("time"), times);
    for (const char *v : {"pm2_5", "pm10", "nitrogen_dioxide", "ozone", "sulphur_dioxide", "alder_pollen", "birch_pollen", "grass_pollen",
                          "mugwort_pollen", "olive_pollen", "ragweed_pollen"}) {
        QJsonArray a;
        for (int i = 0; i < hours; ++i)
            a << value(QString::fromLatin1(v), i);
        hourly.insert(QString::fromLatin1(v), a);
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("hourly"), hourly}}).toJson(QJsonDocument::Compact);
}

} // namespace

class AirTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each pollutant's bounds on both sides, and the worst sub-index deciding the class.
    void atmoClass_data()
    {
        QTest::addColumn<QList<double>>("day");  // PM2.5 and PM10 means, NO₂, O₃ and SO₂ highest hours
        QTest::addColumn<int>("atmo");
        QTest::addColumn<int>("decisive");
        QTest::newRow("all clean") << QList<double>{10, 20, 40, 50, 100} << 1 << int(Pollutant::PM25);
        QTest::newRow("PM2.5 just over 10") << QList<double>{10.1, 5, 5, 5, 5} << 2 << int(Pollutant::PM25);
        QTest::newRow("PM10 just over 50") << QList<double>{0, 50.1, 0, 0, 0} << 4 << int(Pollutant::PM10);
        QTest::newRow("ozone at 240.5") << QList<double>{12, 25, 30, 240.5, 2} << 5 << int(Pollutant::O3);
        QTest::newRow("ozone over 380") << QList<double>{12, 25, 30, 381, 2} << 6 << int(Pollutant::O3);
        QTest::newRow("SO2 at 750, then over") << QList<double>{0, 0, 0, 0, 750.01} << 6 << int(Pollutant::SO2);
    }

    void atmoClass()
    {
        QFETCH(QList<double>, day);
        const meteo::AtmoDay d = meteo::atmoClass({day[0], day[1], day[2], day[3], day[4]});
        QTEST(d.atmo, "atmo");
        QTEST(int(d.decisive), "decisive");
    }

    void pollenLevels_data()
    {
        QTest::addColumn<int>("taxon");
        QTest::addColumn<double>("grains");
        QTest::addColumn<int>("level");
        const QList<std::tuple<Taxon, double, int>> rows{
            {Taxon::Graminees, 0.9, 0}, {Taxon::Graminees, 1, 1}, {Taxon::Graminees, 4.9, 1}, {Taxon::Graminees, 5, 2},
            {Taxon::Graminees, 100, 5}, {Taxon::Bouleau, 99, 3},  {Taxon::Bouleau, 100, 4},   {Taxon::Aulne, 300, 5},
            {Taxon::Ambroisie, 22.9, 3}, {Taxon::Ambroisie, 23, 4}, {Taxon::Armoise, 11, 3},  {Taxon::Olivier, 399, 4},
            {Taxon::Olivier, 400, 5}};
        for (const auto &[taxon, grains, level] : rows)
            QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(QString::fromUtf8(meteo::taxonAttribute(taxon))).arg(grains)))
                << int(taxon) << grains << level;
    }

    void pollenLevels()
    {
        QFETCH(int, taxon);
        QFETCH(double, grains);
        QTEST(meteo::pollenLevel(Taxon(taxon), grains), "level");
    }

    // The answer read: the days' classes by the day's mean of particles and highest hour of gases,
    // the 48 hours from the one holding the clock; a word, a null, a negative value, a gap in time, a
    // missing variable, too few hours or 2 MiB refuse it, and say why.
    void readerTable_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected");  // "atmo of the four days" or "refus: words"
        const auto steady = [](const QString &v, int i) -> QJsonValue {
            if (v == QStringLiteral("pm10"))
                return i == 24 + 12 ? 200.0 : 30.0;  // one very bad hour today: the day's mean stays "moyen"
            if (v == QStringLiteral("nitrogen_dioxide"))
                return i == 48 + 8 ? 235.0 : 20.0;   // one bad hour tomorrow: its highest hour makes it "très mauvais"
            return v.endsWith(QStringLiteral("pollen")) ? 0.0 : 5.0;
        };
        QTest::newRow("good") << airAnswer(steady) << QStringLiteral("2 5 2 2");
        const auto spoilt = [&steady](const QJsonValue &bad) {
            return airAnswer([&](const QString &v, int i) { return v == QStringLiteral("ozone") && i == 40 ? bad : steady(v, i); });
        };
        QTest::newRow("a word") << spoilt(QStringLiteral("beaucoup")) << QStringLiteral("refus: ozone");
        QTest::newRow("null") << spoilt(QJsonValue()) << QStringLiteral("refus: ozone");
        QTest::newRow("negative") << spoilt(-3.0) << QStringLiteral("refus: ozone = -3");
        QTest::newRow("1e300") << spoilt(1e300) << QStringLiteral("refus: hors limites");
        QByteArray gap = airAnswer(steady);
        const QJsonObject doc = QJsonDocument::fromJson(gap).object();
        QJsonObject hourly = doc.value(QStringLiteral("hourly")).toObject();
        QJsonArray times = hourly.value(QStringLiteral("time")).toArray();
        times.replace(30, times.at(30).toDouble() + 60);
        hourly.insert(QStringLiteral("time"), times);
        QTest::newRow("a gap") << QJsonDocument(QJsonObject{{QStringLiteral("hourly"), hourly}}).toJson() << QStringLiteral("refus: ne suit pas");
        hourly.remove(QStringLiteral("ragweed_pollen"));
        QTest::newRow("a variable missing") << QJsonDocument(QJsonObject{{QStringLiteral("hourly"), hourly}}).toJson()
                                            << QStringLiteral("refus: hourly.ragweed_pollen");
        QTest::newRow("too few hours") << airAnswer(steady, 40) << QStringLiteral("refus: hourly.time");
        QTest::newRow("2 MiB") << QByteArray(2 * 1024 * 1024 + 1, ' ') << QStringLiteral("refus: 2 Mio");
        QTest::newRow("not JSON") << QByteArray("<html/>") << QStringLiteral("refus: illisible");
    }

    void readerTable()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        const service::Result<service::AirReport> air = service::parseAirQuality(json, *service::findCity("FR67482"), kAirNow);
        if (expected.startsWith(QStringLiteral("refus: "))) {
            QVERIFY(!air.ok());
            QVERIFY2(QString::fromUtf8(air.error().text).contains(expected.mid(7)), air.error().text.constData());
            return;
        }
        QVERIFY2(air.ok(), air.ok() ? "" : air.error().text.constData());
        QStringList classes;
        for (const service::AirDay &d : air.value().days)
            classes << QString::number(d.atmo.atmo);
        QCOMPARE(classes.join(u' '), expected);
        QCOMPARE(air.value().hours.size(), 48);
        QVERIFY(air.value().hours.first().time <= kAirNow && kAirNow < air.value().hours.first().time.addSecs(3600));
        QVERIFY(air.value().days.first().pollen.has_value());
    }

    // The air-quality server failing or silent costs the forecast nothing but the air's own
    // deadline: the answer is whole, without its air section, and the log says why. A forecast that
    // fails is said at once, whatever the air does; one cut short is no forecast, even when its bytes
    // happen to be whole JSON.
    void upstreamFailuresAndTheAir_data()
    {
        QTest::addColumn<int>("forecastFault");  // 0 none, 1 cut short by a reset, 2 HTTP 500, 3 cut short by a close
        QTest::addColumn<bool>("airSilent");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("logged");
        QTest::newRow("air: HTTP 500") << 0 << false << 200 << QByteArray("air omis : CAMS a répondu HTTP 500");
        QTest::newRow("air: silence") << 0 << true << 200 << QByteArray("air omis : CAMS n'a pas répondu");
        QTest::newRow("forecast cut short by a reset") << 1 << false << 502 << QByteArray("réponse d'Open-Meteo interrompue");
        QTest::newRow("forecast cut short by a close") << 3 << false << 502 << QByteArray("réponse d'Open-Meteo interrompue");
        QTest::newRow("forecast refused, air silent") << 2 << true << 502 << QByteArray("Open-Meteo a répondu HTTP 500");
    }

    void upstreamFailuresAndTheAir()
    {
        QFETCH(int, forecastFault);
        QFETCH(bool, airSilent);
        QFETCH(int, status);
        QFETCH(QByteArray, logged);
        const QByteArray forecast = readFile(QStringLiteral(METEO_SAMPLES_DIR "/openmeteo-paris-winter-day.json"));
        RawServer upstream([&](QTcpSocket *s, const QByteArray &request) {
            const bool air = request.contains("/v1/air-quality");
            if (air && airSilent)
                return;
            const QByteArray body = air ? QByteArray("{\"error\":true}") : forecast;
            const bool refused = air || forecastFault == 2;
            s->write("HTTP/1.1 " + QByteArray(refused ? "500 Internal Server Error" : "200 OK") + "\r\nContent-Length: "
                     + QByteArray::number(body.size() + (!air && forecastFault % 2 == 1 ? 100 : 0)) + "\r\n\r\n" + body);
            if (!air && forecastFault % 2 == 1) {
                s->flush();
                QTimer::singleShot(50, s, [s, forecastFault] { forecastFault == 1 ? s->abort() : s->disconnectFromHost(); });
            }
        });
        service::OpenMeteoSource source("http://" + upstream.host());
        // A silent air with a long deadline: a forecast's failure that waited for it would not come in time.
        source.setAirTimeout(forecastFault == 2 ? 60000 : 300);
        service::WeatherService server(source);
        const qint64 observed = qint64(QJsonDocument::fromJson(forecast).object().value(QStringLiteral("current")).toObject()
                                           .value(QStringLiteral("time")).toDouble());
        server.setClock([observed] { return QDateTime::fromSecsSinceEpoch(observed, QTimeZone::utc()); });
        QList<QByteArray> log;
        server.setLog([&log](const QByteArray &line) { log << line; });
        const QByteArray base = "http://127.0.0.1:" + QByteArray::number(server.listen(QHostAddress::LocalHost, 0));
        const HttpAnswer answer = httpGet(base + "/weather/local/FR75056?dayf=9");
        QCOMPARE(answer.status, status);
        if (status == 200)
            QVERIFY(answer.body.contains("<dayf>") && answer.body.contains("<hours>") && !answer.body.contains("<air"));
        QVERIFY2(log.size() == 1 && log[0].contains(logged), log.join('\n').constData());
        // Qt asks a GET whose connection broke once more; nothing else is asked twice.
        QVERIFY(upstream.requests.size() == 2 || (forecastFault % 2 == 1 && upstream.requests.size() == 3));
    }

    // A year of the simulation's air, every third day at 15 h: each pollen in its season and region,
    // ozone on hot southern afternoons, particles in the Arve valley's winter, Saharan dust and no
    // pollen in the Antilles; classes and levels within their scales.
    void aYearOfSimulatedAir()
    {
        struct Seen {
            int maxLevel[meteo::kTaxa] = {};
            int maxLevelMonth[meteo::kTaxa] = {};
            double o3Summer = 0, o3Winter = 0, pm10Winter = 0, pm10Summer = 0;
            bool pollen = false;
        };
        QHash<QByteArray, Seen> seen;
        for (const char *code : {"FR67482", "FR13055", "FR69123", "FR84007", "FR74056", "FR97120"}) {
            const service::City *city = service::findCity(code);
            const QTimeZone zone(city->timeZone());
            Seen &s = seen[code];
            for (QDate d(2027, 1, 1); d.year() == 2027; d = d.addDays(3)) {
                const service::WeatherReport r = service::simulate(*city, QDateTime(d, QTime(15, 0), zone).toUTC());
                QVERIFY2(r.air && r.air->days.size() == 4 && r.air->hours.size() == 48, code);
                for (const service::AirDay &day : r.air->days) {
                    QVERIFY(day.atmo.atmo >= 1 && day.atmo.atmo <= 6);
                    s.pollen = s.pollen || day.pollen;
                    for (int t = 0; day.pollen && t < meteo::kTaxa; ++t)
                        if ((*day.pollen)[t] > s.maxLevel[t]) {
                            s.maxLevel[t] = (*day.pollen)[t];
                            s.maxLevelMonth[t] = day.date.month();
                        }
                }
                const bool summer = d.month() >= 6 && d.month() <= 8, winter = d.month() == 12 || d.month() <= 2;
                for (const service::AirHour &h : r.air->hours) {
                    const double o3 = h.pollutants[int(Pollutant::O3)], pm10 = h.pollutants[int(Pollutant::PM10)];
                    if (summer)
                        s.o3Summer = std::max(s.o3Summer, o3);
                    if (winter)
                        s.o3Winter = std::max(s.o3Winter, o3);
                    if (winter)
                        s.pm10Winter = std::max(s.pm10Winter, pm10);
                    if (summer)
                        s.pm10Summer = std::max(s.pm10Summer, pm10);
                }
            }
        }
        const Seen &strasbourg = seen["FR67482"], &marseille = seen["FR13055"], &lyon = seen["FR69123"], &avignon = seen["FR84007"],
                   &chamonix = seen["FR74056"], &pointe = seen["FR97120"];
        QVERIFY(strasbourg.maxLevel[int(Taxon::Bouleau)] >= 4 && strasbourg.maxLevelMonth[int(Taxon::Bouleau)] >= 3
                && strasbourg.maxLevelMonth[int(Taxon::Bouleau)] <= 5);
        QVERIFY(marseille.maxLevel[int(Taxon::Bouleau)] <= 2);  // scarce on the Mediterranean rim
        QVERIFY2(marseille.maxLevel[int(Taxon::Olivier)] >= 3 && strasbourg.maxLevel[int(Taxon::Olivier)] == 0,
                 qPrintable(QStringLiteral("%1 %2").arg(marseille.maxLevel[int(Taxon::Olivier)]).arg(strasbourg.maxLevel[int(Taxon::Olivier)])));
        QVERIFY(lyon.maxLevel[int(Taxon::Ambroisie)] >= 4 && strasbourg.maxLevel[int(Taxon::Ambroisie)] <= 2);
        QVERIFY(lyon.maxLevelMonth[int(Taxon::Ambroisie)] >= 8 && lyon.maxLevelMonth[int(Taxon::Ambroisie)] <= 9);
        QVERIFY(strasbourg.maxLevel[int(Taxon::Graminees)] >= 3 && strasbourg.maxLevelMonth[int(Taxon::Aulne)] <= 3);
        QVERIFY2(avignon.o3Summer >= 120 && avignon.o3Winter < 90, qPrintable(QStringLiteral("%1 %2").arg(avignon.o3Summer).arg(avignon.o3Winter)));
        QVERIFY2(chamonix.pm10Winter > 50 && chamonix.pm10Winter > 2 * chamonix.pm10Summer, qPrintable(QString::number(chamonix.pm10Winter)));
        QVERIFY(!pointe.pollen && pointe.pm10Summer > 50);
    }

};

static const testing::RegisterTest<AirTest> registeredAirTest;

#include "tst_air.moc"
