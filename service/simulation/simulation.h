// SPDX-License-Identifier: GPL-2.0-or-later
// The offline source: weather that looks real for the city and the date, computed, not fetched.
// The same code at the same minute always gives the same report.
#pragma once
#include "service/http/source.h"

namespace service {

WeatherReport simulate(const City &city, const QDateTime &nowUtc);

class SimulatedSource : public WeatherSource {
public:
    void fetch(const City &city, const QDateTime &nowUtc, std::function<void(SourceResult)> done) override
    {
        done(simulate(city, nowUtc));
    }
    QByteArray name() const override { return "sim"; }
};

} // namespace service
