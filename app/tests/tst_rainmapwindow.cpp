// SPDX-License-Identifier: GPL-2.0-or-later
// "Carte des pluies" against a fake service: it opens on the frame that holds the clock, moves with
// the keys and plays, draws a frame that fails as a gap, names the commune clicked and what falls
// there, hands it to the main window on Enter, and asks nothing once hidden.
#include "app/fetch/rainmapdownload.h"
#include "app/model/citylist.h"
#include "app/widgets/rainmapview.h"
#include "app/widgets/raintimeline.h"
#include "app/windows/formcarte.h"
#include "common/instanttext.h"
#include "common/lambert93.h"
#include "common/raincells.h"
#include "reportsupport.h"
#include "testsupport.h"
#include "windowfixture.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QWheelEvent>
#include <QApplication>
#include <cmath>

using namespace testing;

namespace {

// Six frames from 13:45 to 16:15, the clock at 14:20: the third holds it. A grid of 4 × 3 cells of
// 50 km over Brittany: Brest in the north-west cell, Quimper in the one south of it.
const QDateTime kNow(QDate(2026, 12, 10), QTime(14, 20), Qt::OffsetFromUTC, 3600);
const int kMinutes[] = {-35, -20, -5, 10, 55, 115};

QByteArray frame(int n)
{
    QImage image(4, 3, QImage::Format_Grayscale8);
    image.fill(0);
    image.scanLine(0)[0] = meteo::rain::encode({meteo::rain::Fall::Rain, meteo::rain::levelOf(4)});           // Brest
    image.scanLine(1)[0] = meteo::rain::encode({meteo::rain::Fall::Rain, meteo::rain::levelOf(n < 4 ? 0.5 : 0)});  // Quimper
    image.scanLine(2)[3] = meteo::rain::kNoData;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

void answer(QTcpSocket *s, const QByteArray &request)
{
    const QByteArray path = request.mid(4, request.indexOf(' ', 4) - 4);
    if (path == "/carte/pluie") {
        QByteArray xml = "<carte zone=\"metropole\" proj=\"EPSG:2154\" x0=\"150000\" y0=\"6850000\" pas=\"50000\" nx=\"4\" ny=\"3\" src=\"simulation\" maj=\""
                         + meteo::instantText(kNow.addSecs(-5 * 60)).toLatin1() + "\">";
        for (int i = 0; i < 6; ++i)
            xml += "<image t=\"" + meteo::instantText(kNow.addSecs(60 * kMinutes[i])).toLatin1() + "\" href=\"/carte/pluie/" + QByteArray::number(1000000000 + i) + "\"/>";
        RawServer::document(xml + "</carte>")(s, request);
    } else if (path.startsWith("/carte/pluie/100000000")) {
        const int n = path.right(1).toInt();
        if (n == 3)
            RawServer::document("<error>panne</error>", "500 Internal Server Error")(s, request);
        else if (n == 5)
            return;  // silent
        else
            RawServer::document(n == 4 ? frame(n).left(40) : frame(n))(s, request);  // the fifth cut short
    } else if (path.startsWith("/communes/near?")) {
        RawServer::document("<communes><commune code=\"FR29232\" cp=\"29000\" km=\"1.2\">Quimper (29)</commune></communes>")(s, request);
    } else {
        RawServer::document("<error>inconnu</error>", "404 Not Found")(s, request);
    }
}

QByteArray placed(const char *name, double lat, double lon)
{
    return QByteArray("<weather><loc><dnam>") + name + "</dnam><lat>" + QByteArray::number(lat) + "</lat><lon>" + QByteArray::number(lon)
           + "</lon></loc></weather>";
}

} // namespace

class RainMapWindowTest : public QObject, WindowFixture {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { prepare(true, true); }

    void naturesAndNoMap();

    void mapAgainstAFakeService()
    {
        RawServer server(answer);
        meteo::CityList cities;
        cities.setBytes("Brest=FR29019\nQuimper=FR29232\nParis=FR75056\n");
        cities.weather("FR29019")->receive(reportOf(placed("Brest", 48.39, -4.49), kNow));
        cities.weather("FR29232")->receive(reportOf(placed("Quimper", 47.996, -4.102), kNow));
        cities.weather("FR75056")->receive(reportOf(placed("Paris", 48.86, 2.35), kNow));
        meteo::FormCarte w(&cities, [&server] { return server.host(); }, nullptr);
        QDateTime now = kNow;
        w.clock = w.downloads()->clock = [&now] { return now; };
        w.downloads()->setLimitMs(300);
        w.playIntervalMs = 20;
        w.show();
        QTRY_COMPARE(w.shownFrame(), 2);
        QTRY_VERIFY(w.Carte->hasRain());
        QCOMPARE(w.Heure->text(), QStringLiteral("jeudi 14 h 15 · maintenant"));
        QCOMPARE(w.Carte->accessibleDescription(),
                 QStringLiteral("jeudi 14 h 15 : pluie modérée à Brest, faible à Quimper ; pas de données à Paris"));
        QCOMPARE(server.requests.first().left(17), QByteArray("GET /carte/pluie "));
        QVERIFY(server.requests[1].startsWith("GET /carte/pluie/1000000002 "));  // the frame shown first

        // Keys: a frame that failed is a gap, said so, never a dry map.
        QTest::keyClick(&w, Qt::Key_Right);
        QCOMPARE(w.shownFrame(), 3);
        QTRY_COMPARE(w.Carte->gapText(), QStringLiteral("Image indisponible"));
        QVERIFY(!w.Carte->hasRain());
        QCOMPARE(w.Heure->text(), QStringLiteral("jeudi 14 h 30 · dans 15 min"));
        QTest::keyClick(&w, Qt::Key_PageDown);  // an hour on: 15:30 is not a frame, the last before it is
        QCOMPARE(w.shownFrame(), 4);
        QTRY_COMPARE(w.Carte->gapText(), QStringLiteral("Image indisponible"));  // cut short
        QTest::keyClick(&w, Qt::Key_End);
        QCOMPARE(w.shownFrame(), 5);
        QTRY_COMPARE(w.Carte->gapText(), QStringLiteral("Image indisponible"));  // silent
        QTest::keyClick(&w, Qt::Key_Home);
        QCOMPARE(w.shownFrame(), 0);
        QTRY_VERIFY(w.Carte->hasRain() && w.Heure->text().endsWith(QStringLiteral("il y a 30 min")));
        QTest::keyClick(&w, Qt::Key_Space);
        QVERIFY(w.playing());
        QTRY_VERIFY(w.shownFrame() >= 3);
        QTest::keyClick(&w, Qt::Key_Space);
        QVERIFY(!w.playing());

        // A click names the nearest commune and what falls there from the frame shown on; Enter
        // gives it to the main window.
        w.showFrame(2);
        QSignalSpy chosen(&w, &meteo::FormCarte::communeChosen);
        QTest::mouseClick(w.Carte, Qt::LeftButton, {}, w.Carte->toWidget(meteo::toLambert93({47.996, -4.102})).toPoint());
        QTRY_VERIFY(w.Lieu->text().startsWith(QStringLiteral("Quimper (29) : ")));
        QCOMPARE(w.Lieu->text(), QStringLiteral("Quimper (29) : pluie faible de 14 h 15 à 14 h 30, puis pas de données"));
        QVERIFY(server.requests.last().startsWith("GET /communes/near?lat=48.00&lon=-4.10 "));
        QTest::keyClick(&w, Qt::Key_Return);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().first().value<meteo::FoundCommune>().code, QByteArray("FR29232"));

        // Zoom around the pointer (the place under it stays there), never past ×4, and back to all
        // of France.
        const QPointF pointer(w.Carte->width() * 0.8, w.Carte->height() * 0.8);
        const meteo::MapPoint under = w.Carte->toMap(pointer);
        QWheelEvent wheel(pointer, w.Carte->mapToGlobal(pointer), {}, {0, 240}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.Carte, &wheel);
        QVERIFY(w.Carte->zoom() > 1.5);
        QVERIFY(std::hypot(w.Carte->toMap(pointer).x - under.x, w.Carte->toMap(pointer).y - under.y) < 1);
        for (int i = 0; i < 6; ++i)
            QTest::keyClick(&w, Qt::Key_Plus);
        QCOMPARE(w.Carte->zoom(), 4.0);
        QTest::keyClick(&w, Qt::Key_0);
        QCOMPARE(w.Carte->zoom(), 1.0);

        // It moves on with the clock while left on the frame of now, and stays where the user put it.
        w.showFrame(2);
        now = kNow.addSecs(15 * 60);
        w.followClock();
        QCOMPARE(w.shownFrame(), 3);
        w.showFrame(0);
        now = kNow.addSecs(50 * 60);
        w.followClock();
        QCOMPARE(w.shownFrame(), 0);
        QCOMPARE(w.Heure->text(), QStringLiteral("jeudi 13 h 45 · il y a 45 min"));  // from 14 h 30, the last frame begun

        // The map covers mainland France and Corsica: a city overseas is said not to be on it.
        QVERIFY(!w.Message->isVisibleTo(&w));
        cities.setDisplayed(cities.weather("FR97411"));
        QVERIFY(w.Message->isVisibleTo(&w) && w.Message->text().contains(QStringLiteral("France métropolitaine et la Corse")));

        // Hidden, it asks nothing more.
        w.hide();
        const qsizetype asked = server.requests.size();
        w.downloads()->refresh();
        w.downloads()->stop();
        QTest::qWait(100);
        QCOMPARE(server.requests.size(), asked);
    }
};

// Frames a source says are observed or forecast are said so, on the time and on the strip under the
// slider, with Météo-France's credit; a source without a map says why.
void RainMapWindowTest::naturesAndNoMap()
{
    bool unavailable = false;
    RawServer server([&unavailable](QTcpSocket *s, const QByteArray &request) {
        QByteArray xml = "<carte zone=\"metropole\" proj=\"EPSG:2154\" x0=\"150000\" y0=\"6850000\" pas=\"50000\" nx=\"4\" ny=\"3\" src=\""
                         + QByteArray(unavailable ? "indisponible" : "radar,arome-pi") + "\" maj=\"" + meteo::instantText(kNow).toLatin1()
                         + "\" fin=\"" + meteo::instantText(kNow.addSecs(3600 * 5 + 2400)).toLatin1() + "\">";
        // The last frame is a gap the service says it has: listed without a link.
        for (int i = 0; i < 4 && !unavailable; ++i)
            xml += "<image nature=\"" + QByteArray(i < 2 ? "observee" : "prevue") + "\" t=\"" + meteo::instantText(kNow.addSecs(900 * (i - 2) + 300)).toLatin1()
                   + (i == 3 ? QByteArray("\"/>") : "\" href=\"/carte/pluie/" + QByteArray::number(1000000000 + i) + "\"/>");
        RawServer::document(request.startsWith("GET /carte/pluie ") ? xml + "</carte>" : frame(0))(s, request);
    });
    meteo::CityList cities;
    meteo::FormCarte w(&cities, [&server] { return server.host(); }, nullptr);
    w.clock = w.downloads()->clock = [] { return kNow; };
    w.show();
    QTRY_VERIFY(w.Carte->hasRain());
    QCOMPARE(w.shownFrame(), 1);
    QCOMPARE(w.Heure->text(), QStringLiteral("jeudi 14 h 10 · observée maintenant"));
    QCOMPARE(w.Source->text(), QStringLiteral("Source : Météo-France · jusqu'à jeudi 20 h"));
    QTest::keyClick(&w, Qt::Key_Right);
    QCOMPARE(w.Heure->text(), QStringLiteral("jeudi 14 h 25 · prévue dans 15 min"));
    QTRY_COMPARE(w.Images->frames().size(), 4);
    QVERIFY(meteo::RainTimeline::colourOf(w.Images->frames()[0]) != meteo::RainTimeline::colourOf(w.Images->frames()[2]));
    QVERIFY(w.Images->frames()[3].arrival == meteo::RainTimeline::Arrival::Missing);
    QTest::keyClick(&w, Qt::Key_End);
    QCOMPARE(w.Carte->gapText(), QStringLiteral("Image indisponible"));  // never a dry map
    QVERIFY(!w.Carte->hasRain());
    QVERIFY(!server.requests.join().contains("/carte/pluie/1000000003"));
    unavailable = true;
    w.downloads()->refresh();
    QTRY_VERIFY(w.Message->isVisibleTo(&w));
    QCOMPARE(w.Message->text(), QStringLiteral("Carte des pluies : clé Météo-France absente"));
    QCOMPARE(w.Heure->text(), QStringLiteral("Aucune image"));
    QVERIFY(!w.Carte->hasRain());
}

static const testing::RegisterTest<RainMapWindowTest> registeredRainMapWindowTest;

#include "tst_rainmapwindow.moc"
