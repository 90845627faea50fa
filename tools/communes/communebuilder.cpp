#include "communebuilder.h"

#include "service/searchkey.h"

#include <QHash>
#include <QString>

namespace service {
namespace {

struct Mean {
    double latitude = 0, longitude = 0;
    int count = 0;
    void add(double la, double lo) { latitude += la; longitude += lo; ++count; }
    std::pair<double, double> value() const { return {latitude / count, longitude / count}; }
};

QByteArray key(const QByteArray &department, const QByteArray &name)
{
    return department + '|' + searchKey(QString::fromUtf8(name));
}

} // namespace

BuiltTable buildCommuneTable(const QList<CommuneEntry> &communes, const QList<GeoPlace> &places)
{
    QHash<QByteArray, const GeoPlace *> byName;
    QHash<QByteArray, Mean> territory;  // every place of a department, for one where no name matches
    for (const GeoPlace &p : places) {
        byName.insert(key(p.department, p.name), &p);  // a name twice in one department: the last wins
        territory[p.department].add(p.latitude, p.longitude);
    }

    QList<const GeoPlace *> match(communes.size(), nullptr);
    QHash<QByteArray, Mean> byArrondissement, byDepartment;
    for (qsizetype i = 0; i < communes.size(); ++i) {
        const CommuneEntry &c = communes[i];
        match[i] = byName.value(key(c.department, c.name));
        if (match[i]) {
            byArrondissement[c.department + c.arrondissement].add(match[i]->latitude, match[i]->longitude);
            byDepartment[c.department].add(match[i]->latitude, match[i]->longitude);
        }
    }
    BuiltTable out;
    for (qsizetype i = 0; i < communes.size(); ++i) {
        const CommuneEntry &c = communes[i];
        std::pair<double, double> at;
        if (match[i]) {
            at = {match[i]->latitude, match[i]->longitude};
            ++out.matched;
        } else {
            Mean around = byArrondissement.value(c.department + c.arrondissement);
            for (const Mean &wider : {byDepartment.value(c.department), territory.value(c.department)})
                around = around.count ? around : wider;
            if (around.count == 0) {
                out.unplaced << c.code + ' ' + c.name;
                continue;
            }
            at = around.value();
            ++out.approximate;
        }
        out.tsv += c.code + '\t' + c.name + '\t' + c.department + '\t' + c.postalCodes + '\t'
                   + QByteArray::number(c.population) + '\t' + QByteArray::number(at.first, 'f', 4) + '\t'
                   + QByteArray::number(at.second, 'f', 4) + '\t' + (match[i] ? '0' : '1') + '\n';
    }
    return out;
}

} // namespace service
