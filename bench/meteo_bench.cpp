// SPDX-License-Identifier: GPL-2.0-or-later
// meteo-bench refresh|hostile|memory|service|citycache|near|overview|serve: prints what one refresh, many downloads and the service
// cost on this machine. Run from the build's bin folder (the viewer's data files are there).
#include "app/model/citylist.h"
#include "app/model/cityweather.h"
#include "app/fetch/overviewdownloads.h"
#include "app/widgets/errorreport.h"
#include "app/mainwindow/form1.h"
#include "app/windows/formheures.h"
#include "app/windows/formprevisions.h"
#include "service/communes/nearindex.h"
#include "service/simulation/simulation.h"
#include "weather/cityreport.h"
#include "weather/extraction.h"
#include "weather/namevaluelist.h"
#include "weather/translation.h"
#include "weather/xmlshape.h"

#include <QApplication>
#include <QDomDocument>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimeZone>
#include <QTimer>
#include <cstdio>

QList<QByteArray> distinctCommunes(int count);  // servicememory.cpp

namespace {

QByteArray nineDayDocument()
{
    const QDateTime now(QDate(2026, 12, 6), QTime(14, 52), QTimeZone::utc());
    return service::toXml(service::simulate(*service::findCity("FR75056"), now), 9);
}

} // namespace

qint64 statusKiB(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    f.open(QIODevice::ReadOnly);
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    return -1;
}

namespace {

// What a download costs once its body is whole: the check (the one parse and the 22 lookups), the
// refresh of the window and the city's report for everything that follows it; then each window's
// presentation of a new report.
int refresh()
{
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/weather.xml");
    QFile out(path);
    const QByteArray doc = nineDayDocument();
    out.open(QIODevice::WriteOnly);
    out.write(doc);
    out.close();
    meteo::ErrorReport report;
    TForm1 w;
    meteo::NameValueList dictionary;
    dictionary.loadFromFile(QCoreApplication::applicationDirPath() + QStringLiteral("/Dictionnaire.ini"));
    const meteo::Translator traduire = [&dictionary](const QByteArray &p) { return meteo::translate(p, dictionary); };
    meteo::CityWeather city("FR75056");
    const auto download = [&] {
        w.Document = meteo::checkWeatherDocument(doc, path);
        w.Mise_A_Jour();
        city.receive(meteo::readCityReport(*w.Document.document, w.CondMeteo, traduire, QDateTime::currentDateTime()));
    };
    download();  // warm: fonts, image plugin
    constexpr int kRounds = 300;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < kRounds; ++i)
        download();
    const double refreshUs = t.nsecsElapsed() / 1000.0 / kRounds;
    t.restart();
    for (int i = 0; i < kRounds * 10; ++i) {
        QDomDocument parsed;
        parsed.setContent(doc);
    }
    const double parseUs = t.nsecsElapsed() / 1000.0 / (kRounds * 10);
    std::printf("check, refresh and report of a nine-day document (%lld bytes): %.0f us; one parse: %.1f us; ratio %.1f\n",
                qint64(doc.size()), refreshUs, parseUs, refreshUs / parseUs);
    std::printf("label 1 shows: %s\n", qPrintable(w.label(1)->text()));
    const std::shared_ptr<const meteo::CityReport> latest = city.report();
    meteo::FormPrevisions forecast(&w);
    forecast.follow(&city);
    t.restart();
    for (int i = 0; i < kRounds; ++i)
        city.receive(std::make_shared<meteo::CityReport>(*latest));
    const double forecastUs = t.nsecsElapsed() / 1000.0 / kRounds;
    std::printf("forecast window on a new report (nine rows, 18 icons): %.0f us; ratio to one parse %.1f\n", forecastUs,
                forecastUs / parseUs);
    forecast.follow(nullptr);
    // The 48-hour window: a new report presented, and one paint of the whole window.
    meteo::FormHeures hours(&w);
    hours.follow(&city);
    QImage canvas(hours.size(), QImage::Format_ARGB32_Premultiplied);
    t.restart();
    for (int i = 0; i < kRounds; ++i) {
        city.receive(std::make_shared<meteo::CityReport>(*latest));
        hours.render(&canvas);
    }
    std::printf("48-hour window on a new report, and its paint: %.2f ms (target under 10 ms)\n", t.nsecsElapsed() / 1e6 / kRounds);
    return 0;
}

// Bodies just under the download cap, shaped to slow the reader down: each is refreshed (or
// refused) through the window as a downloaded one would be, and the slowest time is what counts.
int hostile()
{
    // Just under the size the document model is given at all; larger bodies are refused by size.
    constexpr qsizetype kCap = meteo::XmlShapeLimits().bytes - 1024;
    auto fill = [](QByteArray head, const QByteArray &unit, const QByteArray &tail) {
        while (head.size() + unit.size() + tail.size() < kCap)
            head += unit;
        return head + tail;
    };
    auto attributes = [](const QByteArray &open, int count, const QByteArray &close) {
        QByteArray e = open;
        for (int i = 0; i < count; ++i)
            e += " a" + QByteArray::number(i) + "=''";
        return e + close;
    };
    const auto utf16 = [](const QString &text, QStringConverter::Encoding e, bool bom) {
        QStringEncoder encoder(e, bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
        return QByteArray(encoder.encode(text));
    };
    const QString declaration = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?><weather x=\"✢\">");
    const QString deep = declaration + QStringLiteral("<a>").repeated(30000) + QStringLiteral("</a>").repeated(30000)
                         + QStringLiteral("</weather>");
    const QString wide = declaration + QString::fromLatin1(attributes("<head", 35000, "/>")) + QStringLiteral("</weather>");
    const QList<std::pair<const char *, QByteArray>> shapes{
        {"20,000 levels", "<weather><head>" + QByteArray("<a>").repeated(20000) + "</weather>"},
        {"1 MiB of levels", fill("<weather>", "<a>", "</weather>")},
        {"40,000 attributes", attributes("<weather><head", 40000, "/></weather>")},
        {"1 MiB of empty elements", fill("<weather>", "<a/>", "</weather>")},
        {"1 MiB of 60-level towers", fill("<weather>", QByteArray("<b>").repeated(59) + QByteArray("</b>").repeated(59), "</weather>")},
        {"1 MiB of 60-attribute elements", fill("<weather>", attributes("<e", 60, "/>"), "</weather>")},
        {"1,650 elements of 60 attributes", "<weather>" + attributes("<e", 60, "/>").repeated(1650) + "</weather>"},
        {"1 MiB of text", fill("<weather><cc><t>", "x", "</t></cc></weather>")},
        {"1 MiB comment then the document", fill("<!--", "x", "-->" + nineDayDocument().mid(nineDayDocument().indexOf("<weather")))},
        // Read as bytes, the second byte of U+2722 is a quote that hides the rest from a byte scan.
        {"UTF-16LE with BOM, 30,000 levels", utf16(deep, QStringConverter::Utf16LE, true)},
        {"UTF-16BE without BOM, 30,000 levels", utf16(deep, QStringConverter::Utf16BE, false)},
        {"UTF-16LE, 35,000 attributes", utf16(wide, QStringConverter::Utf16LE, true)},
        {"UTF-32LE, 30,000 levels", utf16(deep, QStringConverter::Utf32LE, false)},
        {"8 MiB of text", QByteArray("<weather><cc><t>") + QByteArray(8 * 1024 * 1024 - 2048, 'x') + "</t></cc></weather>"},
    };
    meteo::ErrorReport report;
    report.setDialogsShown(false);
    TForm1 w;
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/weather.xml");
    double worst = 0;
    for (const auto &[name, body] : shapes) {
        QFile::remove(path);
        const int reports = report.count();
        QElapsedTimer t;
        t.start();
        // What a download does with the body: checked, then stored and shown if it passes.
        meteo::atEventBoundary("bench", [&] {
            meteo::CheckedDocument checked = meteo::checkWeatherDocument(body, path);
            QFile out(path);
            if (out.open(QIODevice::WriteOnly))
                out.write(body);
            out.close();
            w.Document = std::move(checked);
            w.Mise_A_Jour();
        });
        const double ms = t.nsecsElapsed() / 1e6;
        worst = std::max(worst, ms);
        std::printf("  %-34s %9lld bytes: %7.1f ms (%s)\n", name, qint64(body.size()), ms,
                    report.count() == reports ? "shown" : qPrintable(report.lastMessage().section(QStringLiteral(": "), 1)));
        std::fflush(stdout);
    }
    std::printf("hostile bodies under the cap: slowest refresh or refusal %.1f ms (target under 100 ms)\n", worst);
    return 0;
}

// A server in a child process, so that its buffers are not counted in the viewer's memory.
int serve(quint16 port, qint64 padding)
{
    QByteArray body = nineDayDocument();
    if (padding > 0)
        body.insert(body.indexOf("<weather"), "<!--" + QByteArray(padding, 'x') + "-->\n");
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, port))
        return 1;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *s = server.nextPendingConnection())
            QObject::connect(s, &QTcpSocket::readyRead, s, [s, &body] {
                if (!s->readAll().contains("\r\n\r\n"))
                    return;
                s->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n");
                s->write(body);
            });
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

std::unique_ptr<QProcess> startServer(quint16 port, qint64 padding)
{
    auto p = std::make_unique<QProcess>();
    p->start(QCoreApplication::applicationFilePath(),
             {QStringLiteral("serve"), QString::number(port), QString::number(padding)});
    p->waitForReadyRead(5000);
    return p;
}

} // namespace

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

namespace {

bool download(TForm1 &w, const QByteArray &code)
{
    w.label(1)->clear();
    w.Request(code);
    QElapsedTimer t;
    t.start();
    while (w.label(1)->text().isEmpty() && t.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return !w.label(1)->text().isEmpty();
}

int memory()
{
    meteo::ErrorReport report;
    report.setDialogsShown(false);
    const quint16 port = freePort(), bigPort = freePort() + 1;
    auto server = startServer(port, 0);
    auto big = startServer(bigPort, 8 * 1024 * 1024 - 16 * 1024);  // just under the client's cap
    TForm1 w;
    w.setServiceHost("127.0.0.1:" + QByteArray::number(port));
    download(w, "FR75056");
    const qint64 base = statusKiB("VmHWM:");
    int ok = 0;
    for (int i = 0; i < 100; ++i)
        ok += download(w, "FR75056");
    const qint64 after100 = statusKiB("VmHWM:");
    w.setServiceHost("127.0.0.1:" + QByteArray::number(bigPort));
    const bool bigOk = download(w, "FR75056");
    const qint64 afterBig = statusKiB("VmHWM:");
    std::printf("peak resident memory: %lld KiB after the first download, %lld KiB after 100 more (%d shown), "
                "growth %lld KiB; %lld KiB after one 8 MiB body (%s)\n",
                base, after100, ok, after100 - base, afterBig, bigOk ? "shown" : "not shown");
    for (QProcess *p : {server.get(), big.get()}) {
        p->terminate();
        p->waitForFinished(5000);
    }
    return 0;
}

// Answers per second from a server on `port`: four keep-alive clients, each sending its next request
// as soon as an answer is whole (and connecting again when the server closes), for 3 s.
// Answers per second from 4 keep-alive clients over 3 s: all for Paris (the service's rendered
// answers), or, with `codes`, each for the next commune (a new simulation every time).
double rate(quint16 port, const QList<QByteArray> &codes = {})
{
    constexpr int kClients = 4;
    qsizetype next = 0;
    QByteArray request;
    const auto nextRequest = [&]() -> const QByteArray & {
        const QByteArray code = codes.isEmpty() ? QByteArray("FR75056") : codes[next++ % codes.size()];
        request = "GET /weather/local/" + code + "?r&cc=*&unit=m&dayf=9 HTTP/1.1\r\nHost: x\r\n\r\n";
        return request;
    };
    int answers = 0;
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    std::vector<QByteArray> pending(kClients);
    for (int i = 0; i < kClients; ++i) {
        clients.push_back(std::make_unique<QTcpSocket>());
        QTcpSocket *s = clients.back().get();
        QObject::connect(s, &QTcpSocket::readyRead, s, [s, &pending, i, &answers, &nextRequest] {
            QByteArray &got = pending[size_t(i)];
            got += s->readAll();
            for (qsizetype end; (end = got.indexOf("</weather>\n")) >= 0;) {
                got.remove(0, end + 11);
                ++answers;
                s->write(nextRequest());
            }
        });
        QObject::connect(s, &QTcpSocket::connected, s, [s, &nextRequest] { s->write(nextRequest()); });
        QObject::connect(s, &QTcpSocket::disconnected, s, [s, &pending, i, port] {
            pending[size_t(i)].clear();
            s->connectToHost(QHostAddress::LocalHost, port);
        }, Qt::QueuedConnection);
        s->connectToHost(QHostAddress::LocalHost, port);
    }
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return answers * 1000.0 / t.elapsed();
}

int serviceRate()
{
    const quint16 port = freePort();
    QProcess svc;
    svc.start(QCoreApplication::applicationDirPath() + QStringLiteral("/meteo-service"),
              {QStringLiteral("--port"), QString::number(port)});
    svc.waitForReadyRead(5000);
    std::printf("service: %.0f answers per second for one city over loopback (4 clients)\n", rate(port));
    std::printf("service: %.0f answers per second for distinct communes (a simulation each)\n", rate(port, distinctCommunes(5000)));
    svc.terminate();
    svc.waitForFinished(5000);
    return 0;
}

// "Mes villes" against a local service: the time until 50 of the list's cities are shown, then
// until 1,000 are, and the viewer's memory with their 1,000 reports in it.
int overview()
{
    const quint16 port = freePort();
    QProcess svc;
    svc.start(QCoreApplication::applicationDirPath() + QStringLiteral("/meteo-service"), {QStringLiteral("--port"), QString::number(port)});
    svc.waitForReadyRead(5000);
    QByteArray villes;
    for (const QByteArray &code : distinctCommunes(1000))
        villes += "Ville " + code + '=' + code + '\n';
    meteo::CityList cities;
    cities.setBytes(villes);
    meteo::OverviewDownloads downloads(&cities, "127.0.0.1:" + QByteArray::number(port));
    QElapsedTimer t;
    double fifty = 0;
    QObject::connect(&downloads, &meteo::OverviewDownloads::progress, [&](int done, int) {
        if (done >= 50 && fifty == 0)
            fifty = t.nsecsElapsed() / 1e6;
    });
    t.start();
    downloads.downloadAll({});
    while (downloads.done() < downloads.total() && t.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    int received = 0;
    for (int row = 0; row < cities.count(); ++row)
        received += bool(cities.weather(cities.valueAt(row))->report());
    std::printf("Mes villes: 50 cities shown in %.0f ms, %d of 1000 in %.1f s; viewer memory %lld KiB resident, %lld KiB peak "
                "(target under 150 MB)\n", fifty, received, t.nsecsElapsed() / 1e9, statusKiB("VmRSS:"), statusKiB("VmHWM:"));
    svc.terminate();
    svc.waitForFinished(5000);
    return 0;
}

// The nearest communes of points drawn over the metropolis, one core: look-ups per second.
int near()
{
    const service::CommuneTable &table = service::CommuneTable::shipped();
    QRandomGenerator random(7);
    QList<std::pair<double, double>> points;
    for (int i = 0; i < 100000; ++i)
        points.append({42.3 + random.generateDouble() * 8.8, -4.8 + random.generateDouble() * 13});
    qsizetype found = 0;
    QElapsedTimer t;
    t.start();
    for (int round = 0; round < 5; ++round)
        for (const auto &[lat, lon] : points)
            found += table.nearest(lat, lon).size();
    const double seconds = t.nsecsElapsed() / 1e9;
    std::printf("nearest communes: %.0f look-ups per second on one core (%.1f found each; target at least 200,000)\n",
                5 * points.size() / seconds, double(found) / (5 * points.size()));
    return 0;
}

// A long dictionary (30,000 lines, as an export or a mistake makes one): the time to translate the
// phrases of one refresh must grow with its length, not its square.
int dictionary()
{
    QByteArray text;
    for (int i = 0; i < 30000; ++i)
        text += "Phrase number " + QByteArray::number(i) + "=Phrase numéro " + QByteArray::number(i) + '\n';
    text += "Partly Cloudy=Partiellement nuageux\nRising=En hausse\n";
    meteo::NameValueList list;
    QElapsedTimer timer;
    timer.start();
    list.loadFromBytes(text);
    const qint64 load = timer.elapsed();
    for (int i = 0; i < 20; ++i)  // the phrases of a refresh: the sky, the tendency, the nine days
        meteo::translate(i % 2 ? "Partly Cloudy" : "Rising", list);
    std::printf("dictionary of 30,000 lines: read in %lld ms, 20 phrases translated in %lld ms (target under 1 s)\n",
                static_cast<long long>(load), static_cast<long long>(timer.elapsed() - load));
    return 0;
}

} // namespace

int serviceMemory(quint16 servicePort, int cities);  // servicememory.cpp
int carte();                                          // rainmapbench.cpp
int portal(quint16 port);                             // livemapbench.cpp
QList<QByteArray> distinctCommunes(int count);        // servicememory.cpp

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString what = args.value(1);
    if (what == QStringLiteral("refresh"))
        return refresh();
    if (what == QStringLiteral("hostile"))
        return hostile();
    if (what == QStringLiteral("memory"))
        return memory();
    if (what == QStringLiteral("service"))
        return serviceRate();
    if (what == QStringLiteral("citycache"))
        return serviceMemory(freePort(), args.size() > 2 ? args.value(2).toInt() : 5000);
    if (what == QStringLiteral("rate")) {  // rate PORT [distinct]
        std::printf("%.0f\n", rate(quint16(args.value(2).toUInt()), args.value(3) == QStringLiteral("distinct") ? distinctCommunes(5000) : QList<QByteArray>{}));
        return 0;
    }
    if (what == QStringLiteral("near"))
        return near();
    if (what == QStringLiteral("overview"))
        return overview();
    if (what == QStringLiteral("dictionary"))
        return dictionary();
    if (what == QStringLiteral("carte"))
        return carte();
    if (what == QStringLiteral("portail"))
        return portal(quint16(args.value(2).toUInt()));
    if (what == QStringLiteral("serve"))
        return serve(quint16(args.value(2).toUInt()), args.value(3).toLongLong());
    std::fprintf(stderr, "usage: meteo-bench refresh|hostile|memory|service|citycache|near|overview|dictionary|carte|portail PORT\n");
    return 2;
}
