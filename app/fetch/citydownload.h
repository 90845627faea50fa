// SPDX-License-Identifier: GPL-2.0-or-later
// One road from the service to a city's report, for every city: the main window's download (its
// handlers keep the body, weather.xml and the display, and forward here) and those of "Mes villes".
// It aims a client at a city's request, says in one French way why an answer brings no weather,
// checks a body before anything reads it, and reads the report with the refresh's dictionary.
#pragma once
#include "weather/cityreport.h"
#include "weather/display.h"
#include "weather/extraction.h"

#include <QDateTime>
#include <functional>
#include <memory>

namespace meteo {

class HTTPClient;
class HTTPConnection;
class NameValueList;

class CityDownload {
public:
    explicit CityDownload(const QByteArray &serviceHost) : host_(serviceHost) {}
    const QByteArray &serviceHost() const { return host_; }

    // Aims `client` at the weather of `code`; throws Error when the service's address is unreadable.
    void aim(HTTPClient &client, const QByteArray &code) const;
    // Why an answer that has ended brings no weather (a status outside 2xx, no body), or empty.
    [[nodiscard]] static QString refusal(const HTTPConnection *answer, const QByteArray &body);
    // The body checked as the refresh reads it, parsed once; throws Error (nothing is stored then).
    [[nodiscard]] static CheckedDocument check(const QByteArray &body, const QString &name);
    // Dictionnaire.ini beside the program, for one refresh; throws Error when missing or unreadable.
    [[nodiscard]] static std::unique_ptr<NameValueList> dictionary();
    // The report, read once from a checked document with the refresh's translations.
    [[nodiscard]] static std::shared_ptr<const CityReport> read(const CheckedDocument &checked, const Translator &traduire,
                                                                const QDateTime &received);

private:
    QByteArray host_;
};

} // namespace meteo
