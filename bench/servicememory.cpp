// SPDX-License-Identifier: GPL-2.0-or-later
// meteo-bench citycache: the live source's memory after many distinct cities. A fake Open-Meteo on
// loopback answers every city with daily arrays of 20,000 entries (an upstream that sends far more
// than asked); the service is asked for 5,000 communes and its resident memory is read from /proc.
#include "service/communes/communes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimeZone>
#include <cstdio>

namespace {

QByteArray numbers(qint64 from, qint64 step, int count)
{
    QByteArray out = "[";
    for (int i = 0; i < count; ++i)
        out += (i ? "," : "") + QByteArray::number(from + step * i);
    return out + ']';
}

QByteArray repeated(const char *value, int count)
{
    QByteArray out = "[";
    for (int i = 0; i < count; ++i)
        out += (i ? "," : "") + QByteArray(value);
    return out + ']';
}

// An answer valid now for a commune of metropolitan France, with `days` daily entries.
QByteArray hugeAnswer(int days)
{
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const int offset = QTimeZone("Europe/Paris").offsetFromUtc(QDateTime::currentDateTimeUtc());
    const qint64 midnight = (now + offset) / 86400 * 86400 - offset, firstHour = now / 3600 * 3600 - 3 * 3600;
    const int hours = 9 * 24 + 6;
    QByteArray hourly = "\"time\":" + numbers(firstHour, 3600, hours);
    for (const char *name : {"pressure_msl", "visibility", "uv_index", "temperature_2m", "apparent_temperature",
                             "precipitation_probability", "precipitation", "weather_code", "wind_speed_10m",
                             "wind_gusts_10m", "wind_direction_10m"})
        hourly += ",\"" + QByteArray(name) + "\":" + repeated(qstrcmp(name, "pressure_msl") == 0 ? "1015" : "3", hours);
    QByteArray rises = "[", sets = "[";
    for (int d = 0; d < days; ++d) {
        rises += (d ? "," : "") + QByteArray::number(midnight + 86400 * d + 8 * 3600);
        sets += (d ? "," : "") + QByteArray::number(midnight + 86400 * d + 17 * 3600);
    }
    return "{\"utc_offset_seconds\":" + QByteArray::number(offset) + ",\"current\":{\"time\":" + QByteArray::number(now / 900 * 900)
           + ",\"temperature_2m\":6,\"apparent_temperature\":4,\"relative_humidity_2m\":80,\"is_day\":1,\"weather_code\":2,"
             "\"pressure_msl\":1015,\"wind_speed_10m\":12,\"wind_direction_10m\":200,\"wind_gusts_10m\":25},\"hourly\":{"
           + hourly + "},\"daily\":{\"time\":" + numbers(midnight, 86400, days) + ",\"weather_code\":" + repeated("2", days)
           + ",\"temperature_2m_max\":" + repeated("10", days) + ",\"temperature_2m_min\":" + repeated("2", days)
           + ",\"sunrise\":" + rises + "],\"sunset\":" + sets + "]},\"minutely_15\":{\"time\":"
           + numbers(now / 900 * 900 - 1800, 900, 12) + ",\"precipitation\":" + repeated("0", 12) + "}}";
}

} // namespace

// A field of /proc/<pid>/status, in KiB (the live map's part uses it too).
qint64 statusOf(qint64 pid, const char *field)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    f.open(QIODevice::ReadOnly);
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    return -1;
}


// `count` communes of metropolitan France, the most populated of each initial first.
QList<QByteArray> distinctCommunes(int count)
{
    QList<QByteArray> codes;
    for (char letter = 'a'; letter <= 'z' && codes.size() < count; ++letter)
        for (const service::City *c : service::CommuneTable::shipped().search(QString(QLatin1Char(letter)), 100000))
            if ((!c->department.startsWith('9') || c->department.size() == 2) && codes.size() < count)
                codes << c->code;
    return codes;
}

int serviceMemory(quint16 servicePort, int cities)
{
    const QByteArray body = hugeAnswer(20000);
    const QByteArray answer = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
                              + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    QTcpServer upstream;
    upstream.listen(QHostAddress::LocalHost);
    QObject::connect(&upstream, &QTcpServer::newConnection, &upstream, [&] {
        while (QTcpSocket *s = upstream.nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(s, &QTcpSocket::readyRead, s, [s, buffer, &answer] {
                *buffer += s->readAll();
                for (qsizetype end; (end = buffer->indexOf("\r\n\r\n")) >= 0; buffer->remove(0, end + 4))
                    s->write(answer);
            });
        }
    });
    const QList<QByteArray> codes = distinctCommunes(cities);

    QProcess svc;
    svc.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    svc.start(QCoreApplication::applicationDirPath() + QStringLiteral("/meteo-service"),
              {QStringLiteral("--port"), QString::number(servicePort), QStringLiteral("--source"), QStringLiteral("open-meteo"),
               QStringLiteral("--upstream"), QStringLiteral("http://127.0.0.1:%1").arg(upstream.serverPort())});
    svc.waitForStarted(5000);
    svc.waitForReadyRead(5000);  // its "listening" line
    QNetworkAccessManager client;
    int next = 0, done = 0, ok = 0;
    QElapsedTimer t;
    t.start();
    std::function<void()> ask = [&] {
        const QByteArray code = codes[next++];
        QNetworkReply *r = client.get(QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/weather/local/%2?dayf=9")
                                                               .arg(servicePort).arg(QString::fromLatin1(code)))));
        QObject::connect(r, &QNetworkReply::finished, r, [&, r] {
            ok += r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200;
            ++done;
            r->deleteLater();
            if (next < codes.size())
                ask();
        });
    };
    for (int i = 0; i < 4 && next < codes.size(); ++i)
        ask();
    while (done < codes.size())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    std::printf("live source, %lld distinct cities (%lld answered 200) from an upstream of %lld KB with 20,000 days each, in %.0f s: "
                "service resident %lld KiB now, %lld KiB at its peak\n",
                qint64(codes.size()), qint64(ok), qint64(body.size() / 1000), t.elapsed() / 1000.0,
                statusOf(svc.processId(), "VmRSS:"), statusOf(svc.processId(), "VmHWM:"));
    svc.terminate();
    svc.waitForFinished(5000);
    return 0;
}
