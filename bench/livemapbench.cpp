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

// A run of the product's grid from `reference`, its 24 quarter hours.
testing::RunPlan fullRun(const QDateTime &reference)
{
    const service::PiProduct product;
    testing::RunPlan pi;
    pi.ni = product.ni;
    pi.nj = product.nj;
    pi.firstLatitude = product.firstLatitude;
    pi.firstLongitude = product.firstLongitude;
    pi.increment = product.increment;
    pi.run = reference;
    for (int m = 0; m < product.lastMinutes; m += product.stepMinutes)
        pi.startMinutes << m;
    return pi;
}

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
    testing::MosaicPlan radar;
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

    const service::PiProduct product;
    testing::RunPlan pi = fullRun(QDateTime::fromSecsSinceEpoch((now.toSecsSinceEpoch() - 35 * 60) / 3600 * 3600, QTimeZone::utc()));
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

namespace {

// A moving weather for the look of the live map: a cold front sweeping east across the country
// with a line of heavier cells along it, and scattered showers behind it.
double frontRain(double latitude, double longitude, qint64 t)
{
    const double hours = double(t % 86400) / 3600;
    const double front = -5 + hours * 0.45 + (latitude - 47) * 0.55;  // longitude of the front's axis
    const double across = (longitude - front) / 0.45;
    double mm = 3.2 * std::exp(-across * across) * (1 + 0.6 * std::sin(latitude * 9 + longitude * 4 + hours));
    if (longitude < front - 0.8) {  // showers in the cold air behind
        const double s = std::sin(latitude * 23 + hours * 0.7) * std::sin(longitude * 19 - hours * 0.5);
        mm += s > 0.75 ? (s - 0.75) * 14 : 0;
    }
    return std::max(0.0, mm) / 4;  // mm in a quarter hour
}

// Polar stereographic on a sphere, true at 45° N: near enough to place a picture's rain.
std::pair<double, double> stereographicToGeo(double x, double y)
{
    constexpr double kRadius = 6371000, kScale = (1 + 0.70710678) / 2, kDegree = 180 / M_PI;
    const double rho = std::hypot(x, y);
    return {90 - 2 * std::atan(rho / (2 * kRadius * kScale)) * kDegree, std::atan2(x, -y) * kDegree};
}

} // namespace

// meteo-bench portail PORT: a fake Météo-France portal on loopback for looking at the live map: the
// radar's latest image and each AROME-PI run asked, made at the request from a moving front.
int portal(quint16 port)
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, port))
        return 1;
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        while (QTcpSocket *s = server.nextPendingConnection())
            QObject::connect(s, &QTcpSocket::readyRead, s, [s] {
                const QByteArray head = s->readAll();
                const qint64 now = QDateTime::currentSecsSinceEpoch();
                QByteArray body;
                if (head.contains("/radar/")) {
                    testing::MosaicPlan radar;
                    radar.size = 3472;
                    radar.scale = 500;
                    const qint64 end = (now - 4 * 60) / 300 * 300;
                    radar.end = QDateTime::fromSecsSinceEpoch(end, QTimeZone::utc());
                    radar.rain = [end](double x, double y) {
                        const auto [latitude, longitude] = stereographicToGeo(x, y);
                        return std::uint16_t(std::min(60000.0, frontRain(latitude, longitude, end) / 3 * 100));  // 5 of 15 min
                    };
                    body = testing::odimFile(radar);
                } else {
                    const qsizetype at = head.indexOf("referencetime=");
                    const QDateTime run = QDateTime::fromString(QString::fromLatin1(head.mid(at + 14, 20)), Qt::ISODate);
                    testing::RunPlan pi = fullRun(run.toUTC());
                    const qint64 reference = run.toSecsSinceEpoch();
                    pi.mm = [reference](double latitude, double longitude, int minutes) {
                        return frontRain(latitude, longitude, reference + minutes * 60);
                    };
                    body = at < 0 || !run.isValid() ? QByteArray() : testing::piFile(pi);
                }
                s->write((body.isEmpty() ? "HTTP/1.1 404 Not Found\r\n" : "HTTP/1.1 200 OK\r\n") + QByteArray("Content-Length: ")
                         + QByteArray::number(body.size()) + "\r\n\r\n" + body);
            });
    });
    std::fprintf(stderr, "faux portail de Météo-France sur 127.0.0.1:%u\n", server.serverPort());
    return QCoreApplication::exec();
}
