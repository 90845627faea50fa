// SPDX-License-Identifier: GPL-2.0-or-later
// Every commune the service knows, from the table committed in data/communes/ (built by its
// `update` script from the official commune list and GeoNames positions) and compiled in.
#pragma once
#include "service/document/result.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <functional>
#include <memory>
#include <vector>

namespace service {

struct City {
    QByteArray code;         // "FR" + INSEE code: the location code of the weather request
    QByteArray name;         // "Saint-Étienne"
    QByteArray department;   // "42", "2A", "971"
    QByteArray postalCodes;  // "42000,42100,42230"
    int population = 0;
    double latitude = 0;
    double longitude = 0;
    int altitude = 0;          // metres
    // Placed at its own place (its GeoNames place, its seat's), not at a mean of its neighbours'.
    bool ownPlace = true;
    // As the document names the place: "Brest, France", overseas by its territory: "Saint-Denis, La Réunion".
    QByteArray displayName() const;
    // As a list of communes names it: "Saint-Étienne (42)", "Saint-Pierre (La Réunion)".
    QByteArray label() const;
    // Legal time of the place: French legal time, Corsica included, or that of an overseas department.
    QByteArray timeZone() const;
};

class NearIndex;
struct NearCommune;

class CommuneTable {
public:
    // One line a commune: INSEE code, name, department, postal codes (comma-separated), population,
    // latitude, longitude, how it was placed (1 its GeoNames place, 2 by name or its seat's, 3 to 6 a
    // mean of its neighbours, 7 a known seat), altitude in metres and its source (e, d, m, s),
    // tab-separated; or the line that cannot be read.
    static Result<CommuneTable> parse(const QByteArray &tsv);
    // The compiled-in table, read at the first call, or why it cannot be used (empty, unreadable).
    [[nodiscard]] static const Result<CommuneTable> &loadShipped();
    // The same table, once loadShipped() has said it is good.
    static const CommuneTable &shipped();

    const City *find(const QByteArray &code) const;  // exact location code, or nullptr
    // At most `max` communes whose name starts with `text` (compared by searchKey; an elided article
    // may be joined, "lisle", or left out, "rochelle"), or whose seat's name does ("Taiohae"), or,
    // for digits, whose postal code starts with them; most populated first.
    QList<const City *> search(QStringView text, int max = 20) const;
    // At most `max` communes within `radiusKm` of the point, nearest first (an arrondissement counts
    // as its commune).
    QList<NearCommune> nearest(double latitude, double longitude, int max = 5, double radiusKm = 30) const;

private:
    void buildSearchIndex() const;
    QList<City> cities_;
    QHash<QByteArray, qsizetype> byCode_;
    std::shared_ptr<const NearIndex> near_;  // built with the table: a look-up answers in microseconds
    // Built at the first search, so that start-up only reads the table.
    mutable std::vector<std::pair<QByteArray, qsizetype>> byKey_, byPostalCode_;
};

// A shortcut to the shipped table.
const City *findCity(const QByteArray &code);

} // namespace service
