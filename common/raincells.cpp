// SPDX-License-Identifier: GPL-2.0-or-later
#include "raincells.h"

#include <algorithm>
#include <cmath>

namespace meteo::rain {

int levelOf(double mmPerHour)
{
    if (!(mmPerHour >= 0.1))  // NaN too
        return 0;
    return std::clamp(1 + int(std::lround(20 * std::log10(std::min(mmPerHour, 1e6) / 0.1))), 1, kMaxLevel);
}

double mmPerHourOf(int level)
{
    return level <= 0 ? 0 : 0.1 * std::pow(10.0, (std::min(level, kMaxLevel) - 1) / 20.0);
}

int classOf(double mmPerHour)
{
    int k = 0;
    for (const double floor : kClassFloors)
        k += mmPerHour >= floor;
    return k;
}

int classOfLevel(int level)
{
    int k = 0;
    for (const double floor : kClassFloors)
        k += level > 0 && level >= levelOf(floor);
    return k;
}

std::uint8_t encode(Cell cell)
{
    const int cap = cell.fall == Fall::Mixed ? kMaxLevel - 1 : kMaxLevel;
    return std::uint8_t(int(cell.fall) << 6 | std::clamp(cell.level, 0, cap));
}

std::optional<Cell> decode(std::uint8_t byte)
{
    if (byte == kNoData)
        return std::nullopt;
    return Cell{Fall(byte >> 6), byte & 63};
}

} // namespace meteo::rain
