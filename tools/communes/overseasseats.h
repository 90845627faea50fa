// SPDX-License-Identifier: GPL-2.0-or-later
// Where the communes of the overseas territories sit. GeoNames' cities-500 extract has no INSEE
// codes for French Polynesia, New Caledonia, Wallis-et-Futuna, Saint-Pierre-et-Miquelon,
// Saint-Barthélemy, Saint-Martin and the TAAF, and a commune named after its island or atoll is not
// a place of that name: each is found by its seat instead.
#pragma once
#include "service/communes/seats.h"

#include <QByteArray>
#include <optional>

namespace service {

// The territories whose communes are placed at their seat, anywhere in the territory.
bool placedBySeat(const QByteArray &department);

struct KnownSeat {
    double latitude = 0, longitude = 0;
    int altitude = 0;  // metres
};
// The seats missing from cities-500 (villages of under 500 people, most of them on atolls).
std::optional<KnownSeat> knownSeat(const QByteArray &inseeCode);

} // namespace service
