// The search of the "Ajouter une ville" dialog: asks the weather service which communes match what
// the user types (GET /communes?q=). At most one request is in flight; while it is, only the newest
// text waits, and the answers of texts overtaken by a newer one are never shown.
#pragma once
#include "communelist.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;

namespace meteo {

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
    void onFinished();

    QByteArray host_;
    QNetworkAccessManager *manager_;
    QPointer<QNetworkReply> reply_;
    QString asked_, waiting_;
    bool hasWaiting_ = false;
};

} // namespace meteo
