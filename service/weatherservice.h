// The HTTP face of the service: every request is parsed, answered from the weather source (200 and
// the document), or refused (400 malformed, 404 unknown code, 502 source failure), and logged in one line.
#pragma once
#include "source.h"

#include <QAbstractHttpServer>
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

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    WeatherSource &source_;
    std::function<QDateTime()> clock_;
    std::function<void(const QByteArray &)> log_;
};

} // namespace service
