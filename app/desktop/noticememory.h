// SPDX-License-Identifier: GPL-2.0-or-later
// What the notices have said already, kept in a small file of the cache folder so that a restart,
// or turning "Avertir de la pluie" off and on, never announces the same rainy spell, warning or
// pollen day again. Each entry is kept only as long as it can matter; a damaged file is an empty
// memory, never a failure.
#pragma once
#include "weather/airalert.h"
#include "weather/rainalert.h"

#include <QDateTime>
#include <QHash>
#include <QString>

namespace meteo {

struct AnnouncedWarning {
    int colour = 0;   // the colour's number it was announced at
    QDateTime end;    // until when it is remembered
};

struct NoticeMemory {
    QHash<QByteArray, RainAlertMemory> rain;                     // by city
    QHash<QByteArray, QHash<int, AnnouncedWarning>> warnings;    // by city, then phenomenon
    QHash<QByteArray, AirMemory> air;                            // by city

    // Read from `path`; what has expired at `now`, or cannot be read, is left out.
    static NoticeMemory load(const QString &path, const QDateTime &now);
    // Everything still worth remembering at `now`, as `load` reads it.
    QByteArray serialise(const QDateTime &now) const;
};

} // namespace meteo
