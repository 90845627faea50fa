// SPDX-License-Identifier: GPL-2.0-or-later
#include "communebuilder.h"

#include "overseasseats.h"
#include "service/communes/searchkey.h"

#include <QHash>
#include <QString>
#include <algorithm>
#include <cmath>
#include <optional>

namespace service {
namespace {

constexpr double kNamesakeKm = 20;

struct Mean {
    double latitude = 0, longitude = 0, altitude = 0;
    int count = 0, altitudes = 0;
    void add(double la, double lo, std::optional<int> alt, int times = 1)
    {
        latitude += times * la;
        longitude += times * lo;
        count += times;
        if (alt) {
            altitude += times * *alt;
            altitudes += times;
        }
    }
    std::pair<double, double> value() const { return {latitude / count, longitude / count}; }
    int meanAltitude() const { return altitudes > 0 ? int(std::lround(altitude / altitudes)) : 0; }
};

QByteArray key(const QByteArray &department, const QByteArray &name)
{
    return department + '|' + searchKey(QString::fromUtf8(name));
}

struct Position {
    double latitude = 0, longitude = 0;
    Placed step = Placed::ByCode;
    int altitude = 0;
    char altitudeSource = 'm';
};

Position at(const GeoPlace &p, Placed step, const std::optional<Position> &around)
{
    if (p.altitude)
        return {p.latitude, p.longitude, step, *p.altitude, p.altitudeSource};
    return {p.latitude, p.longitude, step, around ? around->altitude : 0, 'm'};
}

// Step 3's means over the communes placed by their code.
class Neighbours {
public:
    Neighbours(const QList<CommuneEntry> &communes, const QList<const GeoPlace *> &byCode, const QList<GeoPlace> &places)
    {
        for (const GeoPlace &p : places)
            territory_[p.department].add(p.latitude, p.longitude, p.altitude);
        for (qsizetype i = 0; i < communes.size(); ++i)
            if (const GeoPlace *p = byCode[i])
                add(communes[i], p->latitude, p->longitude, p->altitude, 1);
    }

    // Where step 3 puts `c`; `self`, when given, is taken out first (the leave-one-out estimate).
    std::optional<Position> estimate(const CommuneEntry &c, const GeoPlace *self = nullptr)
    {
        if (self)
            add(c, self->latitude, self->longitude, self->altitude, -1);
        Mean postal;
        for (const QByteArray &cp : c.postalCodes.split(','))
            if (const Mean m = byPostalCode_.value(cp); m.count > 0)
                postal.add(m.latitude / m.count, m.longitude / m.count, m.altitudes > 0 ? std::optional<int>(m.meanAltitude()) : std::nullopt);
        std::optional<Position> out;
        const std::pair<Mean, Placed> tries[] = {{postal, Placed::ByPostalCode},
                                                 {byArrondissement_.value(c.department + c.arrondissement), Placed::ByArrondissement},
                                                 {byDepartment_.value(c.department), Placed::ByDepartment},
                                                 {territory_.value(c.department), Placed::ByTerritory}};
        for (const auto &[mean, step] : tries)
            if (!out && mean.count > 0)
                out = Position{mean.value().first, mean.value().second, step, mean.meanAltitude(), 'm'};
        if (self)
            add(c, self->latitude, self->longitude, self->altitude, 1);
        return out;
    }

private:
    void add(const CommuneEntry &c, double la, double lo, std::optional<int> alt, int times)
    {
        for (const QByteArray &cp : c.postalCodes.split(','))
            byPostalCode_[cp].add(la, lo, alt, times);
        byArrondissement_[c.department + c.arrondissement].add(la, lo, alt, times);
        byDepartment_[c.department].add(la, lo, alt, times);
    }
    QHash<QByteArray, Mean> byPostalCode_, byArrondissement_, byDepartment_, territory_;
};

double quantile(QList<double> values, double q)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[qMin(values.size() - 1, qsizetype(q * double(values.size())))];
}

} // namespace

double distanceKm(double lat1, double lon1, double lat2, double lon2)
{
    constexpr double radians = M_PI / 180, earthKm = 6371.0;
    const double dLat = (lat2 - lat1) * radians, dLon = (lon2 - lon1) * radians;
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2)
                     + std::cos(lat1 * radians) * std::cos(lat2 * radians) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * earthKm * std::asin(std::sqrt(qMin(1.0, a)));
}

BuiltTable buildCommuneTable(const QList<CommuneEntry> &communes, const QList<GeoPlace> &places)
{
    QHash<QByteArray, const GeoPlace *> byCommune, byName;
    for (const GeoPlace &p : places) {
        if (const GeoPlace *&best = byCommune[p.commune]; !p.commune.isEmpty() && (!best || p.population > best->population))
            best = &p;
        byName.insert(key(p.department, p.name), &p);  // a name twice in one department: the last wins
    }
    byCommune.remove(QByteArray());
    QList<const GeoPlace *> byCode(communes.size(), nullptr);
    for (qsizetype i = 0; i < communes.size(); ++i)
        byCode[i] = byCommune.value(communes[i].code);
    Neighbours neighbours(communes, byCode, places);

    BuiltTable out;
    QList<double> errors;
    for (qsizetype i = 0; i < communes.size(); ++i) {
        const CommuneEntry &c = communes[i];
        std::optional<Position> at;
        if (const GeoPlace *p = byCode[i]) {
            const std::optional<Position> guess = neighbours.estimate(c, p);
            at = ::service::at(*p, Placed::ByCode, guess);
            if (guess)
                errors << distanceKm(p->latitude, p->longitude, guess->latitude, guess->longitude);
        } else if (placedBySeat(c.department)) {
            // Anywhere in the territory: Polynesia spans 2,000 km, and no mean of it is a place.
            const QByteArray seat = seatName(c.code);
            if (const GeoPlace *named = byName.value(key(c.department, seat.isEmpty() ? c.name : seat)))
                at = ::service::at(*named, Placed::ByName, neighbours.estimate(c));
            else if (const std::optional<KnownSeat> known = knownSeat(c.code))
                at = Position{known->latitude, known->longitude, Placed::ByKnownSeat, known->altitude, 's'};
            else
                at = neighbours.estimate(c);
        } else {
            at = neighbours.estimate(c);
            const GeoPlace *named = byName.value(key(c.department, c.name));
            if (named && at && distanceKm(named->latitude, named->longitude, at->latitude, at->longitude) <= kNamesakeKm)
                at = ::service::at(*named, Placed::ByName, at);
        }
        if (!at) {
            out.unplaced << c.code + ' ' + c.name;
            continue;
        }
        ++out.counts[int(at->step) - '1'];
        out.tsv += c.code + '\t' + c.name + '\t' + c.department + '\t' + c.postalCodes + '\t'
                   + QByteArray::number(c.population) + '\t' + QByteArray::number(at->latitude, 'f', 4) + '\t'
                   + QByteArray::number(at->longitude, 'f', 4) + '\t' + char(at->step) + '\t'
                   + QByteArray::number(at->altitude) + '\t' + at->altitudeSource + '\n';
    }
    out.medianKm = quantile(errors, 0.5);
    out.p90Km = quantile(errors, 0.9);
    return out;
}

} // namespace service
