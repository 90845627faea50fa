// SPDX-License-Identifier: GPL-2.0-or-later
// France's official map projection, Lambert-93 (EPSG:2154): the conformal conic on GRS80 with
// standard parallels 44° and 49°, origin 46.5° N 3° E, false easting 700 km and northing 6,600 km.
// The rain map's grid, its base map and the cities placed on it all go through these two functions.
#pragma once

namespace meteo {

struct MapPoint {
    double x = 0, y = 0;  // metres, east and north
};

struct GeoPoint {
    double latitude = 0, longitude = 0;  // degrees
};

[[nodiscard]] MapPoint toLambert93(GeoPoint p);
[[nodiscard]] GeoPoint fromLambert93(MapPoint p);

} // namespace meteo
