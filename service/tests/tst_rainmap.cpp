// SPDX-License-Identifier: GPL-2.0-or-later
// The rain map: its index and frames over HTTP (the frames' instants, the grid's extent, the PNG's
// shape, what is refused), and the simulation's map against the simulation's documents at communes
// of every climate, winter and summer.
#include "common/instanttext.h"
#include "common/lambert93.h"
#include "common/raincells.h"
#include "service/http/unavailablerainmap.h"
#include "service/http/weatherservice.h"
#include "service/simulation/simulatedrainmap.h"
#include "service/simulation/simulation.h"
#include "testsupport.h"

#include <QDomDocument>
#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTest>
#include <QTimeZone>

using namespace testing;

class RainMapTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The index lists quarter hours from two hours back to six ahead, then hours to 48 h ahead, each
    // at its instant with Paris's offset (across the October change too); each frame it lists is a
    // greyscale PNG of the grid, the same bytes again; anything else is refused.
    void indexAndFramesOverHttp()
    {
        service::SimulatedSource sim;
        service::WeatherService server(sim);
        service::SimulatedRainMap map(service::CommuneTable::shipped());
        server.setRainMap(&map);
        // Saturday 24 October 2026, 22:10 in Paris: the clocks go back in the night.
        const QDateTime now(QDate(2026, 10, 24), QTime(20, 10), QTimeZone::utc());
        server.setClock([now] { return now; });
        server.setLog([](const QByteArray &) {});
        const QByteArray base = "http://127.0.0.1:" + QByteArray::number(server.listen(QHostAddress::LocalHost, 0));

        const HttpAnswer index = httpGet(base + "/carte/pluie");
        QCOMPARE(index.status, 200);
        QDomDocument doc;
        QVERIFY(doc.setContent(index.body));
        const QDomElement carte = doc.documentElement();
        const double x0 = carte.attribute(QStringLiteral("x0")).toDouble(), y0 = carte.attribute(QStringLiteral("y0")).toDouble(),
                     step = carte.attribute(QStringLiteral("pas")).toDouble();
        const int nx = carte.attribute(QStringLiteral("nx")).toInt(), ny = carte.attribute(QStringLiteral("ny")).toInt();
        QCOMPARE(carte.attribute(QStringLiteral("proj")), QStringLiteral("EPSG:2154"));
        QVERIFY(step <= 5000);
        QVERIFY(x0 - step / 2 <= 95000 && x0 + (nx - 0.5) * step >= 1245000);
        QVERIFY(y0 + step / 2 >= 7115000 && y0 - (ny - 0.5) * step <= 6040000);
        QCOMPARE(carte.attribute(QStringLiteral("maj")), QStringLiteral("2026-10-24T22:00+02:00"));
        const QDomNodeList images = carte.elementsByTagName(QStringLiteral("image"));
        QList<QDateTime> times;
        for (int i = 0; i < images.size(); ++i) {
            const QDomElement image = images.at(i).toElement();
            const std::optional<QDateTime> t = meteo::readInstantText(image.attribute(QStringLiteral("t")));
            QVERIFY(t);
            QCOMPARE(image.attribute(QStringLiteral("href")), QStringLiteral("/carte/pluie/%1").arg(t->toSecsSinceEpoch()));
            times << *t;
        }
        QCOMPARE(times.first(), QDateTime(QDate(2026, 10, 24), QTime(18, 0), QTimeZone::utc()));  // 20:00, two hours back
        QCOMPARE(times.first().offsetFromUtc(), 7200);
        QCOMPARE(times[32], QDateTime(QDate(2026, 10, 25), QTime(2, 0), QTimeZone::utc()));  // six hours ahead: 03:00 in winter time
        QCOMPARE(times[32].offsetFromUtc(), 3600);
        for (int i = 1; i < times.size(); ++i)
            QCOMPARE(times[i - 1].secsTo(times[i]), i <= 32 ? 900 : 3600);
        QVERIFY(times.last() <= now.addDays(2) && times.last() > now.addSecs(47 * 3600));

        const QByteArray href = images.at(12).toElement().attribute(QStringLiteral("href")).toLatin1();
        // While the map's first frame is made, documents are still answered.
        QNetworkAccessManager manager;
        std::unique_ptr<QNetworkReply> making(manager.get(QNetworkRequest(QUrl::fromEncoded(base + href))));
        QCOMPARE(httpGet(base + "/weather/local/FR29019?r&cc=*&unit=m&dayf=9").status, 200);
        QVERIFY(!making->isFinished());
        QTRY_VERIFY_WITH_TIMEOUT(making->isFinished(), 20000);
        const HttpAnswer frame = httpGet(base + href);
        QCOMPARE(frame.status, 200);
        QCOMPARE(frame.contentType, QByteArray("image/png"));
        const QImage image = QImage::fromData(frame.body, "PNG");
        QCOMPARE(image.size(), QSize(nx, ny));
        QCOMPARE(image.format(), QImage::Format_Grayscale8);
        QCOMPARE(httpGet(base + href).body, frame.body);
        for (const char *bad : {"/carte/pluie/1798000000", "/carte/pluie/17", "/carte/pluie/+796000000", "/carte/pluie?x=1", "/carte/pluie/"})
            QVERIFY2(httpGet(base + bad).status == (QByteArray(bad).startsWith("/carte/pluie/1798") ? 404 : 400), bad);
        // A source without a map says so in its index, and has no frame.
        service::WeatherService live(sim);
        service::UnavailableRainMap none;
        live.setRainMap(&none);
        live.setLog([](const QByteArray &) {});
        const QByteArray liveBase = "http://127.0.0.1:" + QByteArray::number(live.listen(QHostAddress::LocalHost, 0));
        const HttpAnswer unavailable = httpGet(liveBase + "/carte/pluie");
        QVERIFY2(unavailable.status == 200 && unavailable.body.contains("src=\"indisponible\"") && !unavailable.body.contains("<image"),
                 unavailable.body.constData());
        QCOMPARE(httpGet(liveBase + href).status, 404);
    }

    // At twenty towns of every climate and a dozen instants of a year, the cell that holds the town
    // says what its document says of each quarter and hour: the same fall, and an intensity in the
    // same class or the next. (A commune beside a more populated one, Biarritz beside Anglet, reads
    // its neighbour's weather: a shower's edge may lie between them.)
    void mapAgreesWithTheDocuments()
    {
        service::SimulatedRainMap map(service::CommuneTable::shipped());
        const service::MapGrid &grid = service::kFranceGrid;
        const char *const communes[] = {"FR29019", "FR29232", "FR35238", "FR44109", "FR33063", "FR64445", "FR31555",
                                        "FR66136", "FR34172", "FR13055", "FR06088", "FR2A004", "FR2B033", "FR69123",
                                        "FR38185", "FR74056", "FR67482", "FR59350", "FR75056", "FR48095"};
        QList<QDateTime> instants;
        for (const auto &[month, day, hour] : QList<std::tuple<int, int, int>>{
                 {1, 5, 9}, {1, 18, 15}, {2, 3, 6}, {2, 20, 12}, {3, 10, 10}, {4, 22, 16}, {6, 20, 14}, {7, 12, 16}, {8, 3, 15},
                 {9, 25, 12}, {10, 20, 9}, {11, 15, 12}})
            instants << QDateTime(QDate(2027, month, day), QTime(hour, 7), QTimeZone::utc());
        int wet = 0, snow = 0;
        QStringList off;
        for (const char *code : communes) {
            const service::City *city = service::findCity(code);
            QVERIFY2(city, code);
            const meteo::MapPoint p = meteo::toLambert93({city->latitude, city->longitude});
            const int column = int(std::lround((p.x - grid.x0) / grid.step)), row = int(std::lround((grid.y0 - p.y) / grid.step));
            for (const QDateTime &now : instants) {
                const service::WeatherReport r = service::simulate(*city, now);
                const auto compare = [&](const QDateTime &t, double mmPerHour, int wmo, bool quarter) {
                    const std::optional<meteo::rain::Cell> c = map.cell(column, row, t.toSecsSinceEpoch(), quarter);
                    const meteo::rain::Fall fall = service::fallOf(wmo);
                    const int said = meteo::rain::classOf(mmPerHour), shown = c ? meteo::rain::classOfLevel(c->level) : -9;
                    wet += said > 0;
                    snow += said > 0 && fall == meteo::rain::Fall::Snow;
                    if (!c || std::abs(said - shown) > 1 || (said > 0 && c->level > 0 && c->fall != fall))
                        off << QStringLiteral("%1 %2 %3: %4 mm/h (%5), the map %6 (%7)").arg(QString::fromLatin1(code), t.toString(Qt::ISODate),
                                                                                               quarter ? QStringLiteral("quarter") : QStringLiteral("hour"))
                                   .arg(mmPerHour).arg(int(fall)).arg(c ? meteo::rain::mmPerHourOf(c->level) : -1).arg(c ? int(c->fall) : -1);
                };
                // The current quarter and hour are the current conditions, not the map's quarter hour.
                for (int q = 1; q < r.rain.size(); ++q)
                    compare(r.rain[q].start, r.rain[q].precipitation * 4, r.hours[(q + r.rain[0].start.time().minute() / 15) / 4].wmo, true);
                for (int h = 1; h < r.hours.size(); ++h)
                    compare(r.hours[h].time, r.hours[h].precipitation, r.hours[h].wmo, false);
            }
        }
        QVERIFY2(off.isEmpty(), qPrintable(QString::number(off.size()) + u' ' + off.mid(0, 6).join(QStringLiteral("; "))));
        QVERIFY2(wet > 200 && snow > 0, qPrintable(QStringLiteral("%1 wet, %2 snowy").arg(wet).arg(snow)));
    }
};

static const testing::RegisterTest<RainMapTest> registeredRainMapTest;

#include "tst_rainmap.moc"
