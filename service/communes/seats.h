// SPDX-License-Identifier: GPL-2.0-or-later
// The seats (chefs-lieux) of the overseas communes named after their island or atoll, where the
// seat is not the commune's own name: the table's builder places a commune at its seat, and the
// search finds a commune by its seat's name ("Taiohae" is Nuku-Hiva). And the name of each
// overseas territory, which tells homonyms apart ("Saint-Pierre (La Réunion)").
#pragma once
#include <QByteArray>

namespace service {

// The name of the commune's seat as GeoNames writes it, where it is not the commune's own name.
QByteArray seatName(const QByteArray &inseeCode);

// "La Réunion" for "974", "Polynésie française" for "987"; empty for a department of mainland
// France or Corsica.
QByteArray territoryName(const QByteArray &department);

} // namespace service
