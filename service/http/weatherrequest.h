// SPDX-License-Identifier: GPL-2.0-or-later
// What a request to the service asks for: GET /weather/local/<code>?<query>, as the viewer sends it,
// GET /communes?q=<text> or GET /communes/near?lat=<degrees>&lon=<degrees>; a malformed request is a
// 400 with its reason.
#pragma once
#include "service/document/result.h"

#include <QByteArray>
#include <optional>
#include <QString>

namespace service {

struct WeatherRequest {
    QByteArray code;      // percent-decoded; may name no known city
    int days = 9;         // forecast days asked ("dayf"), at most 9
};

// `path` and `query` as they came on the wire (still percent-encoded).
Result<WeatherRequest> parseWeatherRequest(const QByteArray &method, const QByteArray &path, const QByteArray &query);

// GET /communes?q=<text>: the text is required, UTF-8, at most 64 bytes once decoded; the text the
// user typed, decoded.
Result<QString> parseCommuneQuery(const QByteArray &method, const QByteArray &query);

struct Point {
    double latitude = 0, longitude = 0;
};
// GET /communes/near?lat=…&lon=…: each once, a plain decimal number written with a dot (no sign but
// a minus, no exponent), within -90…90 and -180…180.
Result<Point> parseNearQuery(const QByteArray &method, const QByteArray &query);
// /carte/pluie (nothing: the index) or /carte/pluie/<Unix seconds> (that frame), without a query.
Result<std::optional<qint64>> parseRainMapRequest(const QByteArray &method, const QByteArray &path, const QByteArray &query);

} // namespace service
