// SPDX-License-Identifier: GPL-2.0-or-later
// meteo-bench carte: the rain map's costs. The service's side: every frame of the index made on one
// core, and frames answered from memory per second over loopback. The viewer's side: one frame
// painted at 1280 × 800, the time from the shortcut to the current frame shown against a local
// service, and what the open map adds to the viewer's memory.
#include "app/mainwindow/companions.h"
#include "app/mainwindow/form1.h"
#include "app/mainwindow/mainmenus.h"
#include "app/fetch/rainmapdownload.h"
#include "app/widgets/rainmapview.h"
#include "app/windows/formcarte.h"
#include "service/simulation/simulatedrainmap.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTcpSocket>
#include <cstdio>
#include <functional>

qint64 statusKiB(const char *field);  // meteo_bench.cpp
quint16 freePort();                   // meteo_bench.cpp
int liveMap();                        // livemapbench.cpp

namespace {

// Runs the event loop until `done` or `ms` milliseconds; whether it is done.
bool waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return done();
}

void wait(int ms)
{
    waitFor([] { return false; }, ms);
}

// Frames asked again and again by four keep-alive clients for two seconds: answers per second.
double framesPerSecond(quint16 port, const QByteArray &path)
{
    const QByteArray request = "GET " + path + " HTTP/1.1\r\nHost: x\r\n\r\n";
    int answers = 0;
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    std::vector<QByteArray> pending(4);
    for (size_t i = 0; i < 4; ++i) {
        clients.push_back(std::make_unique<QTcpSocket>());
        QTcpSocket *s = clients.back().get();
        QObject::connect(s, &QTcpSocket::readyRead, s, [s, &pending, i, &answers, &request] {
            QByteArray &got = pending[i];
            got += s->readAll();
            for (;;) {
                const qsizetype head = got.indexOf("\r\n\r\n"), length = got.indexOf("Content-Length: ");
                if (head < 0 || length < 0)
                    return;
                const qsizetype size = got.mid(length + 16, got.indexOf("\r\n", length) - length - 16).toLongLong();
                if (got.size() < head + 4 + size)
                    return;
                got.remove(0, head + 4 + size);
                ++answers;
                s->write(request);
            }
        });
        QObject::connect(s, &QTcpSocket::connected, s, [s, &request] { s->write(request); });
        s->connectToHost(QHostAddress::LocalHost, port);
    }
    wait(300);  // warmed
    const int before = answers;
    QElapsedTimer t;
    t.start();
    wait(2000);
    return (answers - before) * 1000.0 / double(t.elapsed());
}

} // namespace

int carte()
{
    liveMap();
    // The service's side, in this process: every frame made once, on this one thread.
    service::SimulatedRainMap map(service::CommuneTable::shipped());
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const service::RainMapIndex index = map.index(now);
    QElapsedTimer t;
    t.start();
    (void)map.makeFrame(index.frames.first(), now);
    const double first = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    for (qsizetype i = 1; i < index.frames.size(); ++i)
        (void)map.makeFrame(index.frames[i], now);
    const double rest = double(t.nsecsElapsed()) / 1e6;
    std::printf("rain map: %lld frames made in %.1f s on one core (the first, placing the cells, %.0f ms; then %.0f ms a frame)\n",
                static_cast<long long>(index.frames.size()), (first + rest) / 1000, first, rest / double(index.frames.size() - 1));

    const quint16 port = freePort();
    QProcess svc;
    svc.start(QCoreApplication::applicationDirPath() + QStringLiteral("/meteo-service"), {QStringLiteral("--port"), QString::number(port)});
    svc.waitForReadyRead(5000);
    const QByteArray frame = "/carte/pluie/" + QByteArray::number(map.index(QDateTime::currentDateTimeUtc()).frames[8]);
    std::printf("rain map: %.0f frames per second answered from memory over loopback (4 clients)\n", framesPerSecond(port, frame));

    // The viewer's side: the paint of one frame at 1280 × 800, the base map drawn once for the size.
    meteo::RainMapView view;
    view.setBaseMap(meteo::readBaseMap(meteo::shippedBaseMap()));
    view.resize(1280, 800);
    view.setFrame(QByteArray(230 * 215, char(meteo::rain::encode({meteo::rain::Fall::Rain, 30}))));
    QImage canvas(view.size(), QImage::Format_ARGB32_Premultiplied);
    view.render(&canvas);
    t.restart();
    constexpr int kPaints = 50;
    for (int i = 0; i < kPaints; ++i)
        view.render(&canvas);
    std::printf("rain map: one frame painted at 1280 x 800 in %.2f ms (target at most 10 ms)\n", double(t.nsecsElapsed()) / 1e6 / kPaints);

    // From the shortcut to the frame that holds now, against the local service; its frames made once
    // beforehand, as a service that has run for a while has them.
    svc.terminate();
    svc.waitForFinished(5000);
    svc.start(QCoreApplication::applicationDirPath() + QStringLiteral("/meteo-service"), {QStringLiteral("--port"), QString::number(port)});
    svc.waitForReadyRead(5000);
    {
        QTcpSocket warm;
        warm.connectToHost(QHostAddress::LocalHost, port);
        warm.waitForConnected(2000);
        const qint64 shown = map.index(QDateTime::currentDateTimeUtc()).frames[8];
        warm.write("GET /carte/pluie/" + QByteArray::number(shown) + " HTTP/1.1\r\nHost: x\r\n\r\n");
        waitFor([&warm] { return warm.bytesAvailable() > 0 && warm.readAll().contains("image/png"); }, 10000);
    }
    qputenv("METEO_SERVICE_HOST", "127.0.0.1:" + QByteArray::number(port));
    TForm1 w;
    w.show();
    wait(500);
    const qint64 before = statusKiB("VmRSS:");
    t.restart();
    w.Menus->PrevisionsCarte->trigger();
    meteo::FormCarte *window = w.Compagnons->Carte;
    waitFor([window] { return window->Carte->hasRain() || !window->Carte->gapText().isEmpty(); }, 10000);
    std::printf("rain map: the frame of now shown %.0f ms after the shortcut (target within 300 ms)\n", double(t.nsecsElapsed()) / 1e6);
    const int frames = int(window->downloads()->index().frames.size());
    waitFor([window, frames] {
        for (int i = 0; i < frames; ++i)
            if (window->downloads()->state(i) == meteo::RainMapDownload::Frame::Waiting)
                return false;
        return true;
    }, 120000);
    std::printf("rain map: the viewer's memory grew by %.1f MB with the map open and its %d frames in (target at most 40 MB)\n",
                double(statusKiB("VmRSS:") - before) / 1024, frames);
    svc.terminate();
    svc.waitForFinished(5000);
    return 0;
}
