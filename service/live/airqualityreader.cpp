// SPDX-License-Identifier: GPL-2.0-or-later
// The Open-Meteo air-quality answer read into the place's air: strictly, with the shared JSON
// reader, so that no half-read or absurd value is ever served. Apart from the network code so that
// it can be fuzzed.
#include "openmeteo.h"

#include "jsonreader.h"

#include <QTimeZone>
#include <QUrlQuery>

namespace service {
namespace {

const char *const kPollutantVariables[meteo::kPollutants] = {"pm2_5", "pm10", "nitrogen_dioxide", "ozone", "sulphur_dioxide"};
const char *const kPollenVariables[meteo::kTaxa] = {"alder_pollen", "birch_pollen", "grass_pollen",
                                                    "mugwort_pollen", "olive_pollen", "ragweed_pollen"};

bool withPollen(const City &city)
{
    return city.department.size() == 2;  // CAMS Europe covers metropolitan France and Corsica alone
}

} // namespace

QUrl airRequestUrl(const QByteArray &base, const City &city)
{
    QUrl url(QString::fromUtf8(base) + QStringLiteral("/v1/air-quality"));
    QStringList variables;
    for (const char *v : kPollutantVariables)
        variables << QString::fromLatin1(v);
    if (withPollen(city))
        for (const char *v : kPollenVariables)
            variables << QString::fromLatin1(v);
    QUrlQuery q;
    q.addQueryItem(QStringLiteral("latitude"), QString::number(city.latitude, 'f', 4));
    q.addQueryItem(QStringLiteral("longitude"), QString::number(city.longitude, 'f', 4));
    q.addQueryItem(QStringLiteral("hourly"), variables.join(u','));
    q.addQueryItem(QStringLiteral("timezone"), QString::fromUtf8(city.timeZone()));
    q.addQueryItem(QStringLiteral("timeformat"), QStringLiteral("unixtime"));
    q.addQueryItem(QStringLiteral("past_days"), QStringLiteral("1"));
    q.addQueryItem(QStringLiteral("forecast_days"), QStringLiteral("4"));
    q.addQueryItem(QStringLiteral("domains"), withPollen(city) ? QStringLiteral("cams_europe") : QStringLiteral("cams_global"));
    url.setQuery(q);
    return url;
}

Result<AirReport> parseAirQuality(const QByteArray &json, const City &city, const QDateTime &nowUtc)
{
    if (json.size() > OpenMeteoSource::kMaxAnswer)
        return HttpError{502, "réponse de CAMS de plus de 2 Mio"};
    const std::optional<QJsonObject> root = jsonObject(json);
    if (!root)
        return HttpError{502, "réponse de CAMS illisible"};
    JsonReader in;
    const QJsonObject hourly = in.object(*root, nullptr, "hourly");
    const QJsonArray times = in.array(hourly, "hourly", "time", 48);
    QList<QJsonArray> pollutants, pollens;
    for (const char *v : kPollutantVariables)
        pollutants << in.array(hourly, "hourly", v, times.size());
    for (const char *v : kPollenVariables)
        if (withPollen(city))
            pollens << in.array(hourly, "hourly", v, times.size());
    if (!in.ok())
        return HttpError{502, "réponse de CAMS sans " + in.missing()};
    const QTimeZone zone(city.timeZone());
    QList<AirHour> hours;
    std::optional<QDateTime> last;
    for (qsizetype i = 0; i < times.size() && in.ok(); ++i) {
        const std::optional<QDateTime> t = unixInstant(times.at(i), zone);
        if (!t)
            return HttpError{502, "hourly.time[" + QByteArray::number(i) + "] de CAMS n'est pas un instant"};
        if (last && last->secsTo(*t) != 3600)
            return HttpError{502, "hourly.time[" + QByteArray::number(i) + "] de CAMS ne suit pas le précédent d'une heure"};
        last = t;
        AirHour h;
        h.time = *t;
        for (int p = 0; p < meteo::kPollutants; ++p)
            h.pollutants[p] = in.within(in.at(pollutants[p], i, kPollutantVariables[p]), kPollutantVariables[p], 0, 1000);
        if (withPollen(city)) {
            PollenCounts counts{};
            for (int t = 0; t < meteo::kTaxa; ++t)
                counts[t] = in.within(in.at(pollens[t], i, kPollenVariables[t]), kPollenVariables[t], 0, 10000);
            h.pollen = counts;
        }
        hours << h;
    }
    if (!in.ok())
        return HttpError{502, (in.missing().isEmpty() ? "valeur de CAMS hors limites : " + in.outOfRange().toUtf8()
                                                      : "réponse de CAMS sans valeur " + in.missing())};
    return airFromHours(hours, nowUtc.toTimeZone(zone), "CAMS");
}

} // namespace service
