// SPDX-License-Identifier: GPL-2.0-or-later
// The Open-Meteo JSON answer read into a report: strictly, every value range-checked, so that no
// half-filled or absurd document is ever served. Apart from the network code so it can be fuzzed.
#include "openmeteo.h"

#include "service/document/conditions.h"
#include "jsonreader.h"

#include <QTimeZone>
#include <cmath>
#include <optional>

namespace service {
namespace {

constexpr qsizetype kMaxDays = 9;  // what the document serves at the most

// The Open-Meteo words of the shared reader's faults.
QString problem(const JsonReader &in)
{
    return in.missing().isEmpty() ? QStringLiteral("valeur d'Open-Meteo hors limites : ") + in.outOfRange()
                                  : QStringLiteral("réponse d'Open-Meteo sans ") + QString::fromLatin1(in.missing());
}

HttpError fault(const JsonReader &in)
{
    return {502, problem(in).toUtf8()};
}

// A WMO weather code: a whole number this service has a condition for.
int wmo(JsonReader &in, double v, const char *what)
{
    const int code = rounded(in.within(v, what, 0, 99));
    if (in.ok() && (code != v || !isKnownWmo(code)))
        in.refuse(QStringLiteral("%1 = %2 (code WMO inconnu)").arg(QString::fromLatin1(what)).arg(v, 0, 'g', 6));
    return in.ok() ? code : 0;
}

// The `count` steps of a series from the one that holds `now`, with the index of that one; or the
// first fault: an unreadable time, one not `step` seconds after the last, or too few ahead.
struct Steps {
    qsizetype first = 0;
    QList<QDateTime> starts;
};

Result<Steps> stepsAhead(const QJsonArray &times, const char *name, qint64 step, qsizetype count, const QDateTime &now,
                         const QTimeZone &zone)
{
    Steps out;
    std::optional<QDateTime> last;
    for (qsizetype i = 0; i < times.size() && out.starts.size() < count; ++i) {
        const std::optional<QDateTime> t = unixInstant(times.at(i), zone);
        if (!t)
            return HttpError{502, QByteArray(name) + "[" + QByteArray::number(i) + "] n'est pas un instant"};
        if (last && last->secsTo(*t) != step)
            return HttpError{502, QByteArray(name) + "[" + QByteArray::number(i) + "] ne suit pas le précédent de "
                                      + QByteArray::number(step) + " s"};
        last = t;
        if (!out.starts.isEmpty() || (*t <= now && now < t->addSecs(step))) {
            out.first = out.starts.isEmpty() ? i : out.first;
            out.starts << *t;
        }
    }
    if (out.starts.size() < count)
        return HttpError{502, QByteArray(name) + " ne couvre pas les " + QByteArray::number(count) + " pas à venir"};
    return out;
}

qsizetype indexOfInstant(const QJsonArray &times, const QDateTime &t)
{
    // Compared as numbers: a time far beyond any instant converts to no integer.
    for (qsizetype i = 0; i < times.size(); ++i)
        if (times.at(i).isDouble() && times.at(i).toDouble() == double(t.toSecsSinceEpoch()))
            return i;
    return -1;
}

// The 48 hours from the one that holds `now`: a section the main window does without, so a fault in
// it is said and the section left out rather than the whole answer refused.
Result<QList<HourForecast>> readHours(const QJsonObject &hourly, const QList<DayForecast> &days,
                                      const QList<std::pair<QDateTime, QDateTime>> &suns, const QDateTime &now,
                                      const QTimeZone &zone)
{
    JsonReader in;
    const QJsonArray times = in.array(hourly, "hourly", "time", 48);
    if (!in.ok())
        return fault(in);
    const Result<Steps> steps = stepsAhead(times, "hourly.time", 3600, 48, now, zone);
    if (!steps.ok())
        return steps.error();
    const qsizetype first = steps.value().first;
    const auto column = [&](const char *name) { return in.array(hourly, "hourly", name, times.size()); };
    const QJsonArray temps = column("temperature_2m"), feels = column("apparent_temperature"),
                     chances = column("precipitation_probability"), amounts = column("precipitation"),
                     codes = column("weather_code"), speeds = column("wind_speed_10m"), gusts = column("wind_gusts_10m"),
                     directions = column("wind_direction_10m");
    QList<HourForecast> out;
    for (qsizetype i = first; i < first + 48 && in.ok(); ++i) {
        HourForecast h;
        h.time = steps.value().starts[i - first];
        h.temperature = in.within(in.at(temps, i, "hourly.temperature_2m"), "hourly.temperature_2m", -90, 60);
        h.feelsLike = in.within(in.at(feels, i, "hourly.apparent_temperature"), "hourly.apparent_temperature", -90, 60);
        h.rainChance = rounded(in.within(in.at(chances, i, "hourly.precipitation_probability"), "hourly.precipitation_probability", 0, 100));
        h.precipitation = in.within(in.at(amounts, i, "hourly.precipitation"), "hourly.precipitation", 0, 500);
        h.wmo = wmo(in, in.at(codes, i, "hourly.weather_code"), "hourly.weather_code");
        h.windSpeed = in.within(in.at(speeds, i, "hourly.wind_speed_10m"), "hourly.wind_speed_10m", 0, 400);
        h.windGust = in.within(in.at(gusts, i, "hourly.wind_gusts_10m"), "hourly.wind_gusts_10m", 0, 400);
        h.windDirection = rounded(in.within(in.at(directions, i, "hourly.wind_direction_10m"), "hourly.wind_direction_10m", 0, 360)) % 360;
        // Day or night by the instants of the sun of its own date.
        for (qsizetype d = 0; d < days.size(); ++d)
            if (days[d].date == h.time.date())
                h.daylight = h.time >= suns[d].first && h.time < suns[d].second;
        out << h;
    }
    if (!in.ok())
        return fault(in);
    return out;
}

// The 8 quarter hours from the one that holds `now`; optional like the hours.
Result<QList<RainQuarter>> readQuarters(const QJsonObject &root, const QDateTime &now, const QTimeZone &zone)
{
    JsonReader in;
    const QJsonObject minutely = in.object(root, nullptr, "minutely_15");
    const QJsonArray times = in.array(minutely, "minutely_15", "time", 8);
    const QJsonArray rain = in.array(minutely, "minutely_15", "precipitation", times.size());
    if (!in.ok())
        return fault(in);
    const Result<Steps> steps = stepsAhead(times, "minutely_15.time", 900, 8, now, zone);
    if (!steps.ok())
        return steps.error();
    const qsizetype first = steps.value().first;
    QList<RainQuarter> out;
    for (qsizetype i = first; i < first + 8; ++i)
        out << RainQuarter{steps.value().starts[i - first], in.within(in.at(rain, i, "minutely_15.precipitation"), "minutely_15.precipitation", 0, 500)};
    if (!in.ok())
        return fault(in);
    return out;
}

} // namespace


namespace {

// The current conditions, each in its physical range; an observation that is stale (a cache upstream)
// or from the future (a wrong clock) is no current weather.
std::optional<QString> readCurrent(const QJsonObject &current, const QDateTime &nowUtc, const QTimeZone &zone, WeatherReport &r)
{
    JsonReader in;
    const std::optional<QDateTime> observed = unixInstant(current.value(QLatin1StringView("time")), zone);
    const auto value = [&](const char *name, const char *what, double lo, double hi) {
        return in.within(in.number(current, "current", name), what, lo, hi);
    };
    r.temperature = rounded(value("temperature_2m", "current.temperature_2m", -90, 60));
    r.feelsLike = rounded(value("apparent_temperature", "current.apparent_temperature", -90, 60));
    r.humidity = rounded(value("relative_humidity_2m", "current.relative_humidity_2m", 0, 100));
    r.daylight = value("is_day", "current.is_day", 0, 1) != 0;
    r.wmo = wmo(in, in.number(current, "current", "weather_code"), "current.weather_code");
    r.pressure = std::round(value("pressure_msl", "current.pressure_msl", 850, 1100) * 10.0) / 10.0;
    r.windSpeed = value("wind_speed_10m", "current.wind_speed_10m", 0, 400);
    r.windDirection = rounded(value("wind_direction_10m", "current.wind_direction_10m", 0, 360)) % 360;
    r.windGust = value("wind_gusts_10m", "current.wind_gusts_10m", 0, 400);
    if (!in.ok())
        return problem(in);
    if (!observed)
        return QStringLiteral("réponse d'Open-Meteo sans current.time");
    if (observed->secsTo(nowUtc) > 3 * 3600)
        return QStringLiteral("Open-Meteo : données périmées (du %1)").arg(observed->toString(Qt::ISODate));
    if (nowUtc.secsTo(*observed) > 3 * 3600)
        return QStringLiteral("Open-Meteo : données datées du futur (%1)").arg(observed->toString(Qt::ISODate));
    r.observed = *observed;
    r.dewPoint = rounded(dewPoint(r.temperature, r.humidity));
    return std::nullopt;
}

// What the current conditions take from the hour that holds the observation: the pressure's change
// over three hours (found by instant, on UTC hours, which are not local hours in a half-hour zone),
// and the visibility and UV index when the current block lacks them.
std::optional<QString> readObservedHour(const QJsonObject &current, const QJsonObject &hourly, const QTimeZone &zone, WeatherReport &r)
{
    JsonReader in;
    const QJsonArray hours = in.array(hourly, "hourly", "time", 1);
    qsizetype now = -1;
    for (qsizetype i = 0; i < hours.size() && now < 0; ++i)
        if (const std::optional<QDateTime> t = unixInstant(hours.at(i), zone); t && *t <= r.observed && r.observed < t->addSecs(3600))
            now = i;
    const qsizetype before = now < 0 ? -1 : indexOfInstant(hours, unixInstant(hours.at(now), zone)->addSecs(-3 * 3600));
    const QJsonArray pressures = in.array(hourly, "hourly", "pressure_msl", hours.size());
    const double change = in.within(in.at(pressures, now, "hourly.pressure_msl of this hour"), "hourly.pressure_msl", 850, 1100)
                          - in.within(in.at(pressures, before, "hourly.pressure_msl of three hours before"), "hourly.pressure_msl", 850, 1100);
    r.tendency = tendencyText(change);
    const auto currentOrHour = [&](const char *name, const char *what) {
        const QJsonValue v = current.value(QLatin1StringView(name));
        return v.isDouble() ? v.toDouble() : in.at(in.array(hourly, "hourly", name, hours.size()), now, what);
    };
    r.visibility = std::round(in.within(currentOrHour("visibility", "hourly.visibility"), "visibility", 0, 1e6) / 100.0) / 10.0;
    r.uvIndex = rounded(in.within(currentOrHour("uv_index", "hourly.uv_index"), "uv_index", 0, 20));
    return in.ok() ? std::nullopt : std::optional<QString>(problem(in));
}

// The days from today, one date after the other; only the nine the document can hold are kept, each
// with the instants of its sun.
std::optional<QString> readDays(const QJsonObject &daily, const QTimeZone &zone, WeatherReport &r,
                                QList<std::pair<QDateTime, QDateTime>> &suns)
{
    JsonReader in;
    const QJsonArray days = in.array(daily, "daily", "time", 1);
    const QJsonArray codes = in.array(daily, "daily", "weather_code", days.size());
    const QJsonArray highs = in.array(daily, "daily", "temperature_2m_max", days.size());
    const QJsonArray lows = in.array(daily, "daily", "temperature_2m_min", days.size());
    const QJsonArray rises = in.array(daily, "daily", "sunrise", days.size());
    const QJsonArray sets = in.array(daily, "daily", "sunset", days.size());
    const QDate today = r.observed.date();
    for (qsizetype i = 0; i < days.size() && in.ok() && r.days.size() < kMaxDays; ++i) {
        // A day is written as the instant of its local midnight, reckoned with the answer's one
        // offset: half a day later is within the right date whatever that offset's error.
        const std::optional<QDateTime> midnight = unixInstant(days.at(i), zone);
        const QDate date = midnight ? midnight->addSecs(12 * 3600).date() : QDate();
        if (!date.isValid())
            return QStringLiteral("daily.time[%1] n'est pas une date").arg(i);
        if (date < today)
            continue;  // yesterday's, in a zone that has passed midnight
        if (r.days.isEmpty() ? date != today : r.days.last().date.daysTo(date) != 1)
            return QStringLiteral("daily.time[%1] : le %2 ne suit pas le jour précédent").arg(i).arg(date.toString(Qt::ISODate));
        DayForecast d;
        d.date = date;
        d.dayWmo = d.nightWmo = wmo(in, in.at(codes, i, "daily.weather_code"), "daily.weather_code");
        d.high = rounded(in.within(in.at(highs, i, "daily.temperature_2m_max"), "daily.temperature_2m_max", -90, 60));
        d.low = rounded(in.within(in.at(lows, i, "daily.temperature_2m_min"), "daily.temperature_2m_min", -90, 60));
        const std::optional<QDateTime> rise = unixInstant(rises.at(i), zone), set = unixInstant(sets.at(i), zone);
        if (!rise || !set || rise->date() != date || set->date() != date || *set <= *rise)
            return QStringLiteral("réponse d'Open-Meteo sans heures de soleil du %1").arg(date.toString(Qt::ISODate));
        d.sunrise = rise->time();
        d.sunset = set->time();
        // The day's wind is an extra: served when both values are there and in range.
        const QJsonValue speed = daily.value(QLatin1StringView("wind_speed_10m_max")).toArray().at(i),
                         towards = daily.value(QLatin1StringView("wind_direction_10m_dominant")).toArray().at(i);
        if (speed.isDouble() && towards.isDouble() && speed.toDouble() >= 0 && speed.toDouble() <= 400
            && towards.toDouble() >= 0 && towards.toDouble() <= 360) {
            d.windSpeed = speed.toDouble();
            d.windDirection = rounded(towards.toDouble()) % 360;
        }
        suns.append({*rise, *set});
        r.days << d;
    }
    if (!in.ok())
        return problem(in);
    if (r.days.isEmpty())
        return QStringLiteral("réponse d'Open-Meteo sans le jour du %1").arg(today.toString(Qt::ISODate));
    return std::nullopt;
}

} // namespace

SourceResult parseOpenMeteo(const QByteArray &json, const City &city, const QDateTime &nowUtc)
{
    QString why;
    const std::optional<QJsonObject> root = jsonObject(json, &why);
    if (!root)
        return sourceFailure(QStringLiteral("réponse d'Open-Meteo illisible (%1)").arg(why));
    JsonReader in;
    const QJsonObject current = in.object(*root, nullptr, "current"), hourly = in.object(*root, nullptr, "hourly"),
                      daily = in.object(*root, nullptr, "daily");
    if (!in.ok())
        return sourceFailure(problem(in));
    // Every moment is read as an instant and shown in the commune's own zone: Open-Meteo writes local
    // times with the offset of the day it answers, an hour off past a change of legal time.
    const QTimeZone zone(city.timeZone());
    WeatherReport r = reportOf(city, "Open-Meteo");
    QList<std::pair<QDateTime, QDateTime>> suns;
    // Each section reads on what the one before it found (the observation's instant, today's date).
    if (std::optional<QString> failure = readCurrent(current, nowUtc, zone, r); failure)
        return sourceFailure(*failure);
    if (std::optional<QString> failure = readObservedHour(current, hourly, zone, r); failure)
        return sourceFailure(*failure);
    if (std::optional<QString> failure = readDays(daily, zone, r, suns); failure)
        return sourceFailure(*failure);

    // The sections of the charts: left out, and said, when they cannot be served whole.
    const QDateTime clock = nowUtc.toTimeZone(zone);
    if (const Result<QList<HourForecast>> h = readHours(hourly, r.days, suns, clock, zone); h.ok())
        r.hours = h.value();
    else
        r.omitted << "heures omises : " + h.error().text;
    if (const Result<QList<RainQuarter>> q = readQuarters(*root, clock, zone); q.ok())
        r.rain = q.value();
    else
        r.omitted << "pluie omise : " + q.error().text;
    return r;
}

} // namespace service
