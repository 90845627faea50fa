// SPDX-License-Identifier: GPL-2.0-or-later
// Météo-France's radar mosaic of mainland France ("lame d'eau": the rain of five minutes on a polar
// stereographic grid of 500 m cells, with a quality index), an ODIM HDF5 file read through libhdf5
// from memory and put onto the map's grid through PROJ. Read strictly: a file that is not the
// product promised is refused whole with the reason, never read as a dry map.
#pragma once
#include "raingrid.h"
#include "service/document/result.h"

#include <memory>
#include <vector>

namespace service {

// What the product promises; the tests promise smaller images.
struct RadarProduct {
    int xsize = 3472, ysize = 3472;  // cells
    double scale = 500;              // metres a cell, both ways
    QByteArray quantity = "ACRR";    // accumulated rain, mm
    int minutes = 5;                 // the span of one image
    double maxMm = 60;               // over those minutes: 720 mm/h, beyond any real rain
    QByteArray qualityQuantity = "QIND";
    double minQuality = 0.5;         // a cell of lower quality index is no data
};

inline constexpr qsizetype kMaxSourceFile = 64 * 1024 * 1024;

class RadarReader {
public:
    explicit RadarReader(RadarProduct product = {}, const MapGrid &grid = kFranceGrid);
    ~RadarReader();
    RadarReader(const RadarReader &) = delete;
    RadarReader &operator=(const RadarReader &) = delete;
    // The image's rain on the map, or why it is refused. On one thread at a time: libhdf5 as Debian
    // builds it is not thread-safe.
    [[nodiscard]] Result<RainField> read(const QByteArray &file);
    // Whether the last image reused the grid's mapping worked out for an earlier one.
    [[nodiscard]] bool mappingReused() const { return reused_; }

private:
    struct Georef;
    // Every 16th cell's centre in map cells (column, row), exact through PROJ; between them the
    // cells are placed linearly, row by row, as they are read.
    struct Lattice {
        int nodesX = 0, nodesY = 0;
        std::vector<double> column, row;
    };
    [[nodiscard]] Result<const Lattice *> latticeFor(const Georef &g);
    RadarProduct product_;
    MapGrid grid_;
    QByteArray mappedFor_;
    Lattice lattice_;
    bool reused_ = false;
};

} // namespace service
