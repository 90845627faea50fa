// What a request to the service asks for: GET /weather/local/<code>?<query>, as the viewer sends it.
#pragma once
#include <QByteArray>
#include <QString>

namespace service {

struct WeatherRequest {
    bool ok = false;
    QByteArray code;      // percent-decoded; may name no known city
    int days = 9;         // forecast days asked ("dayf"), at most 9
    QByteArray problem;   // why the request is refused, when not ok
};

// `path` and `query` as they came on the wire (still percent-encoded).
WeatherRequest parseWeatherRequest(const QByteArray &method, const QByteArray &path, const QByteArray &query);

} // namespace service

namespace service {

struct CommuneQuery {
    bool ok = false;
    QString text;         // what the user typed, decoded
    QByteArray problem;
};

// GET /communes?q=<text>: the text is required, UTF-8, at most 64 bytes once decoded.
CommuneQuery parseCommuneQuery(const QByteArray &method, const QByteArray &query);

} // namespace service
