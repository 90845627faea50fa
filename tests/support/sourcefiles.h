// SPDX-License-Identifier: GPL-2.0-or-later
// Météo-France's files as the tests and the benchmark make them, through the libraries that read
// them: an ODIM HDF5 radar mosaic (libhdf5, PROJ for its corners) and an AROME-PI run in GRIB2
// (ecCodes), with the rain each cell should hold.
#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <cstdint>
#include <functional>

namespace testing {

struct MosaicPlan {
    int size = 480;        // cells each way
    double scale = 2500;   // metres
    QByteArray projdef = "+proj=stere +lat_0=90 +lon_0=0 +lat_ts=45 +ellps=WGS84";
    QByteArray quantity = "ACRR";
    int minutes = 5;
    QDateTime end;
    // Each cell's raw rain (hundredths of a mm; 65535 no data, 0 nothing detected) and quality
    // (hundredths), from its centre in the projection's metres.
    std::function<std::uint16_t(double x, double y)> rain = [](double, double) { return std::uint16_t(0); };
    std::function<std::uint16_t(double x, double y)> quality = [](double, double) { return std::uint16_t(100); };
};
// A place's position in the plan's projection, metres.
std::pair<double, double> odimPoint(const MosaicPlan &plan, double latitude, double longitude);
// The mosaic, centred on 46.5° N 2.5° E.
QByteArray odimFile(const MosaicPlan &plan);

struct RunPlan {
    int ni = 721, nj = 481;  // 52° N 6° W to 40° N 12° E
    double firstLatitude = 52, firstLongitude = -6, increment = 0.025;
    QDateTime run;
    QList<int> startMinutes;  // one message of 15 minutes from each
    int parameterNumber = 8;  // total precipitation
    // mm over the quarter at a point (NaN: missing) for the step starting at `minutes`.
    std::function<double(double latitude, double longitude, int minutes)> mm = [](double, double, int) { return 0.0; };
};
QByteArray piFile(const RunPlan &plan);

} // namespace testing
