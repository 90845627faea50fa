// SPDX-License-Identifier: GPL-2.0-or-later
// The communes nearest a point, by the position of their seat: a grid of tenths of a degree built
// once at start, searched ring by ring outwards from the point's cell until no nearer commune can
// remain, so that a look-up reads a few dozen communes rather than all of them. A municipal
// arrondissement (Paris, Lyon, Marseille) counts as its commune; a commune whose position is only a
// mean of its neighbours' is not indexed.
#pragma once
#include "communes.h"

#include <QHash>
#include <QList>

namespace service {

struct NearCommune {
    const City *commune = nullptr;  // the commune itself, never one of its arrondissements
    const City *seat = nullptr;     // the place that was nearest: the commune or its arrondissement
    double km = 0;
};

// Kilometres between two points, on a sphere of the Earth's mean radius, flat at this scale
// (an equirectangular projection about their mean latitude: within 0.1 % at 30 km).
[[nodiscard]] double kmBetween(double lat1, double lon1, double lat2, double lon2);
// The commune an arrondissement belongs to ("FR69382" → "FR69123"); the code itself otherwise.
[[nodiscard]] QByteArray communeOf(const QByteArray &code);

// It keeps positions in the list, not addresses: the table it indexes may be moved whole.
class NearIndex {
public:
    void build(const QList<City> &cities, const QHash<QByteArray, qsizetype> &byCode);
    // At most `max` of `cities` (the list it was built on) within `radiusKm` of the point, nearest first.
    QList<NearCommune> nearest(const QList<City> &cities, double latitude, double longitude, int max = 5,
                               double radiusKm = 30) const;

private:
    static constexpr double kCell = 0.1;  // degrees
    static qint64 key(int row, int column) { return (qint64(row) << 32) ^ quint32(column); }
    struct Entry {
        qsizetype seat, commune;
    };
    QHash<qint64, QList<Entry>> cells_;
};

} // namespace service
