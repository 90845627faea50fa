// SPDX-License-Identifier: GPL-2.0-or-later
// Sunrise and sunset from latitude, longitude and date (the usual solar-position approximations,
// within a minute or two of published tables at French latitudes).
#pragma once
#include <QDate>
#include <QDateTime>

namespace service {

struct SunTimes {
    QDateTime sunrise;  // UTC
    QDateTime sunset;   // UTC
};

SunTimes sunTimes(double latitude, double longitude, QDate date);
// The sun's height above the horizon at that instant, in degrees (negative at night).
double solarElevation(double latitude, double longitude, const QDateTime &when);

} // namespace service
