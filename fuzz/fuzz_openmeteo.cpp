// SPDX-License-Identifier: GPL-2.0-or-later
// The Open-Meteo reader on arbitrary JSON: a report or a reason, never a crash, and every value of a
// report within its physical range, its hours and quarters a steady step apart from the clock's.
#include "service/live/openmeteo.h"

#include <QTimeZone>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    service::City city;
    city.code = "FR75056";
    city.name = "Paris";
    // The seed's own moment, so that mutations of it reach past the age check.
    static const QDateTime now(QDate(2026, 12, 6), QTime(14, 45), QTimeZone::utc());
    const service::SourceResult result =
        service::parseOpenMeteo(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), city, now);
    if (result.ok()) {
        const service::WeatherReport *r = &result.value();
        if (r->temperature < -90 || r->temperature > 60 || r->humidity < 0 || r->humidity > 100
            || r->pressure < 850 || r->pressure > 1100 || r->windDirection < 0 || r->windDirection >= 360)
            std::abort();
        for (const service::DayForecast &d : r->days)
            if (d.high < -90 || d.high > 60 || d.low < -90 || d.low > 60)
                std::abort();
        if (std::abs(r->observed.secsTo(now)) > 3 * 3600 || r->days.size() > 9)
            std::abort();
        for (qsizetype i = 0; i < r->hours.size(); ++i)
            if ((i > 0 && r->hours[i - 1].time.secsTo(r->hours[i].time) != 3600) || (i == 0 && r->hours[0].time.secsTo(now) >= 3600)
                || r->hours[i].precipitation < 0 || r->hours[i].precipitation > 500)
                std::abort();
        for (qsizetype i = 1; i < r->rain.size(); ++i)
            if (r->rain[i - 1].start.secsTo(r->rain[i].start) != 900)
                std::abort();
    }
    return 0;
}
