// SPDX-License-Identifier: GPL-2.0-or-later
// The rain map's base map (carte-france.txt, shipped beside the program): the rings of France and its
// neighbours, projected once to Lambert-93 as they are read.
#pragma once
#include "common/lambert93.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace meteo {

struct BaseMapRing {
    QByteArray country;  // "FR", "ES", …
    QList<MapPoint> points;
};

// Throws Error naming the file and the line it cannot read.
[[nodiscard]] QList<BaseMapRing> readBaseMap(const QString &path);
[[nodiscard]] QString shippedBaseMap();  // carte-france.txt in the program's folder

} // namespace meteo
