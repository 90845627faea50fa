// SPDX-License-Identifier: GPL-2.0-or-later
#include "vigilancekinds.h"

#include <cmath>

namespace meteo {
namespace {

const char *const kPhenomena[] = {"vent violent", "pluie-inondation", "orages", "crues", "neige-verglas",
                                  "canicule", "grand froid", "avalanches", "vagues-submersion"};
struct ColourRow {
    const char *word;
    quint32 rgb;
    bool darkText;
};
const ColourRow kColours[] = {{"vert", 0x31AA35, false}, {"jaune", 0xF0D200, true}, {"orange", 0xFF8C00, false}, {"rouge", 0xE10000, false}};

std::optional<int> wholeIn(double v, int lo, int hi)
{
    if (!(v >= lo && v <= hi) || v != std::floor(v))  // NaN fails the first test
        return std::nullopt;
    return int(v);
}

} // namespace

std::optional<Phenomenon> phenomenonOf(double id)
{
    const std::optional<int> n = wholeIn(id, 1, 9);
    return n ? std::optional<Phenomenon>(Phenomenon(*n)) : std::nullopt;
}

std::optional<WarningColour> warningColourOf(double id)
{
    const std::optional<int> n = wholeIn(id, 1, 4);
    return n ? std::optional<WarningColour>(WarningColour(*n)) : std::nullopt;
}

QByteArray phenomenonName(Phenomenon p)
{
    return kPhenomena[int(p) - 1];
}

QByteArray colourWord(WarningColour c)
{
    return kColours[int(c) - 1].word;
}

quint32 colourRgb(WarningColour c)
{
    return kColours[int(c) - 1].rgb;
}

bool darkTextOn(WarningColour c)
{
    return kColours[int(c) - 1].darkText;
}

} // namespace meteo
