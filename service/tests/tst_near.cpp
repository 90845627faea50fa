// SPDX-License-Identifier: GPL-2.0-or-later
// The communes nearest a point: the index against a scan of the whole table, the answer over HTTP
// for places of every kind (a city's centre, an arrondissement, overseas, the sea) and for hostile
// coordinates.
#include "service/communes/communes.h"
#include "service/communes/nearindex.h"
#include "service/simulation/simulation.h"
#include "service/http/weatherservice.h"
#include "testsupport.h"

#include <QRandomGenerator>
#include <QTest>

using namespace testing;

namespace {

// The same answer as the index's, by reading every commune.
QList<service::NearCommune> scanned(const QList<service::City> &all, double lat, double lon)
{
    QHash<QByteArray, service::NearCommune> best;
    for (const service::City &c : all) {
        if (!c.ownPlace)
            continue;
        const double km = service::kmBetween(lat, lon, c.latitude, c.longitude);
        const QByteArray commune = service::communeOf(c.code);
        if (km <= 30 && (!best.contains(commune) || km < best[commune].km))
            best[commune] = {service::findCity(commune), &c, km};
    }
    QList<service::NearCommune> out = best.values();
    std::sort(out.begin(), out.end(), [](const auto &a, const auto &b) { return a.km != b.km ? a.km < b.km : a.commune->code < b.commune->code; });
    return out.mid(0, 5);
}

QStringList codes(const QList<service::NearCommune> &list)
{
    QStringList out;
    for (const service::NearCommune &n : list)
        out << QString::fromLatin1(n.commune->code) + QStringLiteral("@%1").arg(n.km, 0, 'f', 6);
    return out;
}

} // namespace

class NearTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every seat finds its own commune first (an arrondissement, its commune), and points drawn at
    // random over the metropolis, Corsica and the overseas territories get what a scan of the whole
    // table gives, in the same order.
    void indexAgreesWithAScan()
    {
        const service::CommuneTable &table = service::CommuneTable::shipped();
        QList<service::City> all;
        int indexed = 0;
        for (const char *prefix : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"})
            for (const service::City *c : table.search(QString::fromLatin1(prefix), 100000))
                all << *c;
        QVERIFY(all.size() > 30000);
        for (const service::City &c : all) {
            if (!c.ownPlace)
                continue;
            ++indexed;
            const QList<service::NearCommune> near = table.nearest(c.latitude, c.longitude);
            QVERIFY2(!near.isEmpty() && near.first().km == 0, c.code.constData());
            const bool found = std::any_of(near.begin(), near.end(), [&](const service::NearCommune &n) {
                return n.km == 0 && n.commune->code == service::communeOf(c.code);
            });
            QVERIFY2(found, c.code.constData());
        }
        QVERIFY(indexed > 14000);
        QRandomGenerator random(20261208);
        const struct { double lat0, lat1, lon0, lon1; } areas[] = {
            {42.3, 51.1, -4.8, 8.2}, {41.3, 43.1, 8.5, 9.6}, {-21.4, -20.8, 55.2, 55.9}, {15.8, 16.6, -61.9, -61.0}, {-9.5, -8.7, -140.3, -139.5}};
        for (const auto &a : areas)
            for (int i = 0; i < 150; ++i) {
                const double lat = a.lat0 + random.generateDouble() * (a.lat1 - a.lat0), lon = a.lon0 + random.generateDouble() * (a.lon1 - a.lon0);
                QCOMPARE(codes(table.nearest(lat, lon)), codes(scanned(all, lat, lon)));
            }
    }

    // The answer over HTTP: nearest first with its distance, a city's arrondissement as the city, the
    // overseas where they are, nothing at sea; a position that is not one is refused, and never logged.
    void nearOverHttp_data()
    {
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("first");  // the first commune's code, empty for none
        QTest::newRow("Quimper") << QByteArray("lat=47.9960&lon=-4.1020") << 200 << QByteArray("code=\"FR29232\" cp=\"29000\" km=\"0.3\">Quimper (29)<");
        QTest::newRow("central Lyon") << QByteArray("lat=45.7600&lon=4.8357") << 200 << QByteArray("code=\"FR69123\"");
        QTest::newRow("the Vieux-Port") << QByteArray("lat=43.2951&lon=5.3740") << 200 << QByteArray("code=\"FR13055\"");
        QTest::newRow("Saint-Denis de La Réunion") << QByteArray("lat=-20.8823&lon=55.4504") << 200 << QByteArray("code=\"FR97411\"");
        QTest::newRow("Pointe-à-Pitre") << QByteArray("lat=16.2411&lon=-61.5331") << 200 << QByteArray("code=\"FR97120\"");
        QTest::newRow("Taiohae") << QByteArray("lat=-8.9111&lon=-140.0994") << 200 << QByteArray("code=\"FR98731\"");
        QTest::newRow("at sea") << QByteArray("lat=46.5&lon=-5.5") << 200 << QByteArray();
        QTest::newRow("the pole") << QByteArray("lat=90&lon=-180") << 200 << QByteArray();
        for (const char *bad : {"lat=48", "lon=2", "", "lat=48&lat=48&lon=2", "lat=48.1&lat&lon=2", "lat=48&lon=2&lon=3", "lat=1e1&lon=2", "lat=+48&lon=2",
                                "lat=48,5&lon=2", "lat=nan&lon=2", "lat=inf&lon=2", "lat=48.&lon=2", "lat=.5&lon=2", "lat=0x10&lon=2",
                                "lat=91&lon=0", "lat=0&lon=-180.5", "lat=%2048&lon=2", "lat=-&lon=2", "lat=48.1234567890123&lon=2"})
            QTest::newRow(bad) << QByteArray(bad) << 400 << QByteArray();
    }

    void nearOverHttp()
    {
        QFETCH(QByteArray, query);
        QFETCH(int, status);
        QFETCH(QByteArray, first);
        service::SimulatedSource sim;
        service::WeatherService server(sim);
        QList<QByteArray> log;
        server.setLog([&log](const QByteArray &line) { log << line; });
        const QByteArray base = "http://127.0.0.1:" + QByteArray::number(server.listen(QHostAddress::LocalHost, 0));
        const HttpAnswer answer = httpGet(base + "/communes/near?" + query);
        QCOMPARE(answer.status, status);
        if (status == 200) {
            QVERIFY(answer.body.count("<commune ") <= 5);
            QCOMPARE(answer.body.indexOf("<commune ") > 0, !first.isEmpty());
            QVERIFY2(answer.body.indexOf(first) == answer.body.indexOf("<commune ") + 9 || first.isEmpty(), answer.body.constData());
        }
        // Nor is it logged from a path misspelt, or one the URL parser reads apart ("communes" a host).
        if (query.startsWith("lat=47")) {
            httpGet(base + "/communes/near/?" + query);
            httpGet(base + "//communes/near?" + query);
        }
        QCOMPARE(log.size(), query.startsWith("lat=47") ? 3 : 1);
        QVERIFY2(log[0].contains("\"GET /communes/near") && log[0].contains("\" " + QByteArray::number(status)), log[0].constData());
        for (const QByteArray &line : log)
            QVERIFY2(!line.contains("lat=") && !line.contains("lon=") && !(query.mid(4, 5).contains('.') && line.contains(query.mid(4, 5))),
                     line.constData());
    }
};

static const testing::RegisterTest<NearTest> registeredNearTest;

#include "tst_near.moc"
