// SPDX-License-Identifier: GPL-2.0-or-later
#include "airkinds.h"

namespace meteo {
namespace {

struct PollutantRow {
    const char *attribute, *name;
    double bounds[5];  // upper bounds of classes 1 … 5, µg/m³
};
const PollutantRow kPollutantRows[kPollutants] = {
    {"pm25", "PM2,5", {10, 20, 25, 50, 75}},     {"pm10", "PM10", {20, 40, 50, 100, 150}},
    {"no2", "NO₂", {40, 90, 120, 230, 340}},     {"o3", "O₃", {50, 100, 130, 240, 380}},
    {"so2", "SO₂", {100, 200, 350, 500, 750}},
};

struct TaxonRow {
    const char *attribute, *name;
    double bounds[5];  // grains/m³ reached for levels 1 … 5
};
const TaxonRow kTaxonRows[kTaxa] = {
    {"aulne", "aulne", {1, 10, 50, 100, 300}},      {"bouleau", "bouleau", {1, 10, 50, 100, 300}},
    {"graminees", "graminées", {1, 5, 25, 50, 100}}, {"armoise", "armoise", {1, 5, 11, 23, 50}},
    {"olivier", "olivier", {1, 10, 50, 200, 400}},   {"ambroisie", "ambroisie", {1, 5, 11, 23, 50}},
};

const char *const kAtmoWords[] = {"bon", "moyen", "dégradé", "mauvais", "très mauvais", "extrêmement mauvais"};
// Atmo France's charter: bleu, vert, jaune, rouge, pourpre, magenta.
const quint32 kAtmoRgb[] = {0x50F0E6, 0x50CCAA, 0xF0E641, 0xFF5050, 0x960032, 0x872181};
const char *const kPollenWords[] = {"nul", "très faible", "faible", "moyen", "élevé", "très élevé"};
const quint32 kPollenRgb[] = {0xE8EEF2, 0x9DD66B, 0x4CAF50, 0xF5D33C, 0xF08A24, 0xD7263D};

} // namespace

QByteArray pollutantAttribute(Pollutant p) { return kPollutantRows[int(p)].attribute; }
QByteArray pollutantName(Pollutant p) { return kPollutantRows[int(p)].name; }
QByteArray taxonAttribute(Taxon t) { return kTaxonRows[int(t)].attribute; }
QByteArray taxonName(Taxon t) { return kTaxonRows[int(t)].name; }

int atmoSubIndex(Pollutant p, double value)
{
    const double *bounds = kPollutantRows[int(p)].bounds;
    for (int c = 0; c < 5; ++c)
        if (value <= bounds[c])
            return c + 1;
    return 6;
}

AtmoDay atmoClass(const std::array<double, kPollutants> &dayValues)
{
    AtmoDay day;
    for (int p = 0; p < kPollutants; ++p)
        if (const int c = atmoSubIndex(Pollutant(p), dayValues[p]); c > day.atmo || (p == 0 && c >= day.atmo))
            day = {c, Pollutant(p)};
    return day;
}

QByteArray atmoWord(int atmo) { return atmo >= 1 && atmo <= 6 ? kAtmoWords[atmo - 1] : ""; }
quint32 atmoRgb(int atmo) { return atmo >= 1 && atmo <= 6 ? kAtmoRgb[atmo - 1] : 0xC0C0C0; }
bool darkTextOnAtmo(int atmo) { return atmo <= 3; }

int pollenLevel(Taxon t, double grains)
{
    int level = 0;
    for (const double bound : kTaxonRows[int(t)].bounds)
        level += grains >= bound;
    return level;
}

QByteArray pollenWord(int level) { return level >= 0 && level <= 5 ? kPollenWords[level] : ""; }
quint32 pollenRgb(int level) { return level >= 0 && level <= 5 ? kPollenRgb[level] : 0xC0C0C0; }

} // namespace meteo
