// SPDX-License-Identifier: GPL-2.0-or-later
#include "nearindex.h"

#include <QVarLengthArray>
#include <algorithm>
#include <cmath>

namespace service {
namespace {
// A degree of latitude on the mean Earth, in kilometres.
constexpr double kKmPerDegree = 6371.0088 * M_PI / 180;
}

double kmBetween(double lat1, double lon1, double lat2, double lon2)
{
    const double x = (lon2 - lon1) * std::cos((lat1 + lat2) / 2 * M_PI / 180), y = lat2 - lat1;
    return std::hypot(x, y) * kKmPerDegree;
}

QByteArray communeOf(const QByteArray &code)
{
    // INSEE codes: Paris 75101–75120, Lyon 69381–69389, Marseille 13201–13216.
    if (code.size() == 7 && code.startsWith("FR751") && code != "FR75100")
        return "FR75056";
    if (code.size() == 7 && code.startsWith("FR6938"))
        return "FR69123";
    if (code.size() == 7 && code.startsWith("FR132"))
        return "FR13055";
    return code;
}

void NearIndex::build(const QList<City> &cities, const QHash<QByteArray, qsizetype> &byCode)
{
    cells_.reserve(cities.size() / 2);
    for (qsizetype i = 0; i < cities.size(); ++i) {
        const City &c = cities[i];
        // A commune placed at a mean of its neighbours shares its point with others, kilometres from
        // its seat: it would be named "nearest" where it is not. The nearest placed one is named.
        if (!c.ownPlace)
            continue;
        cells_[key(int(std::floor(c.latitude / kCell)), int(std::floor(c.longitude / kCell)))].append({i, byCode.value(communeOf(c.code), i)});
    }
}

QList<NearCommune> NearIndex::nearest(const QList<City> &cities, double latitude, double longitude, int max, double radiusKm) const
{
    const int row = int(std::floor(latitude / kCell)), column = int(std::floor(longitude / kCell));
    // The narrowest a cell gets within the radius: its width in longitude at the pole-most latitude.
    const double poleward = std::min(89.0, std::abs(latitude) + radiusKm / kKmPerDegree + kCell);
    const double cellKm = kCell * kKmPerDegree * std::cos(poleward * M_PI / 180);
    const int rings = int(std::ceil(radiusKm / cellKm)) + 1;
    // A cheap first estimate with the point's own latitude: within 0.5 % of the distance at this
    // scale, so that only the communes that may count are measured exactly.
    const double across = std::cos(latitude * M_PI / 180);
    QVarLengthArray<NearCommune, 64> found;  // one per commune: its nearest seat
    const auto worst = [&] {  // the distance a commune must beat to be among the `max` nearest
        if (found.size() < max)
            return radiusKm;
        QVarLengthArray<double, 64> km;
        for (const NearCommune &n : found)
            km.append(n.km);
        std::nth_element(km.begin(), km.begin() + (max - 1), km.end());
        return std::min(radiusKm, km[max - 1]);
    };
    double bound = radiusKm;
    for (int ring = 0; ring <= rings; ++ring) {
        // Every cell of this ring lies at least ring - 1 cells from the point.
        if (ring >= 2 && (ring - 1) * cellKm > (bound = worst()))
            break;
        const auto visit = [&](int r, int c) {
            const auto it = cells_.constFind(key(r, c));
            if (it == cells_.cend())
                return;
            for (const Entry &e : *it) {
                const City &seat = cities[e.seat];
                const double estimate = std::hypot((seat.longitude - longitude) * across, seat.latitude - latitude) * kKmPerDegree;
                if (estimate > bound * 1.01 + 0.01)
                    continue;
                const double km = kmBetween(latitude, longitude, seat.latitude, seat.longitude);
                if (km > radiusKm)
                    continue;
                const City *commune = &cities[e.commune];
                const auto same = std::find_if(found.begin(), found.end(), [commune](const NearCommune &n) { return n.commune == commune; });
                if (same == found.end())
                    found.append({commune, &seat, km});
                else if (km < same->km)
                    *same = {commune, &seat, km};
            }
        };
        if (ring == 0) {
            visit(row, column);
            continue;
        }
        for (int d = -ring; d <= ring; ++d) {  // the ring's perimeter: top and bottom rows, then the sides
            visit(row - ring, column + d);
            visit(row + ring, column + d);
        }
        for (int d = -ring + 1; d <= ring - 1; ++d) {
            visit(row + d, column - ring);
            visit(row + d, column + ring);
        }
    }
    std::sort(found.begin(), found.end(), [](const NearCommune &a, const NearCommune &b) {
        return a.km != b.km ? a.km < b.km : a.commune->code < b.commune->code;
    });
    return QList<NearCommune>(found.begin(), found.begin() + std::min<qsizetype>(found.size(), max));
}

} // namespace service
