// SPDX-License-Identifier: GPL-2.0-or-later
// The simulation's air: concentrations and pollen that follow its own weather and season. Ozone
// is made by the sun, more in spring and summer and the warmer the afternoon (most in the south-east
// and the Rhône valley), and eaten at night by a town's traffic; NO₂ with the commune's population and
// its rush hours; particles at the morning and evening peaks of heating and traffic in still, cold
// winter air and in Alpine valleys, washed out by rain, and Saharan dust over the Antilles on some
// summer days; each pollen in its season and region, released by warm daylight (none in a frost),
// falling at night without vanishing, washed out by rain, raised by a dry wind; none overseas.
#include "simulatedweather.h"

#include "service/document/airreport.h"

#include <QHash>
#include <cmath>

namespace service {
namespace {

using meteo::Taxon;

// 0…1: how far into a season `day` (of the year) is, as a smooth bump from `from` to `to`.
double season(int day, int from, int to)
{
    if (day < from || day > to)
        return 0;
    return std::pow(std::sin(M_PI * (day - from) / double(to - from)), 2);
}

// A number in 0…1 that is the same for the same place and day, different from one day to the next.
double dayDraw(const QByteArray &code, QDate date, int salt)
{
    return double(qHash(code + QByteArray::number(date.toJulianDay() * 31 + salt)) % 10007) / 10006.0;
}

bool inRhoneAlpsOrAuvergne(const QByteArray &department)
{
    static const QList<QByteArray> region{"01", "03", "07", "15", "26", "38", "42", "43", "63", "69", "73", "74"};
    return region.contains(department);
}

} // namespace

std::optional<AirReport> simulatedAir(Weather &weather, const City &city, const QDateTime &nowUtc)
{
    const QTimeZone zone(city.timeZone());
    const QDateTime local = nowUtc.toTimeZone(zone);
    const bool metropolitan = city.department.size() == 2;
    const Climate &climate = weather.climate();
    // Where ozone builds most: the south-east and the Rhône valley, sunny and still.
    const double southEast = std::clamp((city.longitude - 2.5) / 3.0, 0.0, 1.0) * std::clamp((46.5 - city.latitude) / 3.0, 0.0, 1.0);
    const double rhone = std::abs(city.longitude - 4.85) < 0.6 && city.latitude > 43.9 && city.latitude < 46.0 ? 1.0 : 0.0;
    const double town = std::clamp(std::log10(std::max(city.population, 100) / 1000.0), 0.0, 3.5);  // 0 a village … 3.3 Paris
    const bool arve = city.code == "FR74056" || city.code == "FR74208" || city.code == "FR74236" || city.code == "FR74258";
    const bool antilles = city.department == "971" || city.department == "972" || city.department == "977" || city.department == "978";
    const double north = std::clamp((city.latitude - 45.5) / 3.0, 0.0, 1.0), east = std::clamp((city.longitude - 3.0) / 4.0, 0.0, 1.0);
    const double mediterranean = climate.mediterranean();

    QList<AirHour> hours;
    const qint64 start = QDateTime(local.date(), QTime(0, 0), zone).toSecsSinceEpoch();
    const qint64 end = QDateTime(local.date().addDays(4), QTime(0, 0), zone).toSecsSinceEpoch();
    for (qint64 t = start; t < end; t += 3600) {
        const Weather::Hour &w = weather.at(t);
        const double hour = w.local.time().hour() + w.local.time().minute() / 60.0;
        const int day = w.local.date().dayOfYear();
        const double sun = w.daylight ? std::max(0.0, std::sin(M_PI * (hour - 7) / 13)) * (1 - 0.8 * w.sky.cloud) : 0;
        const double wet = std::min(1.0, w.sky.rain / 2);  // 1 for a steady rain: what it washes out
        const double still = std::clamp(1 - w.wind / 25, 0.0, 1.0);
        AirHour h;
        h.time = w.local;
        // Ozone: a background highest in late spring, made by the day's sun (weaker in winter) the more
        // the warmer, and eaten at night by the nitrogen oxides of a town's traffic.
        const double summer = season(day, 90, 270), spring = season(day, 60, 240);
        const double strength = 0.45 + 0.55 * season(day, 20, 345);
        const double made = sun * strength * (15 + 5.5 * std::max(0.0, w.temperature - 8)) * (1 + 0.35 * std::max(southEast, rhone))
                            * (0.6 + 0.4 * still);
        const double o3 = std::max(5.0, 38 + 22 * spring + made - (w.daylight ? 0 : 9 * town * still));
        // NO₂: the town's traffic, its rush hours at 8 h and 19 h, fewer at weekends, blown away by wind.
        const bool weekend = w.local.date().dayOfWeek() >= 6;
        const double rush = std::exp(-std::pow(hour - 8, 2) / 3) + 0.8 * std::exp(-std::pow(hour - 19, 2) / 4);
        const double no2 = (4 + 14 * town * (0.4 + (weekend ? 0.4 : 1.0) * rush)) * (0.4 + 0.6 * still) + 2;
        // Particles: heating and traffic at their morning and evening peaks in still cold air, lowest in
        // the afternoon's mixing, the Arve valley's worst; rain washes them out.
        const double cold = std::clamp((6 - w.temperature) / 10, 0.0, 1.0);
        const double peaks = 0.8 * std::exp(-std::pow(hour - 8.5, 2) / 4) + std::exp(-std::pow(std::min(std::abs(hour - 20), 24 - std::abs(hour - 20)), 2) / 10);
        double pm10 = (10 + 3 * town * (0.6 + 0.8 * peaks) + 30 * cold * still * (0.3 + peaks) * (arve ? 2.5 : 1.0)
                       + 6 * dayDraw(city.code, w.local.date(), 1))
                      * (1 - 0.6 * wet);
        if (antilles && summer > 0.3 && dayDraw(city.code.left(5), w.local.date(), 2) > 0.8)
            pm10 += 45 + 50 * dayDraw(city.department, w.local.date(), 3);  // a Saharan dust plume
        const double pm25 = pm10 * (antilles ? 0.35 : 0.6 + 0.2 * cold);
        const double so2 = 1 + 2 * town / 3.5;
        h.pollutants = {pm25, pm10, no2, o3, so2};
        if (metropolitan) {
            // Pollen: its season and region, released in the day's warm hours (none in a frost), still in
            // the air at night, washed out by rain, raised by a dry wind.
            const double daytime = 0.2 + 0.8 * std::max(0.0, std::sin(M_PI * (hour - 6) / 14));
            const double warmth = std::clamp(w.temperature / 8, 0.0, 1.0);
            const double lift = daytime * warmth * (1 - 0.85 * wet) * (0.7 + 0.6 * std::clamp(w.wind / 30, 0.0, 1.0) * (1 - wet));
            const double noise = 0.5 + dayDraw(city.code, w.local.date(), 4);
            PollenCounts p{};
            p[int(Taxon::Aulne)] = 90 * season(day, 5, 85) * (1 - 0.7 * mediterranean);
            p[int(Taxon::Bouleau)] = 420 * season(day, 70, 150) * (0.25 + 0.75 * std::max(north, east)) * (1 - 0.97 * mediterranean);
            p[int(Taxon::Graminees)] = 110 * season(day, 120, 205);
            p[int(Taxon::Armoise)] = 30 * season(day, 180, 270);
            p[int(Taxon::Olivier)] = 380 * season(day, 120, 180) * std::clamp((mediterranean - 0.15) / 0.6, 0.0, 1.0);  // the olive groves' rim
            // Ragweed spreads from the Rhône valley; the Atlantic west is next to free of it.
            p[int(Taxon::Ambroisie)] = 70 * season(day, 225, 275)
                                       * (inRhoneAlpsOrAuvergne(city.department) ? 1.0 : 0.06 * std::clamp((city.longitude + 1) / 4, 0.0, 1.0));
            for (double &v : p)
                v = std::round(v * lift * noise * 1.6);
            h.pollen = p;
        }
        hours << h;
    }
    Result<AirReport> air = airFromHours(hours, QDateTime::fromSecsSinceEpoch(nowUtc.toSecsSinceEpoch(), zone), "simulation");
    return air.ok() ? std::optional<AirReport>(air.value()) : std::nullopt;
}

} // namespace service
