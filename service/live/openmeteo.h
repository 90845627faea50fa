// SPDX-License-Identifier: GPL-2.0-or-later
// The live source: the Open-Meteo forecast API, asked over HTTPS for the city's coordinates, its JSON
// answer turned into the same report as the simulation. Answers are kept ten minutes per city, and
// requests for a city already being fetched wait for that one upstream call.
#pragma once
#include "service/http/source.h"

#include <QCache>
#include <QHash>
#include <QUrl>
#include <algorithm>

class QNetworkAccessManager;

namespace service {

// The report in an Open-Meteo answer (times asked as Unix seconds), or what is missing from it; the
// hours and quarters start at the ones that hold `nowUtc`.
SourceResult parseOpenMeteo(const QByteArray &json, const City &city, const QDateTime &nowUtc);

// The air-quality API's request for a city (CAMS Europe with its pollen in metropolitan France and
// Corsica, CAMS global overseas), and its answer read strictly: every series stepping by an hour,
// covering today and the 48 hours ahead, each value a finite number in range; else why not.
QUrl airRequestUrl(const QByteArray &base, const City &city);
[[nodiscard]] Result<AirReport> parseAirQuality(const QByteArray &json, const City &city, const QDateTime &nowUtc);

class OpenMeteoSource : public WeatherSource {
public:
    static constexpr char kAirBase[] = "https://air-quality-api.open-meteo.com";
    explicit OpenMeteoSource(const QByteArray &base = "https://api.open-meteo.com", const QByteArray &airBase = {});
    ~OpenMeteoSource() override;

    void fetch(const City &city, const QDateTime &nowUtc, std::function<void(SourceResult)> done) override;
    QByteArray name() const override { return "open-meteo"; }

    QUrl requestUrl(const City &city) const;
    // The longest one upstream exchange may take, from the request to the last byte.
    void setTimeout(int ms) { timeoutMs_ = ms; }
    // The air's own deadline: an answer waits no longer for it.
    void setAirTimeout(int ms) { airTimeoutMs_ = ms; }
    // At most this many cities' reports are kept, the least recently asked for going first.
    void setMaxCities(qsizetype n) { reports_.setMaxCost(std::max<qsizetype>(n, 1)); }
    static constexpr qsizetype kDefaultMaxCities = 2000;
    // A larger answer is abandoned unread: a forecast takes about 30 KB.
    static constexpr qint64 kMaxAnswer = 2 * 1024 * 1024;

private:
    struct Kept {
        QDateTime fetchedAt;
        WeatherReport report;
    };
    struct Exchange {
        int status = 0;
        QByteArray body;
        QString limit;        // "time" or "size" when one of the limits ended it
        QString unreachable;  // why, in French, when no answer came or it came short
        bool broken = false;  // the network said the exchange failed, whatever the status
        QString failure(const QString &who, int timeoutMs) const;
    };
    void get(const QUrl &url, int timeoutMs, std::function<void(const Exchange &)> done);
    void finished(const QByteArray &code, const QDateTime &startedAt, SourceResult result);

    QByteArray base_;
    QByteArray airBase_;
    int timeoutMs_ = 10000;
    int airTimeoutMs_ = 6000;
    std::unique_ptr<QNetworkAccessManager> manager_;
    QCache<QByteArray, Kept> reports_{kDefaultMaxCities};  // by city, the least recently asked for going first
    // By city, those waiting for the upstream call under way: apart from the reports, so that a
    // city being fetched is never forgotten.
    QHash<QByteArray, QList<std::function<void(SourceResult)>>> waiting_;
};

} // namespace service
