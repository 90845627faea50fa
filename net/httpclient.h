// An event-driven HTTP client for the window: set Host, URI and Port, call SendRequest (it returns at
// once), and follow the download through five events delivered on the event-loop thread:
// headers processed, body input (once per arrival), done input, disconnect, or error.
#pragma once
#include <QByteArray>
#include <QObject>
#include <QPointer>

class QNetworkAccessManager;
class QNetworkReply;

namespace meteo {

// The connection of one download, as the handlers see it.
class HTTPConnection : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    int ResponseStatus() const { return status_; }
    QByteArray ResponseReason() const { return reason_; }
    // Closes the connection of the finished response. The network layer owns the socket, so this
    // only acknowledges the end; the disconnect event follows once the asking handler has returned.
    void Disconnect() {}

private:
    friend class HTTPClient;
    int status_ = 0;
    QByteArray reason_;
};

class HTTPClient : public QObject {
    Q_OBJECT
    Q_PROPERTY(QByteArray Host READ Host WRITE setHost)
    Q_PROPERTY(QByteArray URI READ URI WRITE setURI)
    Q_PROPERTY(int Port READ Port WRITE setPort)
    Q_PROPERTY(QString Method READ Method WRITE setMethod)
    Q_PROPERTY(int Timeout READ Timeout WRITE setTimeout)
public:
    // A larger body is cut off with an error, so a broken or hostile server cannot exhaust memory.
    static constexpr qint64 kDefaultMaxBody = 8 * 1024 * 1024;

    explicit HTTPClient(QObject *parent = nullptr);
    ~HTTPClient() override;

    QByteArray Host() const { return host_; }
    void setHost(const QByteArray &host) { host_ = host; }
    QByteArray URI() const { return uri_; }
    void setURI(const QByteArray &uri) { uri_ = uri; }
    int Port() const { return port_; }
    void setPort(int port) { port_ = quint16(port); }
    QString Method() const { return method_; }
    void setMethod(const QString &method) { method_ = method; }
    int Timeout() const { return timeout_; }   // milliseconds; 0: no limit
    void setTimeout(int ms) { timeout_ = ms; }
    void setMaxBodySize(qint64 bytes) { maxBody_ = bytes; }

    // Starts a GET of URI on Host:Port. A download still under way is abandoned first: none of its
    // events reaches a handler afterwards.
    void SendRequest();

    static QByteArray errorText(int networkError);

Q_SIGNALS:
    void OnProcessHeaders(meteo::HTTPConnection *ASocket);
    qint32 OnInput(meteo::HTTPConnection *ASocket, const char *ABuffer, qint32 ASize);
    void OnDoneInput(meteo::HTTPConnection *ASocket);
    void OnDisconnect(meteo::HTTPConnection *ASocket);
    void OnError(const QByteArray &msg, meteo::HTTPConnection *ASocket);

private:
    void onMetaData();
    void onReadyRead();
    void onFinished();
    bool deliver(const QByteArray &bytes);  // false when this download was replaced or cut
    void fail(const QByteArray &message);
    void release();
    bool isCurrent(QNetworkReply *reply) const;

    QByteArray host_, uri_;
    quint16 port_ = 80;
    QString method_ = QStringLiteral("hmGet");
    int timeout_ = 0;
    qint64 maxBody_ = kDefaultMaxBody;

    QNetworkAccessManager *manager_;
    QPointer<QNetworkReply> reply_;
    QPointer<HTTPConnection> connection_;
    QByteArray pending_;  // bytes a handler did not take yet
    qint64 received_ = 0;
    bool headersSent_ = false;
};

} // namespace meteo
