// SPDX-License-Identifier: GPL-2.0-or-later
#include "cityreport.h"

#include <algorithm>
#include <cmath>

#include "common/error.h"

#include <QHash>
#include <cmath>

namespace meteo {

std::optional<int> CityReport::temperature() const
{
    const std::optional<double> t = readMeasure(condition.Temperature.Texte, -90, 60);
    return t ? std::optional<int>(int(std::lround(*t))) : std::nullopt;
}

QList<OfficialWarning> CityReport::warningsInForce(const QDateTime &now) const
{
    QList<OfficialWarning> out;
    for (const OfficialWarning &w : warnings.list)
        if (w.end > now)
            out << w;
    // The worst first; at one colour, what is in force now before what is to come, then the sooner.
    std::stable_sort(out.begin(), out.end(), [&now](const OfficialWarning &a, const OfficialWarning &b) {
        if (a.colour != b.colour)
            return a.colour > b.colour;
        const bool aNow = a.begin <= now, bNow = b.begin <= now;
        return aNow != bNow ? aNow : !aNow && a.begin < b.begin;
    });
    return out;
}

const ForecastDay *CityReport::dayAhead(int ahead, const QDateTime &now) const
{
    const QDate date = placeToday(now).addDays(ahead);
    for (const ForecastDay &d : forecast.days)
        if (d.date == date)
            return &d;
    return nullptr;
}

std::shared_ptr<const CityReport> readCityReport(const WeatherDocument &doc, const TConditionMeteo &condition,
                                                 const Translator &traduire, const QDateTime &received)
{
    auto report = std::make_shared<CityReport>();
    report->condition = condition;
    report->received = received;
    // Each phrase translated once (nine days say few different skies); a dictionary that fails on
    // one leaves it in English rather than losing the report.
    QHash<QByteArray, QByteArray> translated;
    const Translator safe = [&traduire, &translated](const QByteArray &phrase) {
        if (const auto it = translated.constFind(phrase); it != translated.cend())
            return *it;
        QByteArray french = phrase;
        try {
            french = traduire(phrase);
        } catch (const Error &) {
        }
        translated.insert(phrase, french);
        return french;
    };
    report->sky = safe(condition.Nuages);
    report->forecast = readForecast(doc, safe, received.date());
    report->hourly = readHourly(doc);
    report->warnings = readWarnings(doc);
    report->air = readAir(doc);
    try {
        bool latOk = false, lonOk = false;
        const double lat = doc.text({"loc", "lat"}).toDouble(&latOk), lon = doc.text({"loc", "lon"}).toDouble(&lonOk);
        if (latOk && lonOk && std::abs(lat) <= 90 && std::abs(lon) <= 180)
            report->position = std::make_pair(lat, lon);
    } catch (const Error &) {
        // another service's document may not say where the place is: it is left off the map
    }
    return report;
}

} // namespace meteo
