// SPDX-License-Identifier: GPL-2.0-or-later
// The air's words and numbers, one table that the service computes the document's classes with and
// the viewer says them with: the ATMO index (arrêté du 10 juillet 2020: the worst of five
// sub-indices, PM10 and PM2.5 on the day's mean, NO₂, O₃ and SO₂ on the day's highest hour) and our
// own pollen levels (0 nul … 5 très élevé, the number of bounds the day's highest count reaches).
#pragma once
#include <QByteArray>
#include <array>
#include <optional>

namespace meteo {

enum class Pollutant { PM25, PM10, NO2, O3, SO2 };
inline constexpr int kPollutants = 5;
enum class Taxon { Aulne, Bouleau, Graminees, Armoise, Olivier, Ambroisie };
inline constexpr int kTaxa = 6;

QByteArray pollutantAttribute(Pollutant p);  // "pm25", "pm10", "no2", "o3", "so2"
QByteArray pollutantName(Pollutant p);       // "PM2,5", "PM10", "NO₂", "O₃", "SO₂"
QByteArray taxonAttribute(Taxon t);          // "aulne", "bouleau", "graminees", "armoise", "olivier", "ambroisie"
QByteArray taxonName(Taxon t);               // "aulne", "bouleau", "graminées", "armoise", "olivier", "ambroisie"

// The class of one pollutant's value (1 bon … 6 extrêmement mauvais), by the arrêté's upper bounds.
[[nodiscard]] int atmoSubIndex(Pollutant p, double microgramsPerCubicMetre);
struct AtmoDay {
    int atmo = 1;
    Pollutant decisive = Pollutant::PM25;  // the pollutant whose sub-index is the class
};
// The day's class from the day's means of PM2.5 and PM10 and highest hours of NO₂, O₃ and SO₂.
[[nodiscard]] AtmoDay atmoClass(const std::array<double, kPollutants> &dayValues);
QByteArray atmoWord(int atmo);     // "bon", "moyen", "dégradé", "mauvais", "très mauvais", "extrêmement mauvais"
quint32 atmoRgb(int atmo);         // Atmo France's hues
bool darkTextOnAtmo(int atmo);

// A taxon's level (0 … 5) for the day's highest count in grains/m³.
[[nodiscard]] int pollenLevel(Taxon t, double grainsPerCubicMetre);
QByteArray pollenWord(int level);  // "nul", "très faible", "faible", "moyen", "élevé", "très élevé"
quint32 pollenRgb(int level);

} // namespace meteo
