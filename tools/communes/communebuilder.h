// SPDX-License-Identifier: GPL-2.0-or-later
// Builds the commune table that the service compiles in: every current commune and municipal
// arrondissement, placed by the best of three steps, each row saying which one placed it:
//  1. the GeoNames place that names the commune's INSEE code (its admin4), the most populated one
//     where several do;
//  2. else a GeoNames place of the same name in the same department, only when it lies within 20 km
//     of what step 3 gives (a namesake far away is not the commune);
//  3. else the mean position of the communes placed by step 1 that share one of its postal codes,
//     else of its arrondissement, else of its department, else of every GeoNames place of its
//     territory.
// In the overseas territories without INSEE codes in GeoNames, a commune is placed at its seat
// instead: the place of the seat's name anywhere in the territory (step 2), else a known position
// (step 7, overseasseats.h). Each row also gives the commune's altitude and where it comes from:
// GeoNames' elevation (e), else its elevation model (d), else the mean of the neighbours used to
// place it (m), or the known seat's (s).
// A commune that cannot be placed at all is left out and named.
#pragma once
#include <QByteArray>
#include <QList>
#include <optional>

namespace service {

struct CommuneEntry {        // from the official commune list
    QByteArray code, name, department, arrondissement, postalCodes;  // postal codes comma-separated
    int population = 0;
};

struct GeoPlace {            // from GeoNames
    QByteArray name, department;
    QByteArray commune;      // the INSEE code it belongs to, when GeoNames gives one
    double latitude = 0, longitude = 0;
    qint64 population = 0;
    std::optional<int> altitude;  // metres, GeoNames' elevation, else its elevation model
    char altitudeSource = 'e';    // 'e' or 'd'
};

// Which step placed a row; the table's last column.
enum class Placed : char {
    ByCode = '1',
    ByName = '2',
    ByPostalCode = '3',
    ByArrondissement = '4',
    ByDepartment = '5',
    ByTerritory = '6',
    ByKnownSeat = '7',
};

struct BuiltTable {
    QByteArray tsv;             // the lines CommuneTable::parse reads
    int counts[7] = {};         // rows placed by each step, in the order above
    QList<QByteArray> unplaced; // "98901 Île de Clipperton"
    // Step 3's error, estimated by placing every step-1 commune as if GeoNames did not know it.
    double medianKm = 0, p90Km = 0;
};

BuiltTable buildCommuneTable(const QList<CommuneEntry> &communes, const QList<GeoPlace> &places);

// Great-circle distance in km.
double distanceKm(double lat1, double lon1, double lat2, double lon2);

} // namespace service
