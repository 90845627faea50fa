// SPDX-License-Identifier: GPL-2.0-or-later
// What falls, by an hour's icon code: rain, snow, freezing rain, or a mix that is best called
// "précipitations". Every text that names the rain or snow to come takes its words from here, so
// that snow at Mende is never called rain.
#pragma once
#include <QByteArray>
#include <QList>

namespace meteo {

enum class RainIntensity;

enum class Precipitation { Rain, Snow, FreezingRain, Mixed };

// Rain for codes that say nothing of it (an unreadable or dry code: the mm alone are known).
[[nodiscard]] Precipitation precipitationOf(const QByteArray &icon);
// One kind for several: their own when they agree, Mixed when they differ, Rain when there is none.
[[nodiscard]] Precipitation commonPrecipitation(const QList<Precipitation> &kinds);
// "pluie", "neige", "pluie verglaçante", "précipitations".
QByteArray precipitationWord(Precipitation kind);
// "Pluie faible", "Neige modérée", "Pluie verglaçante forte", "Précipitations faibles".
QByteArray precipitationSpell(Precipitation kind, RainIntensity intensity);
// "Neige attendue" agrees too: "attendue" or, for "précipitations", "attendues".
QByteArray agreed(Precipitation kind, const QByteArray &feminineAdjective);
// The first letter raised ("Neige dans les 2 heures").
QByteArray capitalised(const QByteArray &utf8);

} // namespace meteo
