// SPDX-License-Identifier: GPL-2.0-or-later
// One cell of a rain map frame, as a byte of its greyscale PNG: bits 0-5 the intensity level k (0 dry,
// k = 1..63 is 0.1 × 10^((k-1)/20) mm/h: 21 is 1 mm/h, 41 is 10 mm/h, 63 about 126 mm/h and more),
// bits 6-7 what falls; 255 is no data, so a mixed fall stops at level 62. The service writes it, the
// viewer reads it: one definition for both.
#pragma once
#include <cstdint>
#include <optional>

namespace meteo::rain {

enum class Fall : std::uint8_t { Rain = 0, Snow = 1, Freezing = 2, Mixed = 3 };

inline constexpr std::uint8_t kNoData = 255;
inline constexpr int kMaxLevel = 63;

struct Cell {
    Fall fall = Fall::Rain;
    int level = 0;  // 0 dry
};

// The level of a rate in mm/h: 0 below 0.1 mm/h, else the nearest step, at most 63.
[[nodiscard]] int levelOf(double mmPerHour);
// The rate a level stands for: 0 for level 0.
[[nodiscard]] double mmPerHourOf(int level);
[[nodiscard]] std::uint8_t encode(Cell cell);
// The map's classes, as its legend shows them: 0 dry, then from 0.1, 0.5, 1, 2, 4, 8, 16 and 32 mm/h
// (1 to 8). Ours: there is no official table.
inline constexpr double kClassFloors[] = {0.1, 0.5, 1, 2, 4, 8, 16, 32};
[[nodiscard]] int classOf(double mmPerHour);
// The class of a level: that of the floors its step reaches (a level stands for a rounded rate, so
// 2 mm/h is level 27, whose own rate is 1.995).
[[nodiscard]] int classOfLevel(int level);
// What a byte says, or nothing for no data.
[[nodiscard]] std::optional<Cell> decode(std::uint8_t byte);

} // namespace meteo::rain
