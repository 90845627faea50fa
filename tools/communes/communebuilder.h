// Builds the commune table that the service compiles in: every current commune and municipal
// arrondissement, placed where GeoNames puts the town of the same name in the same department, or,
// failing that, at the mean position of the placed communes of its arrondissement (else of its
// department, else of all GeoNames places of an overseas territory), marked approximate. A commune
// that cannot be placed at all is left out and named.
#pragma once
#include <QByteArray>
#include <QList>

namespace service {

struct CommuneEntry {        // from the official commune list
    QByteArray code, name, department, arrondissement, postalCodes;  // postal codes comma-separated
    int population = 0;
};

struct GeoPlace {            // from GeoNames
    QByteArray name, department;
    double latitude = 0, longitude = 0;
};

struct BuiltTable {
    QByteArray tsv;          // the lines CommuneTable::parse reads
    int matched = 0, approximate = 0;
    QList<QByteArray> unplaced;  // "98901 Île de Clipperton"
};

BuiltTable buildCommuneTable(const QList<CommuneEntry> &communes, const QList<GeoPlace> &places);

} // namespace service
