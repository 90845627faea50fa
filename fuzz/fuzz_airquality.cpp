// SPDX-License-Identifier: GPL-2.0-or-later
// The air-quality reader on arbitrary JSON: the place's air or a reason, never a crash; every class
// and level within its scale, the 48 hours an hour apart from the one holding the clock.
#include "service/live/openmeteo.h"

#include <QTimeZone>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    service::City city;
    city.code = "FR67482";
    city.department = "67";
    static const QDateTime now(QDate(2027, 4, 12), QTime(10, 20), QTimeZone::utc());
    const service::Result<service::AirReport> air =
        service::parseAirQuality(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), city, now);
    if (!air.ok())
        return 0;
    if (air.value().hours.size() != 48 || air.value().days.isEmpty() || air.value().days.size() > 4)
        std::abort();
    for (const service::AirDay &d : air.value().days) {
        if (d.atmo.atmo < 1 || d.atmo.atmo > 6)
            std::abort();
        for (int t = 0; d.pollen && t < meteo::kTaxa; ++t)
            if ((*d.pollen)[t] < 0 || (*d.pollen)[t] > 5)
                std::abort();
    }
    for (qsizetype i = 0; i < air.value().hours.size(); ++i) {
        const service::AirHour &h = air.value().hours[i];
        if ((i > 0 && air.value().hours[i - 1].time.secsTo(h.time) != 3600) || (i == 0 && (h.time > now || h.time.secsTo(now) >= 3600)))
            std::abort();
        for (const double v : h.pollutants)
            if (!(v >= 0 && v <= 1000))
                std::abort();
    }
    return 0;
}
