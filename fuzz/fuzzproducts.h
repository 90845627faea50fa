// SPDX-License-Identifier: GPL-2.0-or-later
// The small radar and forecast products the readers' fuzz targets promise, and their seeds are made to.
#pragma once
#include "service/live/pirun.h"
#include "service/live/radarimage.h"

inline service::RadarProduct fuzzRadar()
{
    service::RadarProduct p;
    p.xsize = p.ysize = 16;
    p.scale = 100000;
    return p;
}

inline service::PiProduct fuzzPi()
{
    service::PiProduct p;
    p.ni = 17;
    p.nj = 12;
    p.firstLatitude = 52;
    p.firstLongitude = -6;
    p.increment = 1;
    return p;
}
