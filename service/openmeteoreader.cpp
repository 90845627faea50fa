// The Open-Meteo JSON answer read into a report: strictly, every value range-checked, so that no
// half-filled or absurd document is ever served. Apart from the network code so it can be fuzzed.
#include "openmeteo.h"

#include "conditions.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>
#include <cmath>
#include <optional>

namespace service {
namespace {

// Reads the answer strictly: any field missing or of the wrong kind is reported by name, so that no
// half-filled document is ever served.
class Reader {
public:
    explicit Reader(QJsonObject root) : root_(std::move(root)) {}
    QString missing;

    QJsonObject object(const char *name) { return field(root_, nullptr, name, &QJsonValue::isObject).toObject(); }
    double number(const char *name) { return field(root_, nullptr, name, &QJsonValue::isDouble).toDouble(); }
    double number(const QJsonObject &o, const char *group, const char *name)
    {
        return field(o, group, name, &QJsonValue::isDouble).toDouble();
    }
    QString string(const QJsonObject &o, const char *group, const char *name)
    {
        return field(o, group, name, &QJsonValue::isString).toString();
    }
    QJsonArray array(const QJsonObject &o, const char *group, const char *name, qsizetype length)
    {
        const QJsonArray a = field(o, group, name, &QJsonValue::isArray).toArray();
        if (a.size() < length)
            fail(QByteArray(group) + '.' + name);
        return a;
    }
    double at(const QJsonArray &a, qsizetype i, const char *what)
    {
        if (i < 0 || i >= a.size() || !a.at(i).isDouble())
            fail(what);
        return a.at(i).toDouble();
    }
    // `v` when it is a finite number within lo…hi; otherwise the first such fault is named with the
    // value, and 0 stands in so that nothing computes on it.
    double within(double v, const char *what, double lo, double hi)
    {
        if (v >= lo && v <= hi)  // false for NaN
            return v;
        if (ok())
            outOfRange = QStringLiteral("%1 = %2").arg(QString::fromLatin1(what)).arg(v, 0, 'g', 6);
        return 0;
    }
    int wmo(double v, const char *what)
    {
        const int code = rounded(within(v, what, 0, 99));
        if (ok() && (code != v || !isKnownWmo(code)))
            outOfRange = QStringLiteral("%1 = %2 (code WMO inconnu)").arg(QString::fromLatin1(what)).arg(v, 0, 'g', 6);
        return ok() ? code : 0;
    }
    bool ok() const { return missing.isEmpty() && outOfRange.isEmpty(); }
    QString problem() const
    {
        return missing.isEmpty() ? QStringLiteral("valeur d'Open-Meteo hors limites : ") + outOfRange
                                 : QStringLiteral("réponse d'Open-Meteo sans ") + missing;
    }
    QString outOfRange;

private:
    // The member `name` of `o` when it is of the kind asked; otherwise the first such miss is named
    // ("current.time", or just the name at the top level).
    QJsonValue field(const QJsonObject &o, const char *group, const char *name, bool (QJsonValue::*kind)() const)
    {
        const QJsonValue v = o.value(QLatin1StringView(name));
        if (!(v.*kind)())
            fail(group ? QByteArray(group) + '.' + name : QByteArray(name));
        return v;
    }
    void fail(const QByteArray &what)
    {
        if (missing.isEmpty())
            missing = QString::fromLatin1(what);
    }
    QJsonObject root_;
};

std::optional<QDateTime> localTime(const QString &text, const QTimeZone &zone)
{
    const QDateTime t = QDateTime::fromString(text, QStringLiteral("yyyy-MM-ddTHH:mm"));
    if (!t.isValid())
        return std::nullopt;
    return QDateTime(t.date(), t.time(), zone);
}

} // namespace

SourceResult parseOpenMeteo(const QByteArray &json, const City &city)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (!document.isObject())
        return sourceFailure(QStringLiteral("réponse d'Open-Meteo illisible (%1)").arg(error.errorString()));
    Reader in(document.object());
    const double offset = in.number("utc_offset_seconds");
    if (!(std::abs(offset) <= 14 * 3600))
        return sourceFailure(QStringLiteral("réponse d'Open-Meteo sans utc_offset_seconds utilisable"));
    const QTimeZone zone{int(offset)};
    const QJsonObject current = in.object("current"), hourly = in.object("hourly"), daily = in.object("daily");

    WeatherReport r = reportOf(city, "Open-Meteo");
    const std::optional<QDateTime> observed = localTime(in.string(current, "current", "time"), zone);
    // Physical ranges: anything outside is a broken answer, never served.
    r.temperature = rounded(in.within(in.number(current, "current", "temperature_2m"), "current.temperature_2m", -90, 60));
    r.feelsLike = rounded(in.within(in.number(current, "current", "apparent_temperature"), "current.apparent_temperature", -90, 60));
    r.humidity = rounded(in.within(in.number(current, "current", "relative_humidity_2m"), "current.relative_humidity_2m", 0, 100));
    r.daylight = in.within(in.number(current, "current", "is_day"), "current.is_day", 0, 1) != 0;
    r.wmo = in.wmo(in.number(current, "current", "weather_code"), "current.weather_code");
    const double pressure = in.within(in.number(current, "current", "pressure_msl"), "current.pressure_msl", 850, 1100);
    r.pressure = std::round(pressure * 10.0) / 10.0;
    r.windSpeed = in.within(in.number(current, "current", "wind_speed_10m"), "current.wind_speed_10m", 0, 400);
    r.windDirection = rounded(in.within(in.number(current, "current", "wind_direction_10m"), "current.wind_direction_10m", 0, 360)) % 360;
    r.windGust = in.within(in.number(current, "current", "wind_gusts_10m"), "current.wind_gusts_10m", 0, 400);
    if (!in.ok())
        return sourceFailure(in.problem());
    if (!observed)
        return sourceFailure(QStringLiteral("réponse d'Open-Meteo sans current.time"));
    r.observed = *observed;
    r.dewPoint = rounded(dewPoint(r.temperature, r.humidity));

    // Hourly values of the current hour, and the pressure three hours before it.
    const QJsonArray hours = in.array(hourly, "hourly", "time", 1);
    const QString thisHour = r.observed.toString(QStringLiteral("yyyy-MM-ddTHH:00"));
    qsizetype now = -1;
    for (qsizetype i = 0; i < hours.size(); ++i)
        if (hours.at(i).toString() == thisHour)
            now = i;
    const QJsonArray pressures = in.array(hourly, "hourly", "pressure_msl", hours.size());
    const double change = in.within(in.at(pressures, now, "hourly.pressure_msl of this hour"), "hourly.pressure_msl", 850, 1100)
                          - in.within(in.at(pressures, now - 3, "hourly.pressure_msl of three hours before"), "hourly.pressure_msl", 850, 1100);
    r.tendency = tendencyText(change);
    const double visibility = current.value(QLatin1StringView("visibility")).isDouble()
                                  ? current.value(QLatin1StringView("visibility")).toDouble()
                                  : in.at(in.array(hourly, "hourly", "visibility", hours.size()), now, "hourly.visibility");
    r.visibility = std::round(in.within(visibility, "visibility", 0, 1e6) / 100.0) / 10.0;
    r.uvIndex = rounded(in.within(current.value(QLatin1StringView("uv_index")).isDouble()
                                      ? current.value(QLatin1StringView("uv_index")).toDouble()
                                      : in.at(in.array(hourly, "hourly", "uv_index", hours.size()), now, "hourly.uv_index"),
                                  "uv_index", 0, 20));

    const QJsonArray days = in.array(daily, "daily", "time", 1);
    const QJsonArray codes = in.array(daily, "daily", "weather_code", days.size());
    const QJsonArray highs = in.array(daily, "daily", "temperature_2m_max", days.size());
    const QJsonArray lows = in.array(daily, "daily", "temperature_2m_min", days.size());
    const QJsonArray rises = in.array(daily, "daily", "sunrise", days.size());
    const QJsonArray sets = in.array(daily, "daily", "sunset", days.size());
    for (qsizetype i = 0; i < days.size() && in.ok(); ++i) {
        DayForecast d;
        d.date = QDate::fromString(days.at(i).toString(), Qt::ISODate);
        d.dayWmo = d.nightWmo = in.wmo(in.at(codes, i, "daily.weather_code"), "daily.weather_code");
        d.high = rounded(in.within(in.at(highs, i, "daily.temperature_2m_max"), "daily.temperature_2m_max", -90, 60));
        d.low = rounded(in.within(in.at(lows, i, "daily.temperature_2m_min"), "daily.temperature_2m_min", -90, 60));
        const std::optional<QDateTime> rise = localTime(rises.at(i).toString(), zone);
        const std::optional<QDateTime> set = localTime(sets.at(i).toString(), zone);
        if (!d.date.isValid() || !rise || !set)
            return sourceFailure(QStringLiteral("réponse d'Open-Meteo sans dates ou heures de soleil du jour %1").arg(i));
        d.sunrise = rise->time();
        d.sunset = set->time();
        r.days << d;
    }
    if (!in.ok())
        return sourceFailure(in.problem());

    // The 48 hours from the current one, each range-checked like the rest.
    const auto series = [&](const char *name) { return in.array(hourly, "hourly", name, hours.size()); };
    const QJsonArray temps = series("temperature_2m"), feels = series("apparent_temperature"),
                     chances = series("precipitation_probability"), amounts = series("precipitation"),
                     codesByHour = series("weather_code"), speeds = series("wind_speed_10m"),
                     gusts = series("wind_gusts_10m"), directions = series("wind_direction_10m");
    for (qsizetype i = now; i < now + 48 && in.ok(); ++i) {
        HourForecast h;
        const std::optional<QDateTime> at = localTime(hours.at(i).toString(), zone);
        if (i >= hours.size() || !at)
            return sourceFailure(QStringLiteral("réponse d'Open-Meteo sans les 48 heures à venir"));
        h.time = *at;
        h.temperature = rounded(in.within(in.at(temps, i, "hourly.temperature_2m"), "hourly.temperature_2m", -90, 60));
        h.feelsLike = rounded(in.within(in.at(feels, i, "hourly.apparent_temperature"), "hourly.apparent_temperature", -90, 60));
        h.rainChance = rounded(in.within(in.at(chances, i, "hourly.precipitation_probability"), "hourly.precipitation_probability", 0, 100));
        h.precipitation = in.within(in.at(amounts, i, "hourly.precipitation"), "hourly.precipitation", 0, 500);
        h.wmo = in.wmo(in.at(codesByHour, i, "hourly.weather_code"), "hourly.weather_code");
        h.windSpeed = in.within(in.at(speeds, i, "hourly.wind_speed_10m"), "hourly.wind_speed_10m", 0, 400);
        h.windGust = in.within(in.at(gusts, i, "hourly.wind_gusts_10m"), "hourly.wind_gusts_10m", 0, 400);
        h.windDirection = rounded(in.within(in.at(directions, i, "hourly.wind_direction_10m"), "hourly.wind_direction_10m", 0, 360)) % 360;
        for (const DayForecast &d : r.days)
            if (d.date == h.time.date())
                h.daylight = h.time.time() >= d.sunrise && h.time.time() < d.sunset;
        r.hours << h;
    }
    // The quarter hours from the one the observation falls in.
    const QJsonObject minutely = in.object("minutely_15");
    const QJsonArray quarters = in.array(minutely, "minutely_15", "time", 8);
    const QJsonArray rain = in.array(minutely, "minutely_15", "precipitation", quarters.size());
    qsizetype first = -1;
    for (qsizetype i = 0; i < quarters.size(); ++i)
        if (const std::optional<QDateTime> start = localTime(quarters.at(i).toString(), zone); start && *start <= r.observed)
            first = i;
    for (qsizetype i = first; i >= 0 && i < first + 8 && in.ok(); ++i) {
        const std::optional<QDateTime> start = localTime(quarters.at(i).toString(), zone);
        if (i >= quarters.size() || !start)
            return sourceFailure(QStringLiteral("réponse d'Open-Meteo sans les deux heures à venir"));
        r.rain << RainQuarter{*start, in.within(in.at(rain, i, "minutely_15.precipitation"), "minutely_15.precipitation", 0, 500)};
    }
    if (first < 0)
        return sourceFailure(QStringLiteral("réponse d'Open-Meteo sans les deux heures à venir"));
    if (!in.ok())
        return sourceFailure(in.problem());
    return r;
}

} // namespace service
