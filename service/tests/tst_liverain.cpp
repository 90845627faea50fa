// SPDX-License-Identifier: GPL-2.0-or-later
// The live rain map: Météo-France's radar mosaic (ODIM HDF5) and AROME-PI runs (GRIB2), made here with
// libhdf5 and ecCodes, read onto the map (rain at the known place, no data where the file says so or
// its quality is bad), refused when they are not the product; and the map over a fake portal: one
// request per publication whatever the viewers ask, observed and forecast frames, a gap for a
// refused image, the key in its header alone.
#include "common/lambert93.h"
#include "common/raincells.h"
#include "service/http/weatherservice.h"
#include "service/live/liverainmap.h"
#include "service/simulation/simulation.h"
#include "sourcefiles.h"
#include "testsupport.h"
#include "weather/rainmap.h"

#include <QImage>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace testing;

namespace {

struct Place {
    double latitude, longitude;
};
constexpr Place kParis{48.857, 2.352}, kLyon{45.764, 4.836}, kBordeaux{44.838, -0.579}, kBrest{48.390, -4.486};

QDateTime utc(int hour, int minute)
{
    return {QDate(2026, 12, 10), QTime(hour, minute), QTimeZone::utc()};
}

size_t cellOf(Place p)
{
    const meteo::MapPoint m = meteo::toLambert93({p.latitude, p.longitude});
    const auto &g = service::kFranceGrid;
    return size_t(std::lround((g.y0 - m.y) / g.step)) * size_t(g.columns) + size_t(std::lround((m.x - g.x0) / g.step));
}

// The products the files made here promise: smaller than Météo-France's, as MosaicPlan and RunPlan make them.
service::RadarProduct smallRadar()
{
    return {.xsize = 480, .ysize = 480, .scale = 2500};
}

service::PiProduct smallPi()
{
    return {.ni = 721, .nj = 481, .firstLatitude = 52, .firstLongitude = -6, .increment = 0.025};
}

// 2.5 mm in five minutes (30 mm/h) within 30 km of Paris, no data around Lyon, bad quality around
// Bordeaux, nothing detected elsewhere.
MosaicPlan showers(const QDateTime &end, std::uint16_t raw = 250)
{
    MosaicPlan plan;
    plan.end = end;
    const auto near = [plan](Place p) {
        const auto [px, py] = odimPoint(plan, p.latitude, p.longitude);
        return [px, py](double x, double y) { return std::hypot(x - px, y - py) < 30000; };
    };
    plan.rain = [paris = near(kParis), lyon = near(kLyon), raw](double x, double y) {
        return paris(x, y) ? raw : lyon(x, y) ? std::uint16_t(65535) : std::uint16_t(0);
    };
    plan.quality = [bordeaux = near(kBordeaux)](double x, double y) { return std::uint16_t(bordeaux(x, y) ? 10 : 95); };
    return plan;
}

double kmFrom(Place p, double latitude, double longitude)
{
    const double dy = (latitude - p.latitude) * 111.2, dx = (longitude - p.longitude) * 111.2 * std::cos(p.latitude * M_PI / 180);
    return std::hypot(dx, dy);
}

// A run: 3 mm a quarter within 40 km of Paris for the first hour, dry after; missing around Lyon.
RunPlan parisRun(const QDateTime &run, QList<int> starts = {})
{
    RunPlan plan;
    plan.run = run;
    if (starts.isEmpty())
        for (int m = 0; m < 360; m += 15)
            starts << m;
    plan.startMinutes = starts;
    plan.mm = [](double lat, double lon, int minutes) {
        if (kmFrom(kLyon, lat, lon) < 40)
            return double(NAN);
        return kmFrom(kParis, lat, lon) < 40 && minutes < 60 ? 3.0 : 0.0;
    };
    return plan;
}

int levelAt(const QByteArray &png, Place p)
{
    const QImage image = QImage::fromData(png, "PNG");
    const size_t cell = cellOf(p);
    const int row = int(cell / size_t(image.width())), column = int(cell % size_t(image.width()));
    const std::uint8_t byte = image.constScanLine(row)[column];
    return byte == meteo::rain::kNoData ? -1 : meteo::rain::decode(byte)->level;
}

} // namespace

class LiveRainTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The radar's rain lands on the map where it fell, its rate over the five minutes kept; no data
    // and bad quality are no data, never dry; the grid's mapping is worked out once.
    void radarImageOnTheMap()
    {
        service::RadarReader reader(smallRadar());
        const QByteArray file = odimFile(showers(utc(10, 5)));
        for (const bool again : {false, true}) {
            const service::Result<service::RainField> field = reader.read(file);
            QVERIFY2(field.ok(), field.ok() ? "" : field.error().text.constData());
            QCOMPARE(reader.mappingReused(), again);
            QCOMPARE(field.value().start, utc(10, 0).toSecsSinceEpoch());
            QCOMPARE(field.value().end, utc(10, 5).toSecsSinceEpoch());
            const std::vector<float> &mm = field.value().mm;
            QVERIFY2(std::abs(mm[cellOf(kParis)] - 2.5f) < 0.01f, QByteArray::number(mm[cellOf(kParis)]).constData());
            QVERIFY(std::isnan(mm[cellOf(kLyon)]));
            QVERIFY(std::isnan(mm[cellOf(kBordeaux)]));
            QCOMPARE(mm[cellOf(kBrest)], 0.f);
            // The disc of rain is 60 km across: about a dozen map cells wide, not one and not the map.
            const auto wet = std::count_if(mm.begin(), mm.end(), [](float v) { return v > 1; });
            QVERIFY2(wet > 80 && wet < 160, QByteArray::number(qlonglong(wet)).constData());
        }
        // Rain everywhere reaches every corner of the map the mosaic covers, to its last cells.
        MosaicPlan everywhere;
        everywhere.end = utc(10, 5);
        everywhere.size = 700;
        everywhere.rain = [](double, double) { return std::uint16_t(100); };
        everywhere.quality = [](double, double) { return std::uint16_t(95); };
        service::RadarProduct wide = smallRadar();
        wide.xsize = wide.ysize = 700;
        const service::Result<service::RainField> all = service::RadarReader(wide).read(odimFile(everywhere));
        QVERIFY(all.ok());
        const auto wet = std::count_if(all.value().mm.begin(), all.value().mm.end(), [](float v) { return v == 1.f; });
        QCOMPARE(qsizetype(wet), qsizetype(all.value().mm.size()));
    }

    void radarRefusals_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("why");
        const MosaicPlan good = showers(utc(10, 5));
        const auto with = [&good](const std::function<void(MosaicPlan &)> &change) {
            MosaicPlan s = good;
            change(s);
            return odimFile(s);
        };
        QTest::newRow("grid size") << with([](MosaicPlan &s) { s.size = 400; }) << QByteArray("grille de 400");
        QTest::newRow("cell size") << with([](MosaicPlan &s) { s.scale = 2000; }) << QByteArray("cellules de 2000 m");
        QTest::newRow("quantity") << with([](MosaicPlan &s) { s.quantity = "DBZH"; }) << QByteArray("grandeur « DBZH »");
        QTest::newRow("projection") << with([](MosaicPlan &s) { s.projdef = "+proj=lcc +lat_1=44 +lat_2=49 +lat_0=46.5 +lon_0=3 +ellps=GRS80"; })
                                    << QByteArray("stéréographique");
        QTest::newRow("span") << with([](MosaicPlan &s) { s.minutes = 10; }) << QByteArray("image de 10 min");
        QTest::newRow("value beyond any rain") << odimFile(showers(utc(10, 5), 9000)) << QByteArray("hors de l'étendue");
        const QByteArray file = odimFile(good);
        QTest::newRow("cut short") << file.left(file.size() * 2 / 3) << QByteArray("illisible");
        QTest::newRow("not HDF5") << QByteArray("<html>maintenance</html>") << QByteArray("pas un fichier HDF5");
        QByteArray huge = file;
        huge.resize(service::kMaxSourceFile + 1);
        QTest::newRow("over 64 MiB") << huge << QByteArray("64 Mio");
    }

    void radarRefusals()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, why);
        service::RadarReader reader(smallRadar());
        const service::Result<service::RainField> field = reader.read(file);
        QVERIFY(!field.ok());
        QVERIFY2(field.error().text.contains(why), field.error().text.constData());
    }

    // Each step of a run lands on the map at its quarter; a step that is not the product and a step
    // cut short are left out with their reasons, the others kept; a file with no good step is refused.
    void piRunOnTheMap()
    {
        service::PiReader reader(smallPi());
        RunPlan wrong = parisRun(utc(9, 0), {30});
        wrong.parameterNumber = 52;  // a rate, not the quarter's rain
        const QByteArray last = piFile(parisRun(utc(9, 0), {345}));
        const QByteArray file = piFile(parisRun(utc(9, 0), {0, 15, 45})) + piFile(wrong) + last.left(last.size() / 2);
        const service::Result<service::PiRun> run = reader.read(file);
        QVERIFY2(run.ok(), run.ok() ? "" : run.error().text.constData());
        QCOMPARE(run.value().reference, utc(9, 0).toSecsSinceEpoch());
        QCOMPARE(run.value().steps.size(), 3);
        QCOMPARE(run.value().steps[2].start, utc(9, 45).toSecsSinceEpoch());
        QCOMPARE(run.value().steps[2].end, utc(10, 0).toSecsSinceEpoch());
        QCOMPARE(run.value().refused.size(), 2);
        QVERIFY2(run.value().refused[0].contains("message 4") && run.value().refused[0].contains("cumul de précipitations"),
                 run.value().refused[0].constData());
        QVERIFY2(run.value().refused[1].contains("tronqué"), run.value().refused[1].constData());
        const std::vector<float> &mm = run.value().steps[0].mm;
        QVERIFY2(std::abs(mm[cellOf(kParis)] - 3.f) < 0.01f, QByteArray::number(mm[cellOf(kParis)]).constData());
        QVERIFY(std::isnan(mm[cellOf(kLyon)]));
        QCOMPARE(mm[cellOf(kBrest)], 0.f);

        RunPlan everywhere = parisRun(utc(9, 0), {0});
        everywhere.mm = [](double, double, int) { return 1.0; };
        const std::vector<float> all = reader.read(piFile(everywhere)).value().steps[0].mm;
        QCOMPARE(qsizetype(std::count(all.begin(), all.end(), 1.f)), qsizetype(all.size()));  // every cell of the map

        RunPlan otherGrid = parisRun(utc(9, 0), {0});
        otherGrid.increment = 0.05;
        otherGrid.ni = 361;
        otherGrid.nj = 241;
        for (const auto &[bad, why] : {std::pair{piFile(otherGrid), QByteArray("grille autre")},
                                       {QByteArray("{\"error\":\"quota\"}"), QByteArray("pas un fichier GRIB")}}) {
            const service::Result<service::PiRun> refused = reader.read(bad);
            QVERIFY(!refused.ok());
            QVERIFY2(refused.error().text.contains(why), refused.error().text.constData());
        }
    }

    // Over a fake portal, the clock moved by hand: one request per radar image and per run, however
    // many viewers ask; observed frames where the radar covers the quarter, forecast after, a gap for
    // a quarter whose image was refused; the key in its header, never in a URL or the log.
    void mapOverAFakePortal()
    {
        QByteArray radar, run;
        RawServer portal([&](QTcpSocket *s, const QByteArray &head) {
            const QByteArray &body = head.contains("/radar/") ? radar : run;
            s->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " + QByteArray::number(body.size())
                     + "\r\n\r\n" + body);
        });
        QList<QByteArray> log;
        service::LiveRainMap::Options o;
        o.key = "SECRET-KEY-5678";
        o.readerProgram = QStringLiteral(METEO_SERVICE_PROGRAM);
        o.radarBase = "http://" + portal.host() + "/radar/DPRadar/v1";
        o.piBase = "http://" + portal.host() + "/pi/v1";
        o.radar = smallRadar();
        o.pi = smallPi();
        o.log = [&log](const QByteArray &line) { log << line; };
        service::LiveRainMap map(o);
        QSignalSpy read(&map, &service::LiveRainMap::fileRead);
        service::SimulatedSource sim;
        service::WeatherService server(sim);
        QDateTime now;
        server.setClock([&now] { return now; });
        server.setLog([](const QByteArray &) {});
        server.setRainMap(&map);
        const QByteArray base = "http://127.0.0.1:" + QByteArray::number(server.listen(QHostAddress::LocalHost, 0));

        // Every five minutes an image, four minutes after its end; at 10:35 the run of 10:00.
        int expected = 0;
        const auto at = [&](int hour, int minute, const QByteArray &image, const QByteArray &forecast = {}) {
            now = utc(hour, minute);
            radar = image;
            run = forecast;
            const qsizetype before = read.size();
            map.tick(now);
            map.tick(now.addSecs(30));  // a second look finds nothing new
            expected += forecast.isEmpty() ? 1 : 2;
            QTRY_COMPARE(read.size(), before + (forecast.isEmpty() ? 1 : 2));
            QCOMPARE(portal.requests.size(), expected);
        };
        at(10, 9, odimFile(showers(utc(10, 5))), piFile(parisRun(utc(9, 0))));
        at(10, 14, odimFile(showers(utc(10, 10))));
        at(10, 19, odimFile(showers(utc(10, 15))));
        // Viewers ask, many times: nothing more is asked of the portal.
        for (int viewer = 0; viewer < 4; ++viewer) {
            QCOMPARE(httpGet(base + "/carte/pluie").status, 200);
            QCOMPARE(httpGet(base + "/carte/pluie/" + QByteArray::number(utc(10, 0).toSecsSinceEpoch())).status, 200);
        }
        QCOMPARE(portal.requests.size(), expected);
        const HttpAnswer observed = httpGet(base + "/carte/pluie/" + QByteArray::number(utc(10, 0).toSecsSinceEpoch()));
        QCOMPARE(levelAt(observed.body, kParis), meteo::rain::levelOf(30));
        QCOMPARE(levelAt(observed.body, kLyon), -1);
        QCOMPARE(levelAt(observed.body, kBrest), 0);
        const HttpAnswer forecast = httpGet(base + "/carte/pluie/" + QByteArray::number(utc(10, 15).toSecsSinceEpoch()));
        QVERIFY2(forecast.status == 200, log.join('\n').constData());
        QCOMPARE(levelAt(forecast.body, kParis), 0);  // the 9:00 run's rain stops at 10:00

        // An image refused: its quarter is a gap, said once in the log; the map around it stays.
        at(10, 24, odimFile([] {
               MosaicPlan s = showers(utc(10, 20));
               s.quantity = "DBZH";
               return s;
           }()));
        at(10, 29, odimFile(showers(utc(10, 25))));
        at(10, 34, odimFile(showers(utc(10, 30))));
        QCOMPARE(std::count_if(log.begin(), log.end(), [](const QByteArray &l) { return l.contains("DBZH"); }), 1);
        at(10, 39, odimFile(showers(utc(10, 35))), piFile(parisRun(utc(10, 0))));
        QVERIFY2(portal.requests.last().contains("referencetime=2026-12-10T10:00:00Z"), portal.requests.last().constData());

        const HttpAnswer index = httpGet(base + "/carte/pluie");
        const meteo::RainMapIndex viewer = meteo::readRainMapIndex(index.body);
        QCOMPARE(viewer.source, QByteArray(service::LiveRainMap::kSources));
        QCOMPARE(viewer.frames.size(), 30);  // 8:30 to 15:45: the 10:00 run ends at 16:00
        const auto frameOf = [&viewer](const QDateTime &t) {
            for (const meteo::RainFrameRef &f : viewer.frames)
                if (f.time == t)
                    return f;
            return meteo::RainFrameRef{};
        };
        using Nature = meteo::RainFrameRef::Nature;
        QCOMPARE(frameOf(utc(10, 0)).nature, Nature::Observed);
        QVERIFY(!frameOf(utc(10, 0)).href.isEmpty());
        QCOMPARE(frameOf(utc(10, 15)).nature, Nature::Observed);
        QVERIFY(frameOf(utc(10, 15)).href.isEmpty());  // the refused image's quarter: a gap
        QCOMPARE(frameOf(utc(9, 45)).nature, Nature::Observed);
        QVERIFY(frameOf(utc(9, 45)).href.isEmpty());   // before the service started: no image
        QCOMPARE(frameOf(utc(10, 30)).nature, Nature::Forecast);
        QVERIFY(!frameOf(utc(10, 30)).href.isEmpty());
        QVERIFY2(index.body.contains(" fin=\"2026-12-10T17:00+01:00\""), index.body.left(400).constData());
        QCOMPARE(httpGet(base + "/carte/pluie/" + QByteArray::number(utc(10, 15).toSecsSinceEpoch())).status, 404);
        QCOMPARE(levelAt(httpGet(base + "/carte/pluie/" + QByteArray::number(utc(10, 30).toSecsSinceEpoch())).body, kParis),
                 meteo::rain::levelOf(12));
        QCOMPARE(httpGet(base + "/weather/local/FR75056?dayf=2").status, 200);
        // The portal late, the same image again: the map and its date stay as they were.
        at(10, 44, odimFile(showers(utc(10, 35))));
        now = utc(10, 39);
        QCOMPARE(httpGet(base + "/carte/pluie").body, index.body);

        for (const QByteArray &head : portal.requests) {
            QVERIFY(head.contains("apikey: SECRET-KEY-5678\r\n"));
            QVERIFY(!head.left(head.indexOf("\r\n")).contains("SECRET"));
        }
        for (const QByteArray &line : log)
            QVERIFY2(!line.contains("SECRET"), line.constData());
    }

    // A reader that falls (as libhdf5 can on a malformed file) loses its file, not the service: the
    // reason logged, the map's instants listed as gaps, the service answering.
    void aFallingReaderLosesOnlyItsFile()
    {
        QTemporaryDir dir;
        const QString falling = dir.filePath(QStringLiteral("reader"));
        writeFile(falling, "#!/bin/sh\nkill -SEGV $$\n");
        QFile::setPermissions(falling, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        RawServer portal(RawServer::document(odimFile(showers(utc(10, 5)))));
        QList<QByteArray> log;
        service::LiveRainMap::Options o;
        o.radarBase = o.piBase = "http://" + portal.host();
        o.radar = smallRadar();
        o.readerProgram = falling;
        o.log = [&log](const QByteArray &line) { log << line; };
        service::LiveRainMap map(o);
        QSignalSpy read(&map, &service::LiveRainMap::fileRead);
        map.tick(utc(10, 9));
        QTRY_COMPARE(read.size(), 2);
        QCOMPARE(log.size(), 2);
        QVERIFY2(log[0].contains("lecteur de fichiers : tombé"), log[0].constData());
        const service::RainMapIndex index = map.index(utc(10, 9));
        QCOMPARE(index.absent.size(), index.frames.size());
    }
};

static const testing::RegisterTest<LiveRainTest> registeredLiveRainTest;

#include "tst_liverain.moc"
