// SPDX-License-Identifier: GPL-2.0-or-later
// A city's report from a document, read as a download reads it (the 22 values where the document
// has them, the shipped dictionary), for the tests of what follows a city.
#pragma once
#include "common/error.h"
#include "weather/cityreport.h"
#include "weather/namevaluelist.h"
#include "weather/translation.h"

namespace testing {

inline std::shared_ptr<const meteo::CityReport> reportOf(const QByteArray &xml, const QDateTime &received)
{
    const meteo::WeatherDocument doc(xml, QStringLiteral("weather.xml"));
    TConditionMeteo condition;
    try {
        meteo::assigneMeteo(doc, condition);
    } catch (const meteo::Error &) {
        // a document of the hours alone: the windows read it all the same
    }
    meteo::NameValueList dictionary;
    dictionary.loadFromFile(QStringLiteral(METEO_DATA_DIR "/Dictionnaire.ini"));
    return meteo::readCityReport(doc, condition, [&dictionary](const QByteArray &p) { return meteo::translate(p, dictionary); },
                                 received);
}

} // namespace testing
