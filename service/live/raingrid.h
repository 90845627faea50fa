// SPDX-License-Identifier: GPL-2.0-or-later
// Rain from a source's own grid onto the map's: which map cell each source cell falls in (worked out
// once per source grid), the mean of the source cells in each map cell, and the quarter hours the
// map shows, each made of the source's accumulations that cover it.
#pragma once
#include "service/document/rainmap.h"

#include <QByteArray>
#include <QMap>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace service {

// The rain fallen on each map cell over [start, end), in mm; NaN where the source has no data.
struct RainField {
    qint64 start = 0, end = 0;  // Unix seconds
    std::vector<float> mm;      // columns × rows, from the north-west
};

// For each source cell, the map cell it falls in (-1: off the map), and how many source cells each
// map cell holds.
struct GridMapping {
    std::vector<std::int32_t> target;
    std::vector<std::uint16_t> held;
};

// The mapping of source cells whose centres `centre(i)` gives in Lambert-93 metres.
template <class Centre>
[[nodiscard]] GridMapping mapCells(qsizetype sourceCells, Centre centre, const MapGrid &grid = kFranceGrid)
{
    GridMapping m;
    m.target.resize(size_t(sourceCells));
    m.held.assign(size_t(grid.columns) * size_t(grid.rows), 0);
    for (qsizetype i = 0; i < sourceCells; ++i) {
        const auto [x, y] = centre(i);
        const double c = std::floor((x - grid.x0) / grid.step + 0.5), r = std::floor((grid.y0 - y) / grid.step + 0.5);
        std::int32_t t = -1;
        if (c >= 0 && c < grid.columns && r >= 0 && r < grid.rows) {
            t = std::int32_t(r) * grid.columns + std::int32_t(c);
            if (m.held[size_t(t)] < UINT16_MAX)
                ++m.held[size_t(t)];
        }
        m.target[size_t(i)] = t;
    }
    return m;
}

// A map cell's rain is the mean of its source cells' when at least half of them have data, else
// none: a cell mostly outside the radars' reach, or mostly of bad quality, is not a dry cell.
// `value(i)` is source cell i's rain in mm, NaN for no data.
template <class Value>
[[nodiscard]] std::vector<float> meanOnMap(const GridMapping &mapping, Value value)
{
    const size_t cells = mapping.held.size();
    std::vector<float> sum(cells, 0.f);
    std::vector<std::uint16_t> valid(cells, 0);
    const size_t n = mapping.target.size();
    for (size_t i = 0; i < n; ++i) {
        const std::int32_t t = mapping.target[i];
        if (t < 0)
            continue;
        const float v = value(i);
        if (!std::isnan(v)) {
            sum[size_t(t)] += v;
            ++valid[size_t(t)];
        }
    }
    for (size_t t = 0; t < cells; ++t)
        sum[t] = valid[t] > 0 && 2 * valid[t] >= mapping.held[t] ? sum[t] / float(valid[t]) : NAN;
    return sum;
}

// The quarter hours of one source, from its accumulations: a quarter is whole when its fifteen
// minutes are covered, and then its rate is what fell over them.
class QuarterRain {
public:
    // Adds a field that lies within one quarter hour; the reason it cannot be otherwise.
    [[nodiscard]] std::optional<QByteArray> add(const RainField &field);
    [[nodiscard]] bool whole(qint64 quarter) const;
    // Whether an accumulation over [start, end) is already counted (the same image read again).
    [[nodiscard]] bool holds(qint64 start, qint64 end) const;
    // The quarter's cells as the frame's bytes (rain at its rate in mm/h, 255 no data), if whole.
    [[nodiscard]] std::optional<QByteArray> cells(qint64 quarter) const;
    void dropBefore(qint64 instant);
    void clear() { quarters_.clear(); }
    [[nodiscard]] bool isEmpty() const { return quarters_.isEmpty(); }

private:
    struct Quarter {
        QMap<qint64, qint64> spans;  // the accumulations added, start → end
        std::vector<float> mm;
    };
    QMap<qint64, Quarter> quarters_;
};

} // namespace service
