// SPDX-License-Identifier: GPL-2.0-or-later
// meteo-bench carte, the live map's part: one radar mosaic of the real product's size (3,472 × 3,472
// cells of 500 m) and one AROME-PI run (24 quarter hours on the 0.025° grid) made by the libraries,
// each turned into the map's grid on this one core; then the service reading both from a fake portal
// on loopback, its memory read from /proc.
#include "service/live/pirun.h"
#include "service/live/radarimage.h"
#include "sourcefiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimeZone>
#include <cmath>
#include <cstdio>

quint16 freePort();                               // meteo_bench.cpp
qint64 statusOf(qint64 pid, const char *field);   // servicememory.cpp

namespace {

double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// Bands of showers across the country, heavier at their hearts.
std::uint16_t showers(double x, double y)
{
    const double band = std::sin(x / 60000 + y / 90000) + 0.3 * std::cos(y / 23000);
    return band > 0.6 ? std::uint16_t((band - 0.6) * 400) : 0;
}

} // namespace

int liveMap()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    testing::OdimSpec radar;
    radar.size = 3472;
    radar.scale = 500;
    radar.end = QDateTime::fromSecsSinceEpoch(now.toSecsSinceEpoch() / 300 * 300, QTimeZone::utc());
    radar.rain = showers;
    const QByteArray mosaic = testing::odimFile(radar);
    service::RadarReader radarReader;
    QElapsedTimer t;
    t.start();
    const bool radarOk = radarReader.read(mosaic).ok();
    const double first = ms(t);
    t.restart();
    const bool againOk = radarReader.read(mosaic).ok();
    std::printf("live map: one radar image of 3472 x 3472 (%.1f MB of HDF5) onto the map's grid in %.0f ms on one core "
                "(target at most 200 ms; the first, working out the grid's mapping through PROJ, %.0f ms)%s\n",
                double(mosaic.size()) / 1e6, ms(t), first, radarOk && againOk ? "" : " REFUSED");

    testing::PiSpec pi;
    const service::PiProduct product;
    pi.ni = product.ni;
    pi.nj = product.nj;
    pi.firstLatitude = product.firstLatitude;
    pi.firstLongitude = product.firstLongitude;
    pi.increment = product.increment;
    pi.run = QDateTime::fromSecsSinceEpoch((now.toSecsSinceEpoch() - 35 * 60) / 3600 * 3600, QTimeZone::utc());
    for (int m = 0; m < 360; m += 15)
        pi.startMinutes << m;
    pi.mm = [](double latitude, double longitude, int minutes) {
        return double(showers(longitude * 75000 + minutes * 400, latitude * 111000)) / 100;
    };
    const QByteArray run = testing::piFile(pi);
    service::PiReader piReader;
    (void)piReader.read(run);  // the grid's mapping, once
    t.restart();
    const service::Result<service::PiRun> read = piReader.read(run);
    std::printf("live map: one AROME-PI run, %lld quarter hours of %d x %d (%.1f MB of GRIB2), onto the map's grid in %.0f ms on one "
                "core (target at most 1000 ms)\n",
                read.ok() ? qint64(read.value().steps.size()) : 0LL, product.ni, product.nj, double(run.size()) / 1e6, ms(t));

    // The service, its live map fed by a fake portal, its memory once both files are read.
    QTcpServer portal;
    portal.listen(QHostAddress::LocalHost);
    QObject::connect(&portal, &QTcpServer::newConnection, &portal, [&] {
        while (QTcpSocket *s = portal.nextPendingConnection())
            QObject::connect(s, &QTcpSocket::readyRead, s, [s, &mosaic, &run] {
                const QByteArray head = s->readAll();
                const QByteArray &body = head.contains("/radar/") ? mosaic : run;
                s->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
            });
    });
    QTemporaryDir dir;
    const QString key = dir.filePath(QStringLiteral("key"));
    QFile keyFile(key);
    keyFile.open(QIODevice::WriteOnly);
    keyFile.write("bench-key\n");
    keyFile.close();
    QFile::setPermissions(key, QFile::ReadOwner | QFile::WriteOwner);
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(portal.serverPort());
    const quint16 port = freePort();
    QProcess svc;
    svc.start(QCoreApplication::applicationDirPath() + QStringLiteral("/meteo-service"),
              {QStringLiteral("--port"), QString::number(port), QStringLiteral("--source"), QStringLiteral("open-meteo"),
               QStringLiteral("--upstream"), QStringLiteral("http://127.0.0.1:9"), QStringLiteral("--meteofrance-key-file"), key,
               QStringLiteral("--vigilance-upstream"), QStringLiteral("http://127.0.0.1:9"), QStringLiteral("--radar-upstream"),
               base + QStringLiteral("/radar"), QStringLiteral("--pi-upstream"), base + QStringLiteral("/pi")});
    svc.waitForStarted(5000);
    QNetworkAccessManager client;
    QByteArray index;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 60000 && !(index.contains("nature=\"observee\" href") || index.contains("nature=\"prevue\" href"))) {
        QNetworkReply *r = client.get(QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/carte/pluie").arg(port))));
        while (!r->isFinished())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        index = r->readAll();
        r->deleteLater();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 500);
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 3000);  // the second file too
    std::printf("live map: the service with the radar and a run read: resident %lld KiB now, %lld KiB at its peak (target at most 250 MB)\n",
                statusOf(svc.processId(), "VmRSS:"), statusOf(svc.processId(), "VmHWM:"));
    svc.terminate();
    svc.waitForFinished(5000);
    return 0;
}
