// meteo-service [--port N] [--bind ADDR] [--source sim|open-meteo] [--upstream URL] [--air-upstream URL] [--cache-cities N]
// [--vigilance-key-file FILE] [--vigilance-upstream URL]:
// answers the viewer's weather requests until SIGINT or SIGTERM.
#include "common/quitsignals.h"
#include "service/communes.h"
#include "service/openmeteo.h"
#include "service/simulation.h"
#include "service/vigilance.h"
#include "service/weatherservice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("meteo-service"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Weather service of the Météo viewer."));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port to listen on."), QStringLiteral("N"),
                                  QString::number(METEO_SERVICE_PORT));
    const QCommandLineOption bind(QStringLiteral("bind"), QStringLiteral("Address to listen on."), QStringLiteral("ADDR"),
                                  QStringLiteral("127.0.0.1"));
    const QCommandLineOption source(QStringLiteral("source"),
                                    QStringLiteral("Weather source: sim (offline simulation) or open-meteo (live)."),
                                    QStringLiteral("NAME"), QStringLiteral("sim"));
    const QCommandLineOption upstream(QStringLiteral("upstream"), QStringLiteral("Base URL of the Open-Meteo API."),
                                      QStringLiteral("URL"), QStringLiteral("https://api.open-meteo.com"));
    const QCommandLineOption airUpstream(QStringLiteral("air-upstream"), QStringLiteral("Base URL of the Open-Meteo air-quality API."),
                                         QStringLiteral("URL"));
    const QCommandLineOption cacheCities(QStringLiteral("cache-cities"),
                                         QStringLiteral("Live source: how many cities' reports are kept at most."),
                                         QStringLiteral("N"), QString::number(service::OpenMeteoSource::kDefaultMaxCities));
    const QCommandLineOption vigilanceKey(QStringLiteral("vigilance-key-file"),
                                          QStringLiteral("File holding the Météo-France API key (readable by its owner alone)."),
                                          QStringLiteral("FILE"));
    const QCommandLineOption vigilanceUpstream(QStringLiteral("vigilance-upstream"), QStringLiteral("Base URL of DPVigilance."),
                                               QStringLiteral("URL"),
                                               QStringLiteral("https://public-api.meteofrance.fr/public/DPVigilance/v1"));
    parser.addOptions({port, bind, source, upstream, airUpstream, cacheCities, vigilanceKey, vigilanceUpstream});
    parser.process(app);

    std::unique_ptr<service::WeatherSource> weather;
    if (parser.value(source) == QStringLiteral("sim"))
        weather = std::make_unique<service::SimulatedSource>();
    else if (parser.value(source) == QStringLiteral("open-meteo")) {
        bool cacheOk = false;
        const int kept = parser.value(cacheCities).toInt(&cacheOk);
        if (!cacheOk || kept < 1) {
            std::fprintf(stderr, "meteo-service: bad --cache-cities\n");
            return 2;
        }
        auto live = std::make_unique<service::OpenMeteoSource>(parser.value(upstream).toUtf8(), parser.value(airUpstream).toUtf8());
        live->setMaxCities(kept);
        weather = std::move(live);
    }
    if (!weather) {
        std::fprintf(stderr, "meteo-service: unknown source '%s'\n", qPrintable(parser.value(source)));
        return 2;
    }
    bool portOk = false;
    const uint portNumber = parser.value(port).toUInt(&portOk);
    const QHostAddress address(parser.value(bind));
    if (!portOk || portNumber > 65535 || address.isNull()) {
        std::fprintf(stderr, "meteo-service: bad --port or --bind\n");
        return 2;
    }

    if (!address.isLoopback())
        std::fprintf(stderr, "meteo-service: warning: listening on %s, beyond this machine. The service is meant to sit "
                             "behind a front server such as nginx (share/meteo/nginx/meteo.conf), which limits and "
                             "caches requests; it does not defend itself against many or hostile clients.\n",
                     qPrintable(address.toString()));
    // Read once, before the first request waits for it; without communes there is nothing to serve.
    if (const auto &table = service::CommuneTable::loadShipped(); !table.ok()) {
        std::fprintf(stderr, "meteo-service: refusing to start: %s\n", table.error().text.constData());
        return 1;
    }
    service::WeatherService server(*weather);
    // The vigilance map, read with the key alone: without one, the live source has no section and the
    // simulation keeps its own warnings.
    std::unique_ptr<service::VigilanceSource> vigilance;
    const auto log = [](const QByteArray &line) {
        std::fprintf(stderr, "%s\n", line.constData());
        std::fflush(stderr);
    };
    if (parser.isSet(vigilanceKey)) {
        const service::Result<QByteArray> key = service::readVigilanceKey(parser.value(vigilanceKey));
        if (!key.ok()) {
            std::fprintf(stderr, "meteo-service: %s\n", key.error().text.constData());
            return 2;
        }
        vigilance = std::make_unique<service::VigilanceSource>(key.value(), parser.value(vigilanceUpstream).toUtf8(), log);
        vigilance->start();
        server.setVigilance(vigilance.get());
    } else {
        log("vigilance: pas de clé (--vigilance-key-file) : pas de vigilance de Météo-France"
            + QByteArray(parser.value(source) == QStringLiteral("sim") ? ", la simulation donne la sienne" : ""));
    }
    const quint16 listening = server.listen(address, quint16(portNumber));
    if (listening == 0) {
        std::fprintf(stderr, "meteo-service: cannot listen on %s:%u\n", qPrintable(address.toString()), portNumber);
        return 1;
    }
    std::fprintf(stderr, "meteo-service: %s source, listening on %s:%u\n", weather->name().constData(),
                 qPrintable(address.toString()), listening);

    if (!meteo::callOnQuitSignal([] { QCoreApplication::quit(); }))
        return 1;
    const int code = app.exec();
    std::fprintf(stderr, "meteo-service: stopped\n");
    return code;
}
