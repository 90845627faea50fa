// SPDX-License-Identifier: GPL-2.0-or-later
// Météo-France's vigilance as the document says it: the warnings of a department (nine phenomena,
// four colours), the map by department, and the warnings of the coming day. Read by the live source,
// made by the simulation, written into the document.
#pragma once
#include "common/vigilancekinds.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>

namespace service {

using meteo::Phenomenon;
using meteo::WarningColour;

struct Warning {
    Phenomenon phenomenon = Phenomenon::VentViolent;
    WarningColour colour = WarningColour::Vert;
    QDateTime begin, end;
};

struct VigilanceMap {
    QDateTime updated;
    QHash<QByteArray, QList<Warning>> byDepartment;  // above green only
};

// What a document says of one department: its warnings over the coming day (empty: green).
struct Vigilance {
    QByteArray department;
    QDateTime updated;
    QList<Warning> warnings;  // worst first
};

// A metropolitan department's code ("29", "2A"): the map covers these.
bool isMetropolitanDepartment(const QByteArray &department);

// The warnings of `department` that are in force now or within 24 hours, each merged over its
// periods, worst first; in the zone of `zone`'s instants.
QList<Warning> warningsAhead(const VigilanceMap &map, const QByteArray &department, const QDateTime &now);

} // namespace service
