// SPDX-License-Identifier: GPL-2.0-or-later
// Where the service's weather comes from. A source answers one city at a time through a callback, so
// that a live source can wait for the network without blocking the server.
#pragma once
#include "service/communes/communes.h"
#include "service/document/rainmap.h"
#include "service/document/report.h"
#include "service/document/result.h"

#include <QDateTime>
#include <QString>
#include <functional>

namespace service {

// A full report, or the 502 that says why there is none.
using SourceResult = Result<WeatherReport>;

inline HttpError sourceFailure(const QString &why)
{
    return {502, why.toUtf8()};
}

// A report of `city` with its place filled in; the station names where the weather comes from.
inline WeatherReport reportOf(const City &city, const QByteArray &origin)
{
    WeatherReport r;
    r.code = city.code;
    r.place = city.displayName();
    r.station = city.name + " (" + origin + ")";
    r.latitude = city.latitude;
    r.longitude = city.longitude;
    return r;
}

class WeatherSource {
public:
    virtual ~WeatherSource() = default;
    // Calls `done` exactly once, now or later on the event-loop thread.
    virtual void fetch(const City &city, const QDateTime &nowUtc, std::function<void(SourceResult)> done) = 0;
    virtual QByteArray name() const = 0;
};

// Where the rain map's frames come from: its index at an instant, and each frame it lists as a PNG
// (404 for an instant it does not list), through a callback as a weather source answers, so that a
// frame being made keeps no one else waiting.
class RainMapSource {
public:
    virtual ~RainMapSource() = default;
    virtual RainMapIndex index(const QDateTime &nowUtc) = 0;
    // Calls `done` exactly once, now or later on the event-loop thread.
    virtual void frame(qint64 instant, const QDateTime &nowUtc, std::function<void(Result<QByteArray>)> done) = 0;
};

} // namespace service
