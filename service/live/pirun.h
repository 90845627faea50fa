// SPDX-License-Identifier: GPL-2.0-or-later
// One run of AROME-PI, Météo-France's immediate forecast: the rain of each quarter hour up to six
// hours ahead on a regular latitude-longitude grid, a GRIB2 file read through ecCodes from memory and
// put onto the map's grid. Read strictly, step by step: a step that is not the product promised is
// left out with the reason, the others kept.
#pragma once
#include "raingrid.h"
#include "service/document/result.h"

namespace service {

// What the product promises: the 0.025° grid from 55.4° N 12° W to 37.5° N 16° E, rain fallen over
// each quarter hour (kg/m², that is mm), rows from the north; the tests promise smaller grids.
struct PiProduct {
    int ni = 1121, nj = 717;
    double firstLatitude = 55.4, firstLongitude = -12, increment = 0.025;  // degrees
    int stepMinutes = 15, lastMinutes = 360;
    double maxMm = 180;  // over a quarter hour: 720 mm/h, beyond any real rain
};

struct PiRun {
    qint64 reference = 0;          // the run's time, Unix seconds
    QList<RainField> steps;        // in the file's order
    QList<QByteArray> refused;     // why each step left out was
};

class PiReader {
public:
    explicit PiReader(PiProduct product = {}, const MapGrid &grid = kFranceGrid);
    // The run's steps on the map, or why the whole file is refused (not GRIB2, over 64 MiB, no step
    // of the product). A step cut short at the end is left out like a wrong one.
    [[nodiscard]] Result<PiRun> read(const QByteArray &file);

private:
    PiProduct product_;
    MapGrid grid_;
    GridMapping mapping_;  // the grid is the product's: worked out once
};

} // namespace service
