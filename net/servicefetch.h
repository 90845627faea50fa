// SPDX-License-Identifier: GPL-2.0-or-later
// One GET of the service for a window's own data (the rain map's index and frames): the body of a
// 200 answer, bounded in size and time, or why there is none, in the words of every download of ours.
#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>

namespace meteo {

class HTTPClient;
class HTTPConnection;

class ServiceFetch : public QObject {
    Q_OBJECT
public:
    ServiceFetch(qsizetype maxBytes, int limitMs, QObject *parent = nullptr);
    // Starts a GET of `target` ("/carte/pluie") at `serviceHost`, abandoning the one under way.
    void get(const QByteArray &serviceHost, const QByteArray &target);
    void cancel();
    void setLimitMs(int ms);
    bool busy() const;
    const QByteArray &target() const { return target_; }

Q_SIGNALS:
    void arrived(const QByteArray &body);
    void failed(const QString &why);

private:
    void onDisconnect(HTTPConnection *connection);
    qsizetype max_;
    HTTPClient *client_;
    QByteArray body_, target_;
    bool tooLarge_ = false;
};

} // namespace meteo
