// The search of the "Ajouter une ville" dialog: asks the weather service which communes match what
// the user types (GET /communes?q=), through the same HTTP client as the weather, so a cut-off or
// broken answer is an error here too. One search at a time: a new text abandons the one under way,
// whose answer then never arrives; each search ends within 10 s.
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
    // Abandons the search under way, if any: nothing of it arrives.
    void cancel();

Q_SIGNALS:
    void found(const QString &text, const meteo::CommuneList &answer);
    void failed(const QString &message);

private:
    void onInput(HTTPConnection *connection, const char *bytes, qint32 size);
    void onDisconnect(HTTPConnection *connection);
    void onError(const QByteArray &message);

    QByteArray host_;
    HTTPClient *client_;
    QByteArray body_;
    bool tooLarge_ = false;
    QString asked_;
};

} // namespace meteo
