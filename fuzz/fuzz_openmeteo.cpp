// The Open-Meteo reader on arbitrary JSON: a report or a reason, never a crash, and every value of a
// report within its physical range.
#include "service/openmeteo.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    service::City city;
    city.code = "FR75056";
    city.name = "Paris";
    const service::SourceResult result =
        service::parseOpenMeteo(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), city);
    if (result.ok()) {
        const service::WeatherReport *r = &result.value();
        if (r->temperature < -90 || r->temperature > 60 || r->humidity < 0 || r->humidity > 100
            || r->pressure < 850 || r->pressure > 1100 || r->windDirection < 0 || r->windDirection >= 360)
            std::abort();
        for (const service::DayForecast &d : r->days)
            if (d.high < -90 || d.high > 60 || d.low < -90 || d.low > 60)
                std::abort();
    }
    return 0;
}
