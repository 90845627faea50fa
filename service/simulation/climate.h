// SPDX-License-Identifier: GPL-2.0-or-later
// Each commune's climate: the normal daily maximum and minimum of every day of the year, from where it
// is (latitude, the Atlantic-to-continental gradient, the Mediterranean rim, altitude) or, overseas,
// from its territory's normals. The simulation draws its weather around these.
#pragma once
#include "service/communes/communes.h"

#include <QDate>
#include <numbers>

namespace service {

inline constexpr double kTwoPi = 2 * std::numbers::pi;

struct Normals {
    double high = 0, low = 0;  // °C
};

class Climate {
public:
    explicit Climate(const City &city);
    // The normal of `date`, interpolated between the months' normals.
    Normals on(QDate date) const;
    Normals ofMonth(int month) const { return months_[month - 1]; }  // 1..12

    // How wet the climate is: 0 (Mediterranean summer) … about 1.5 (Brest in winter); how exposed to
    // the Atlantic's weather systems (1 on the western coast, less inland and behind the
    // mountains); how Mediterranean (autumn downpours); tropical (afternoon showers, wet season).
    double atlantic() const { return atlantic_; }
    double mediterranean() const { return mediterranean_; }
    bool tropical() const { return tropical_; }
    // 0..1: how much of a wet season `date` is in (tropics), or of the autumn (Mediterranean).
    double wetSeason(QDate date) const;
    int altitude() const { return altitude_; }

private:
    Normals months_[12];
    double atlantic_ = 0, mediterranean_ = 0;
    bool tropical_ = false;
    int wetPeak_ = 1;  // the month at the heart of the wet season
    int altitude_ = 0;
};

} // namespace service
