// SPDX-License-Identifier: GPL-2.0-or-later
// The official warnings of the stored document (its "vigilance" section): read strictly, each
// phenomenon with its colour and span, and the words the windows say them with.
#pragma once
#include "extraction.h"
#include "common/vigilancekinds.h"

#include <QDateTime>
#include <QList>

namespace meteo {

struct OfficialWarning {
    Phenomenon phenomenon = Phenomenon::VentViolent;
    WarningColour colour = WarningColour::Jaune;  // jaune, orange or rouge: green is no warning
    QDateTime begin, end;    // in the place's offset
    QByteArray name() const { return phenomenonName(phenomenon); }  // "vent violent"
};

struct Warnings {
    QList<OfficialWarning> list;     // worst first
};

// Phenomena the viewer cannot name, colours outside 2…4, times without an offset: left out.
Warnings readWarnings(const WeatherDocument &doc);

// "Vigilance orange — vent violent" for the worst, and "+ 2 autres" when there are more; empty when
// there is none.
std::pair<QByteArray, QByteArray> badgeTexts(const QList<OfficialWarning> &warnings);
// "Vigilance orange vent violent jusqu'à mardi 18 h" (or "de … à …" when it has not begun at `now`).
QByteArray warningLine(const OfficialWarning &w, const QDateTime &now);
// Every warning in words, for a screen reader; "Aucune vigilance" when there is none.
QByteArray spokenWarnings(const QList<OfficialWarning> &warnings, const QDateTime &now);

} // namespace meteo
