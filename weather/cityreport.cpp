#include "cityreport.h"

#include "common/error.h"

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
    return out;
}

std::shared_ptr<const CityReport> readCityReport(const WeatherDocument &doc, const TConditionMeteo &condition,
                                                 const Translator &traduire, const QDateTime &received)
{
    auto report = std::make_shared<CityReport>();
    report->condition = condition;
    report->received = received;
    // A dictionary that fails on one phrase leaves it in English rather than losing the report.
    const Translator safe = [&traduire](const QByteArray &phrase) {
        try {
            return traduire(phrase);
        } catch (const Error &) {
            return phrase;
        }
    };
    report->sky = safe(condition.Nuages);
    report->forecast = readForecast(doc, safe, received.date());
    report->hourly = readHourly(doc);
    report->warnings = readWarnings(doc);
    return report;
}

} // namespace meteo
