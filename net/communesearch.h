// The search of the "Ajouter une ville" dialog: asks the weather service which communes match what
// the user types (GET /communes?q=), through the same HTTP client as the weather, so a cut-off or
// broken answer is an error here too. At most one request is in flight; while it is, only the newest
// text waits, and the answers of texts overtaken by a newer one are never shown.
#pragma once
#include "communelist.h"

#include <QObject>
#include <QString>

namespace meteo {

class HTTPClient;
class HTTPConnection;

class CommuneSearch : public QObject {
    Q_OBJECT
public:
    explicit CommuneSearch(const QByteArray &serviceHost, QObject *parent = nullptr);
    void search(const QString &text);

Q_SIGNALS:
    void found(const QString &text, const meteo::CommuneList &answer);
    void failed(const QString &message);

private:
    void send(const QString &text);
    bool sendWaiting();
    void onInput(HTTPConnection *connection, const char *bytes, qint32 size);
    void onDisconnect(HTTPConnection *connection);
    void onError(const QByteArray &message);

    QByteArray host_;
    HTTPClient *client_;
    QByteArray body_;
    bool busy_ = false, tooLarge_ = false;
    QString asked_, waiting_;
    bool hasWaiting_ = false;
};

} // namespace meteo
