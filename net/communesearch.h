// The search of the "Ajouter une ville" dialog: asks the weather service which communes match what
// the user types (GET /communes?q=). At most one request is in flight; while it is, only the newest
// text waits, and the answers of texts overtaken by a newer one are never shown.
#pragma once
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;

namespace meteo {

struct FoundCommune {
    QByteArray code;      // "FR42218"
    QByteArray postalCode;
    QByteArray label;     // "Saint-Étienne (42)"
    QByteArray name() const;  // "Saint-Étienne"
};

struct CommuneList {
    QList<FoundCommune> communes;
    int ignored = 0;  // answers dropped: a code or a name that could not be a line of villes.ini
};

// The answer's list; throws Error when the body is not one. A commune is kept only when its code is
// 1 to 16 ASCII letters and digits and its texts hold no control character, line separator or "=":
// what the user adds becomes one line "name=code" of the city list, and nothing else.
[[nodiscard]] CommuneList parseCommuneList(const QByteArray &xml);

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
