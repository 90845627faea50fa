// SPDX-License-Identifier: GPL-2.0-or-later
// meteo-service [--port N] [--bind ADDR] [--source sim|open-meteo] [--upstream URL] [--air-upstream URL] [--cache-cities N]
// [--meteofrance-key-file FILE] [--vigilance-upstream URL] [--radar-upstream URL] [--pi-upstream URL]:
// answers the viewer's weather requests until SIGINT or SIGTERM.
#include "common/quitsignals.h"
#include "service/communes/communes.h"
#include "service/live/liverainmap.h"
#include "service/live/openmeteo.h"
#include "service/live/readerprocess.h"
#include "service/simulation/simulatedrainmap.h"
#include "service/simulation/simulation.h"
#include "service/live/vigilance.h"
#include "service/http/unavailablerainmap.h"
#include "service/http/weatherservice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <cstdio>

namespace {

// The help, in French as the rest of the service says things (Qt's own would be in English).
QString helpText(const QList<QCommandLineOption> &options)
{
    QString text = QStringLiteral("Utilisation : meteo-service [options]\n"
                                  "Service météo de la visionneuse Météo : il répond aux demandes de la visionneuse\n"
                                  "jusqu'à SIGINT ou SIGTERM.\n\nOptions :\n");
    for (const QCommandLineOption &o : options) {
        QString names;
        for (const QString &n : o.names())
            names += (names.isEmpty() ? QString() : QStringLiteral(", ")) + (n.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + n;
        if (!o.valueName().isEmpty())
            names += QStringLiteral(" <") + o.valueName() + u'>';
        text += QStringLiteral("  ") + names.leftJustified(30) + u' ' + o.description();
        if (!o.defaultValues().isEmpty())
            text += QStringLiteral(" (par défaut : ") + o.defaultValues().join(QStringLiteral(", ")) + u')';
        text += u'\n';
    }
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("meteo-service"));
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Affiche cette aide."));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port d'écoute."), QStringLiteral("N"),
                                  QString::number(METEO_SERVICE_PORT));
    const QCommandLineOption bind(QStringLiteral("bind"), QStringLiteral("Adresse d'écoute."), QStringLiteral("ADRESSE"),
                                  QStringLiteral("127.0.0.1"));
    const QCommandLineOption source(QStringLiteral("source"),
                                    QStringLiteral("Source de la météo : sim (simulation hors ligne) ou open-meteo (en direct)."),
                                    QStringLiteral("NOM"), QStringLiteral("sim"));
    const QCommandLineOption upstream(QStringLiteral("upstream"), QStringLiteral("Adresse de base de l'API d'Open-Meteo."),
                                      QStringLiteral("URL"), QStringLiteral("https://api.open-meteo.com"));
    const QCommandLineOption airUpstream(QStringLiteral("air-upstream"),
                                         QStringLiteral("Adresse de base de l'API de qualité de l'air d'Open-Meteo."), QStringLiteral("URL"));
    const QCommandLineOption cacheCities(QStringLiteral("cache-cities"),
                                         QStringLiteral("Source en direct : nombre de villes dont les bulletins sont gardés, au plus."),
                                         QStringLiteral("N"), QString::number(service::OpenMeteoSource::kDefaultMaxCities));
    // One key for every Météo-France API; the older name stays for the files that use it.
    const QCommandLineOption meteoFranceKey({QStringLiteral("meteofrance-key-file"), QStringLiteral("vigilance-key-file")},
                                            QStringLiteral("Fichier de la clé d'API de Météo-France (lisible par son seul propriétaire) : "
                                                           "vigilance, et carte des pluies en direct."),
                                            QStringLiteral("FICHIER"));
    const QCommandLineOption vigilanceUpstream(QStringLiteral("vigilance-upstream"), QStringLiteral("Adresse de base de DPVigilance."),
                                               QStringLiteral("URL"),
                                               QStringLiteral("https://public-api.meteofrance.fr/public/DPVigilance/v1"));
    const QCommandLineOption radarUpstream(QStringLiteral("radar-upstream"), QStringLiteral("Adresse de base de DPRadar."),
                                           QStringLiteral("URL"), QString::fromUtf8(service::LiveRainMap::Options().radarBase));
    const QCommandLineOption piUpstream(QStringLiteral("pi-upstream"), QStringLiteral("Adresse de base de la prévision immédiate AROME-PI."),
                                        QStringLiteral("URL"), QString::fromUtf8(service::LiveRainMap::Options().piBase));
    QCommandLineOption reader(QStringLiteral("lire"), QString(), QStringLiteral("FORMAT"));
    reader.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(reader);
    const QList<QCommandLineOption> options{help,        port,           bind,          source,           upstream,  airUpstream,
                                            cacheCities, meteoFranceKey, vigilanceUpstream, radarUpstream, piUpstream};
    parser.addOptions(options);
    if (!parser.parse(QCoreApplication::arguments())) {
        const QStringList unknown = parser.unknownOptionNames();
        std::fprintf(stderr, "meteo-service : %s\n%s", qPrintable(unknown.isEmpty() ? QStringLiteral("une option attend une valeur")
                                                                                   : QStringLiteral("option inconnue : ") + unknown.first()),
                     "meteo-service --help donne les options\n");
        return 2;
    }
    // The live map's reader, started by the service itself on each file (not in the help).
    if (parser.isSet(reader))
        return service::readerMain(parser.value(reader));
    if (parser.isSet(help)) {
        std::fputs(qPrintable(helpText(options)), stdout);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "meteo-service : argument inattendu : %s\n", qPrintable(parser.positionalArguments().first()));
        return 2;
    }

    std::unique_ptr<service::WeatherSource> weather;
    if (parser.value(source) == QStringLiteral("sim"))
        weather = std::make_unique<service::SimulatedSource>();
    else if (parser.value(source) == QStringLiteral("open-meteo")) {
        bool cacheOk = false;
        const int kept = parser.value(cacheCities).toInt(&cacheOk);
        if (!cacheOk || kept < 1) {
            std::fprintf(stderr, "meteo-service : --cache-cities attend un nombre de villes, 1 au moins\n");
            return 2;
        }
        auto live = std::make_unique<service::OpenMeteoSource>(parser.value(upstream).toUtf8(), parser.value(airUpstream).toUtf8());
        live->setMaxCities(kept);
        weather = std::move(live);
    }
    if (!weather) {
        std::fprintf(stderr, "meteo-service : source inconnue « %s » (sim ou open-meteo)\n", qPrintable(parser.value(source)));
        return 2;
    }
    bool portOk = false;
    const uint portNumber = parser.value(port).toUInt(&portOk);
    const QHostAddress address(parser.value(bind));
    if (!portOk || portNumber > 65535 || address.isNull()) {
        std::fprintf(stderr, "meteo-service : --port ou --bind illisible\n");
        return 2;
    }

    if (!address.isLoopback())
        std::fprintf(stderr, "meteo-service : attention : écoute sur %s, au-delà de cette machine. Le service est fait pour "
                             "se tenir derrière un serveur frontal comme nginx (share/meteo/nginx/meteo.conf), qui limite et "
                             "met en cache les demandes ; il ne se défend pas lui-même contre des clients nombreux ou hostiles.\n",
                     qPrintable(address.toString()));
    // Read once, before the first request waits for it; without communes there is nothing to serve.
    if (const auto &table = service::CommuneTable::loadShipped(); !table.ok()) {
        std::fprintf(stderr, "meteo-service : démarrage refusé : %s\n", table.error().text.constData());
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
    QByteArray key;
    if (parser.isSet(meteoFranceKey)) {
        const service::Result<QByteArray> read = service::readMeteoFranceKey(parser.value(meteoFranceKey));
        if (!read.ok()) {
            std::fprintf(stderr, "meteo-service : %s\n", read.error().text.constData());
            return 2;
        }
        key = read.value();
        vigilance = std::make_unique<service::VigilanceSource>(key, parser.value(vigilanceUpstream).toUtf8(), log);
        vigilance->start();
        server.setVigilance([source = vigilance.get()](const QByteArray &d, const QDateTime &now) { return source->at(d, now); });
    } else {
        log("vigilance: pas de clé (--meteofrance-key-file) : pas de vigilance de Météo-France"
            + QByteArray(parser.value(source) == QStringLiteral("sim") ? ", la simulation donne la sienne" : ""));
    }
    // The simulation's map agrees with the simulation's documents only. Beside live documents, the
    // map is Météo-France's radar and immediate forecast, read with the key; without one, the index
    // says there is no map rather than show another story.
    std::unique_ptr<service::RainMapSource> rainMap;
    if (parser.value(source) == QStringLiteral("sim")) {
        rainMap = std::make_unique<service::SimulatedRainMap>(service::CommuneTable::shipped());
    } else if (!key.isEmpty()) {
        service::LiveRainMap::Options o;
        o.key = key;
        o.readerProgram = QCoreApplication::applicationFilePath();
        o.radarBase = parser.value(radarUpstream).toUtf8();
        o.piBase = parser.value(piUpstream).toUtf8();
        o.log = log;
        auto live = std::make_unique<service::LiveRainMap>(std::move(o));
        live->start();
        rainMap = std::move(live);
    } else {
        log("carte des pluies : pas de clé (--meteofrance-key-file) : pas de carte en direct");
        rainMap = std::make_unique<service::UnavailableRainMap>();
    }
    server.setRainMap(rainMap.get());
    const quint16 listening = server.listen(address, quint16(portNumber));
    if (listening == 0) {
        std::fprintf(stderr, "meteo-service : écoute impossible sur %s:%u\n", qPrintable(address.toString()), portNumber);
        return 1;
    }
    std::fprintf(stderr, "meteo-service : source %s, à l'écoute sur %s:%u\n", weather->name().constData(),
                 qPrintable(address.toString()), listening);

    if (!meteo::callOnQuitSignal([] { QCoreApplication::quit(); }))
        return 1;
    const int code = app.exec();
    std::fprintf(stderr, "meteo-service : arrêté\n");
    return code;
}
