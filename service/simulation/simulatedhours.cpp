// SPDX-License-Identifier: GPL-2.0-or-later
// The simulated current conditions, and the 48 hours and 8 quarter hours that follow them: the
// current hour and quarter are exactly the current conditions.
#include "simulatedweather.h"

#include "service/document/conditions.h"

namespace service {

void simulateCurrent(Weather &weather, const City &city, const QDateTime &nowUtc, WeatherReport &r)
{
    const Weather::Hour now = weather.at(nowUtc.toSecsSinceEpoch());  // a copy: the memo grows
    r.daylight = now.daylight;
    r.wmo = now.wmo;
    r.temperature = rounded(now.temperature);
    r.feelsLike = rounded(feelsLike(now.temperature, now.humidity, now.wind));
    r.humidity = rounded(now.humidity);
    r.dewPoint = rounded(dewPoint(now.temperature, now.humidity));
    r.pressure = std::round(now.pressure * 10.0) / 10.0;
    r.tendency = tendencyText(now.pressure - weather.at(nowUtc.toSecsSinceEpoch() - 3 * 3600).pressure);
    r.windSpeed = now.wind;
    r.windGust = gustOf(now.wind);
    r.windDirection = rounded(now.direction) % 360;
    r.visibility = now.wmo == 45 ? 0.4 : wet(now.wmo) ? std::max(1.0, 12 - 1.5 * now.sky.rain) : 12 + 18 * (1 - now.sky.cloud);
    r.visibility = std::round(r.visibility * 10.0) / 10.0;
    // The sun as high as it is now: none at night, the most at solar noon.
    r.uvIndex = rounded(uvIndex(solarElevation(city.latitude, city.longitude, nowUtc), city.latitude, city.altitude, now.sky.cloud));
}

void simulateHours(Weather &weather, const QDateTime &nowUtc, WeatherReport &r)
{
    const QTimeZone zone = r.observed.timeZone();
    const QDateTime local = r.observed;
    const Weather::Hour now = weather.at(nowUtc.toSecsSinceEpoch());  // a copy: the memo grows
    // The 48 hours and the 8 quarters, counted as instants from the current ones: every hour
    // 3,600 s after the last, the October night's repeated hour included.
    const QTime wall = local.time();
    const qint64 hour0 = nowUtc.toSecsSinceEpoch() - (wall.minute() * 60 + wall.second());
    for (int i = 0; i < 48; ++i) {
        const Weather::Hour w = i == 0 ? now : weather.at(hour0 + 3600 * i);  // a copy: the memo grows
        HourForecast h;
        h.time = i == 0 ? QDateTime::fromSecsSinceEpoch(hour0, zone) : w.local;
        // The hour's rain: at its start (as its condition) and its middle, for the hours the strip
        // and the chart show closest; showers last an hour or more, so these meet them.
        h.precipitation = (w.sky.rain + weather.at(hour0 + 3600 * i + 1800).sky.rain) / 2;
        h.precipitation = h.precipitation >= 0.1 ? std::round(h.precipitation * 10) / 10 : 0;
        h.wmo = w.wmo;
        if (!wet(h.wmo) && h.precipitation > 0 && i > 0)
            h.wmo = 80;  // a shower within the hour
        if (wet(h.wmo) && h.precipitation == 0 && i > 0)
            h.precipitation = 0.1;
        h.daylight = w.daylight;
        h.temperature = i == 0 ? r.temperature : w.temperature;
        h.feelsLike = i == 0 ? r.feelsLike : feelsLike(w.temperature, w.humidity, w.wind);
        h.rainChance = h.precipitation > 0 ? std::clamp(int(50 + 10 * h.precipitation), 60, 100) : rounded(25 * w.sky.cloud);
        h.windSpeed = w.wind;
        h.windGust = gustOf(w.wind);
        h.windDirection = rounded(w.direction) % 360;
        r.hours << h;
    }
    // The current quarter rains exactly when the current conditions say so.
    const qint64 quarter0 = nowUtc.toSecsSinceEpoch() - (wall.minute() % 15 * 60 + wall.second());
    for (int q = 0; q < 8; ++q) {
        const double rate = (q == 0 ? now : weather.at(quarter0 + 900 * q + 450)).sky.rain;
        r.rain << RainQuarter{QDateTime::fromSecsSinceEpoch(quarter0 + 900 * q, zone), rate >= 0.1 ? std::round(rate * 25) / 100 : 0.0};
    }
}

} // namespace service
