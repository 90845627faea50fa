// SPDX-License-Identifier: GPL-2.0-or-later
#include "sun.h"

#include <QTimeZone>
#include <algorithm>
#include <cmath>

namespace service {
namespace {

constexpr double kDeg = M_PI / 180.0;

// The equation of time (minutes) and the sun's declination (radians) at `minutes` after 00:00 UTC
// of the day of the year.
struct SolarAngles {
    double eqTime, decl;
};

SolarAngles solarAngles(int dayOfYear, int daysInYear, double minutes)
{
    const double g = 2 * M_PI / daysInYear * (dayOfYear - 1 + (minutes / 60.0 - 12) / 24);
    return {229.18 * (0.000075 + 0.001868 * std::cos(g) - 0.032077 * std::sin(g) - 0.014615 * std::cos(2 * g) - 0.040849 * std::sin(2 * g)),
            0.006918 - 0.399912 * std::cos(g) + 0.070257 * std::sin(g) - 0.006758 * std::cos(2 * g) + 0.000907 * std::sin(2 * g)
                - 0.002697 * std::cos(3 * g) + 0.00148 * std::sin(3 * g)};
}

// Minutes after 00:00 UTC of the sun's rising (sign -1) or setting (+1), evaluated with the solar
// position at `aroundMinutes`, so that a second pass at the first answer refines it.
double eventMinutes(double lat, double lon, int dayOfYear, int daysInYear, double aroundMinutes, int sign)
{
    const auto [eqTime, decl] = solarAngles(dayOfYear, daysInYear, aroundMinutes);
    // The sun's upper edge on the horizon, refraction included: 90.833 degrees from the zenith.
    const double cosHa = std::cos(90.833 * kDeg) / (std::cos(lat * kDeg) * std::cos(decl)) - std::tan(lat * kDeg) * std::tan(decl);
    const double ha = std::acos(std::clamp(cosHa, -1.0, 1.0)) / kDeg;
    return 720 - 4 * (lon - sign * ha) - eqTime;
}

QDateTime event(double lat, double lon, QDate date, int sign)
{
    double minutes = 720;
    for (int pass = 0; pass < 2; ++pass)
        minutes = eventMinutes(lat, lon, date.dayOfYear(), date.daysInYear(), minutes, sign);
    return QDateTime(date, QTime(0, 0), QTimeZone::utc()).addSecs(qint64(std::lround(minutes * 60)));
}

} // namespace

SunTimes sunTimes(double latitude, double longitude, QDate date)
{
    return {event(latitude, longitude, date, -1), event(latitude, longitude, date, +1)};
}

double solarElevation(double latitude, double longitude, const QDateTime &when)
{
    const QDateTime utc = when.toUTC();
    const double minutes = utc.time().msecsSinceStartOfDay() / 60000.0;
    const auto [eqTime, decl] = solarAngles(utc.date().dayOfYear(), utc.date().daysInYear(), minutes);
    const double hourAngle = ((minutes + eqTime + 4 * longitude) / 4 - 180) * kDeg;
    const double cosZenith = std::sin(latitude * kDeg) * std::sin(decl) + std::cos(latitude * kDeg) * std::cos(decl) * std::cos(hourAngle);
    return 90 - std::acos(std::clamp(cosZenith, -1.0, 1.0)) / kDeg;
}

} // namespace service
