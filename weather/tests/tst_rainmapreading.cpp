// SPDX-License-Identifier: GPL-2.0-or-later
// The rain map as the viewer reads it: the index and a frame over hostile answers (each refused with
// its reason, never read as a dry map), and the words of a frame's time, of a place's rain ahead and
// of the rain over the user's cities.
#include "common/raincells.h"
#include "weather/rainmap.h"
#include "common/error.h"
#include "testsupport.h"

#include <QBuffer>
#include <QImage>
#include <QTest>

namespace {

QByteArray index(const QByteArray &root, const QByteArray &images)
{
    return "<?xml version=\"1.0\"?>\n<carte " + root + ">" + images + "</carte>";
}

const QByteArray kRoot = "zone=\"metropole\" proj=\"EPSG:2154\" x0=\"97500\" y0=\"7112500\" pas=\"5000\" nx=\"4\" ny=\"3\" "
                         "src=\"simulation\" maj=\"2026-12-09T17:00+01:00\"";
const QByteArray kImages = "<image t=\"2026-12-09T15:00+01:00\" href=\"/carte/pluie/1796824800\"/>"
                           "<image t=\"2026-12-09T15:15+01:00\" href=\"/carte/pluie/1796825700\"/>";

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QImage grey(int w, int h)
{
    QImage image(w, h, QImage::Format_Grayscale8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.scanLine(y)[x] = uchar(y * 40 + x * 3 + (x == 3 ? 255 - y * 40 - 9 : 0));
    return image;
}

meteo::RainFrameRef at(int hour, int minute)
{
    return {QDateTime(QDate(2026, 12, 10), QTime(hour, minute), Qt::OffsetFromUTC, 3600), QByteArray()};
}

} // namespace

class RainMapReadingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void indexReader_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("refused");  // empty: read
        QTest::newRow("good") << index(kRoot, kImages) << QString();
        QTest::newRow("another projection") << index(QByteArray(kRoot).replace("EPSG:2154", "EPSG:4326"), kImages) << QStringLiteral("Lambert-93");
        QTest::newRow("a grid of ten million cells") << index(QByteArray(kRoot).replace("nx=\"4\"", "nx=\"4000\"").replace("ny=\"3\"", "ny=\"2500\""), kImages)
                                                     << QStringLiteral("grille");
        QTest::newRow("a step in words") << index(QByteArray(kRoot).replace("pas=\"5000\"", "pas=\"cinq\""), kImages) << QStringLiteral("pas illisible");
        QTest::newRow("half a cell") << index(QByteArray(kRoot).replace("nx=\"4\"", "nx=\"4.5\""), kImages) << QStringLiteral("grille");
        QTest::newRow("a time without its offset") << index(kRoot, QByteArray(kImages).replace("15:15+01:00", "15:15")) << QStringLiteral("heure illisible");
        QTest::newRow("frames out of order") << index(kRoot, QByteArray(kImages).replace("15:15+01:00", "14:45+01:00")) << QStringLiteral("désordre");
        QTest::newRow("a link elsewhere") << index(kRoot, QByteArray(kImages).replace("/carte/pluie/1796825700", "http://ailleurs/x"))
                                          << QStringLiteral("lien");
        QTest::newRow("a link upwards") << index(kRoot, QByteArray(kImages).replace("1796825700", "../../etc")) << QStringLiteral("lien");
        QByteArray many;
        for (int i = 0; i < 513; ++i)
            many += "<image t=\"" + QDateTime(QDate(2026, 12, 9), QTime(0, 0), Qt::OffsetFromUTC, 3600).addSecs(60 * i).toString(Qt::ISODate).toLatin1()
                    + "\" href=\"/carte/pluie/" + QByteArray::number(i) + "\"/>";
        QTest::newRow("513 frames") << index(kRoot, many) << QStringLiteral("plus de 512");
        QTest::newRow("a nature unknown") << index(kRoot, QByteArray(kImages).replace("<image t", "<image nature=\"devinee\" t")) << QStringLiteral("nature");
        QTest::newRow("a DTD") << "<!DOCTYPE carte [<!ENTITY a \"b\">]>" + index(kRoot, kImages) << QStringLiteral("DTD");
        QTest::newRow("cut short") << index(kRoot, kImages).chopped(12) << QStringLiteral("illisible");
        QTest::newRow("an error page") << QByteArray("<html><body>502</body></html>") << QStringLiteral("pas un index");
        QTest::newRow("300 KiB") << index(kRoot, kImages + QByteArray(300 * 1024, ' ')) << QStringLiteral("256 Kio");
    }

    void indexReader()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, refused);
        try {
            const meteo::RainMapIndex read = meteo::readRainMapIndex(xml);
            QVERIFY2(refused.isEmpty(), "read");
            QCOMPARE(read.frames.size(), 2);
            QCOMPARE(read.frames[1].time, QDateTime(QDate(2026, 12, 9), QTime(14, 15), Qt::UTC));
            QCOMPARE(read.frames[1].href, QByteArray("/carte/pluie/1796825700"));
            QVERIFY(read.columns == 4 && read.rows == 3 && read.step == 5000 && read.x0 == 97500 && read.source == "simulation");
        } catch (const meteo::Error &e) {
            QVERIFY2(!refused.isEmpty() && QString::fromUtf8(e.what()).contains(refused), e.what());
        }
    }

    // A frame is the index's grid in 8-bit grey, whole; anything else is refused and is a gap.
    void frameReader_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("refused");
        const QByteArray good = png(grey(4, 3));
        QTest::newRow("good") << good << QString();
        QTest::newRow("wrong size") << png(grey(5, 3)) << QStringLiteral("5 × 3 au lieu de 4 × 3");
        QTest::newRow("truncated") << good.left(good.size() - 20) << QStringLiteral("tronquée");
        QTest::newRow("in colour") << png(grey(4, 3).convertToFormat(QImage::Format_RGB32)) << QStringLiteral("niveaux de gris");
        QTest::newRow("16-bit grey") << png(grey(4, 3).convertToFormat(QImage::Format_Grayscale16)) << QStringLiteral("niveaux de gris");
        QImage palette(4, 3, QImage::Format_Indexed8);
        palette.setColorTable({qRgb(200, 0, 0), qRgb(0, 90, 0)});
        palette.fill(1);
        QTest::newRow("with a palette") << png(palette) << QStringLiteral("niveaux de gris");
        QTest::newRow("2 MiB") << good + QByteArray(2 * 1024 * 1024, '\0') << QStringLiteral("1 Mio");
        QTest::newRow("not a PNG") << QByteArray("<error>502</error>") << QStringLiteral("PNG");
        QTest::newRow("nothing") << QByteArray() << QStringLiteral("PNG");
    }

    void frameReader()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, refused);
        meteo::RainMapIndex grid;
        grid.columns = 4;
        grid.rows = 3;
        try {
            const QByteArray cells = meteo::readRainFrame(bytes, grid);
            QVERIFY2(refused.isEmpty(), "read");
            const QImage expected = grey(4, 3);
            for (int y = 0; y < 3; ++y)
                QCOMPARE(cells.mid(y * 4, 4), QByteArray(reinterpret_cast<const char *>(expected.constScanLine(y)), 4));
            QVERIFY(!meteo::rain::decode(std::uint8_t(cells[3])));  // the no-data cell stays no data
        } catch (const meteo::Error &e) {
            QVERIFY2(!refused.isEmpty() && QString::fromUtf8(e.what()).contains(refused), e.what());
        }
    }

    // The frame that holds the clock, its distance in words, what falls at a place from the frame
    // shown on, and the rain over the user's cities in one sentence.
    void wordsOfTheMap()
    {
        using meteo::rain::Cell;
        using meteo::rain::Fall;
        const QList<meteo::RainFrameRef> frames{at(14, 0), at(14, 15), at(14, 30), at(15, 0)};
        const QDateTime now = at(14, 20).time;
        QCOMPARE(meteo::frameAt(frames, now), 1);
        QCOMPARE(meteo::frameAt(frames, at(13, 0).time), 0);
        QCOMPARE(meteo::frameAt(frames, at(23, 0).time), 3);
        QCOMPARE(meteo::frameAt({}, now), -1);
        QCOMPARE(meteo::frameTimeText(at(14, 15).time), QStringLiteral("jeudi 14 h 15"));
        const QDateTime nowFrame = frames[meteo::frameAt(frames, now)].time;
        QCOMPARE(meteo::frameDistance(at(14, 15).time, nowFrame), QStringLiteral("maintenant"));
        QCOMPARE(meteo::frameDistance(at(13, 45).time, nowFrame), QStringLiteral("il y a 30 min"));
        QCOMPARE(meteo::frameDistance(at(16, 15).time, nowFrame), QStringLiteral("dans 2 h"));
        QCOMPARE(meteo::frameDistance(at(15, 30).time, nowFrame), QStringLiteral("dans 1 h 15"));
        meteo::RainFrameRef observed = at(13, 45), forecast = at(16, 15);
        observed.nature = meteo::RainFrameRef::Nature::Observed;
        forecast.nature = meteo::RainFrameRef::Nature::Forecast;
        QCOMPARE(meteo::frameDistance(observed, nowFrame), QStringLiteral("observée il y a 30 min"));
        QCOMPARE(meteo::frameDistance(forecast, nowFrame), QStringLiteral("prévue dans 2 h"));
        const meteo::RainMapIndex read = meteo::readRainMapIndex(index(kRoot, QByteArray(kImages).replace("<image t", "<image nature=\"observee\" t")));
        QVERIFY(read.frames[0].nature == meteo::RainFrameRef::Nature::Observed && !meteo::mapUnavailable(read));

        const Cell dry{Fall::Rain, 0}, moderate{Fall::Rain, meteo::rain::levelOf(4)}, light{Fall::Rain, meteo::rain::levelOf(0.5)},
            snow{Fall::Snow, meteo::rain::levelOf(1)};
        const QList<meteo::PlaceFrame> quimper{{at(14, 15).time, moderate}, {at(14, 30).time, moderate}, {at(16, 0).time, dry}, {at(17, 0).time, dry}};
        QCOMPARE(meteo::placeOutlook(QStringLiteral("Quimper"), quimper), QStringLiteral("Quimper : pluie modérée de 14 h 15 à 16 h, puis sec"));
        QCOMPARE(meteo::placeOutlook(QStringLiteral("Mende"), {{at(14, 15).time, dry}, {at(23, 0).time.addSecs(4 * 3600), snow}}),
                 QStringLiteral("Mende : sec jusqu'à vendredi 3 h, puis neige faible"));
        QCOMPARE(meteo::placeOutlook(QStringLiteral("Nice"), {{at(14, 15).time, dry}, {at(18, 0).time, dry}}), QStringLiteral("Nice : sec jusqu'à 18 h"));
        QCOMPARE(meteo::placeOutlook(QStringLiteral("Ici"), {{at(14, 15).time, std::nullopt}, {at(14, 30).time, dry}}),
                 QStringLiteral("Ici : pas de données de 14 h 15 à 14 h 30, puis sec"));

        QCOMPARE(meteo::citiesSentence(at(14, 15).time, {{"Brest", moderate}, {"Quimper", light}, {"Paris", dry}, {"Lyon", dry}}),
                 QStringLiteral("jeudi 14 h 15 : pluie modérée à Brest, faible à Quimper ; sec dans vos autres villes"));
        QCOMPARE(meteo::citiesSentence(at(14, 15).time, {{"Paris", dry}, {"Lyon", dry}}), QStringLiteral("jeudi 14 h 15 : sec dans toutes vos villes"));
        QCOMPARE(meteo::citiesSentence(at(14, 15).time, {{"Mende", snow}, {"Le Tampon", std::nullopt}}),
                 QStringLiteral("jeudi 14 h 15 : neige faible à Mende ; pas de données au Tampon"));
    }
};

static const testing::RegisterTest<RainMapReadingTest> registeredRainMapReadingTest;

#include "tst_rainmapreading.moc"
