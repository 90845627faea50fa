// SPDX-License-Identifier: GPL-2.0-or-later
// The HTTP face of the service: every request is parsed, answered from the weather source (200 and
// the document), or refused (400 malformed, 404 unknown code, 502 source failure), and logged in one line;
// the rain map's index and frames besides.
#pragma once
#include "source.h"
#include "service/document/warning.h"

#include <QAbstractHttpServer>
#include <QCache>
#include <QHash>
#include <functional>

namespace service {

class WeatherService : public QAbstractHttpServer {
    Q_OBJECT
public:
    explicit WeatherService(WeatherSource &source, QObject *parent = nullptr);

    // The clock that dates every report; tests set a fixed moment.
    void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }
    // Where the one line per request goes; stderr by default.
    void setLog(std::function<void(const QByteArray &)> log) { log_ = std::move(log); }
    // Météo-France's vigilance for every answer, in place of any the source gives.
    using VigilanceLookup = std::function<std::optional<Vigilance>(const QByteArray &department, const QDateTime &now)>;
    void setVigilance(VigilanceLookup vigilance) { vigilance_ = std::move(vigilance); }
    // The rain map's source, for /carte/pluie and its frames; without one they are 404.
    void setRainMap(RainMapSource *map) { rainMap_ = map; }

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    // A rendered answer, served as bytes for as long as its report cannot change.
    struct Rendered {
        QByteArray xml;
        QDateTime until;
    };
    // Bounded in bytes: a document with its 48 hours is about 25 KB, so this keeps a thousand or so,
    // the least recently served going first.
    static constexpr qsizetype kMaxRenderedBytes = 24 * 1024 * 1024;
    void keep(const QByteArray &key, const QByteArray &xml, const QDateTime &until);

    WeatherSource &source_;
    VigilanceLookup vigilance_;
    RainMapSource *rainMap_ = nullptr;
    QCache<QByteArray, Rendered> rendered_{kMaxRenderedBytes};  // by code and days; each costs its bytes
    std::function<QDateTime()> clock_;
    std::function<void(const QByteArray &)> log_;
};

} // namespace service
