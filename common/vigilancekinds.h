// SPDX-License-Identifier: GPL-2.0-or-later
// The two kinds a Météo-France warning is made of, its phenomenon and its colour, with their French
// words and their hues: one table that the service writes the document with and the viewer reads it
// with. Their numbers are Météo-France's own (and the document's).
#pragma once
#include <QByteArray>
#include <optional>

namespace meteo {

enum class WarningColour { Vert = 1, Jaune = 2, Orange = 3, Rouge = 4 };

enum class Phenomenon {
    VentViolent = 1,
    PluieInondation,
    Orages,
    Crues,
    NeigeVerglas,
    Canicule,
    GrandFroid,
    Avalanches,
    VaguesSubmersion,
};

// The phenomenon or colour of a number from outside; nullopt for any number it is not (and for one
// that is not whole), which is never converted to an integer before it is known to be one.
[[nodiscard]] std::optional<Phenomenon> phenomenonOf(double id);
[[nodiscard]] std::optional<WarningColour> warningColourOf(double id);

QByteArray phenomenonName(Phenomenon p);  // "vent violent", "pluie-inondation"…
QByteArray colourWord(WarningColour c);   // "vert", "jaune", "orange", "rouge"
// The hue drawn for a colour, as 0xRRGGBB, and whether text on it reads better in black.
quint32 colourRgb(WarningColour c);
bool darkTextOn(WarningColour c);

} // namespace meteo
