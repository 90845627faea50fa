// SPDX-License-Identifier: GPL-2.0-or-later
#include "lambert93.h"

#include <cmath>

namespace meteo {
namespace {

constexpr double kA = 6378137.0;                // GRS80 semi-major axis
constexpr double kF = 1 / 298.257222101;        // and flattening
const double kE = std::sqrt(kF * (2 - kF));     // first eccentricity
constexpr double kDeg = M_PI / 180;
constexpr double kLon0 = 3 * kDeg, kX0 = 700000, kY0 = 6600000;

double m(double phi)
{
    return std::cos(phi) / std::sqrt(1 - kE * kE * std::sin(phi) * std::sin(phi));
}

double t(double phi)
{
    const double s = kE * std::sin(phi);
    return std::tan(M_PI / 4 - phi / 2) / std::pow((1 - s) / (1 + s), kE / 2);
}

// The cone's constants, from the two standard parallels.
struct Cone {
    double n, aF, rho0;
    Cone()
    {
        const double phi1 = 44 * kDeg, phi2 = 49 * kDeg;
        n = (std::log(m(phi1)) - std::log(m(phi2))) / (std::log(t(phi1)) - std::log(t(phi2)));
        aF = kA * m(phi1) / (n * std::pow(t(phi1), n));
        rho0 = aF * std::pow(t(46.5 * kDeg), n);
    }
};

const Cone &cone()
{
    static const Cone c;
    return c;
}

} // namespace

MapPoint toLambert93(GeoPoint p)
{
    const Cone &c = cone();
    const double rho = c.aF * std::pow(t(p.latitude * kDeg), c.n), theta = c.n * (p.longitude * kDeg - kLon0);
    return {kX0 + rho * std::sin(theta), kY0 + c.rho0 - rho * std::cos(theta)};
}

GeoPoint fromLambert93(MapPoint p)
{
    const Cone &c = cone();
    const double dx = p.x - kX0, dy = c.rho0 - (p.y - kY0);
    const double rho = std::hypot(dx, dy), theta = std::atan2(dx, dy);
    const double tt = std::pow(rho / c.aF, 1 / c.n);
    // The latitude by fixed point: a few turns reach a millionth of a metre.
    double phi = M_PI / 2 - 2 * std::atan(tt);
    for (int i = 0; i < 8; ++i) {
        const double s = kE * std::sin(phi);
        phi = M_PI / 2 - 2 * std::atan(tt * std::pow((1 - s) / (1 + s), kE / 2));
    }
    return {phi / kDeg, (theta / c.n + kLon0) / kDeg};
}

} // namespace meteo
