// What a request to the service asks for: GET /weather/local/<code>?<query>, as the viewer sends it,
// or GET /communes?q=<text>; a malformed request is a 400 with its reason.
#pragma once
#include "result.h"

#include <QByteArray>
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

} // namespace service
