// SPDX-License-Identifier: GPL-2.0-or-later
// Everything one stored weather document says of its city, read once when it is stored: the record
// of the main window, the nine days, the 48 hours and their quarters, the official warnings, and the
// instant it was received. Every window, the panel icon and the notices read this, never the
// document, a widget or a file's date again.
#pragma once
#include "air.h"
#include "conditionmeteo.h"
#include "display.h"
#include "forecast.h"
#include "hourly.h"
#include "warnings.h"

#include <QDateTime>
#include <memory>
#include <optional>

namespace meteo {

struct CityReport {
    TConditionMeteo condition;   // the 22 values of the main window
    QByteArray sky;              // the condition in French, as the main window says it
    Forecast forecast;           // the nine days
    HourlyForecast hourly;       // the 48 hours, the quarters, the nights, the place's short name
    Warnings warnings;           // worst first
    Air air;                     // the ATMO classes, the pollen levels and the 48 hours' concentrations
    QDateTime received;          // when the download that stored it ended
    // Where the place is (loc/lat, loc/lon, in degrees), for the rain map; absent when unreadable.
    std::optional<std::pair<double, double>> position;

    // The temperature now in whole degrees; absent when the document's text is no number.
    std::optional<int> temperature() const;
    // The warnings that have not ended at `now`, worst first.
    QList<OfficialWarning> warningsInForce(const QDateTime &now) const;
    // The place's own date at `now` ("Aujourd'hui" where the city is).
    QDate placeToday(const QDateTime &now) const { return hourly.placeTime(now).date(); }
    // The forecast day `ahead` days after the place's today; null when the document has none.
    const ForecastDay *dayAhead(int ahead, const QDateTime &now) const;
    // Whether it was received too long before `now` to be taken as current (three hours).
    bool isOld(const QDateTime &now) const { return isStale(received, now); }
};

// The report of `doc`, whose 22 values `condition` holds already (the refresh read them), with its
// texts translated by `traduire`. Never throws: a section that cannot be read is empty.
std::shared_ptr<const CityReport> readCityReport(const WeatherDocument &doc, const TConditionMeteo &condition,
                                                 const Translator &traduire, const QDateTime &received);

} // namespace meteo
