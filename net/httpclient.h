// SPDX-License-Identifier: GPL-2.0-or-later
// An event-driven HTTP client for the window: set Host, URI and Port, call SendRequest (it returns at
// once), and follow the download through five events delivered on the event-loop thread:
// headers processed, body input (once per arrival), done input, disconnect, or error.
//
// It speaks HTTP/1.1 on a plain socket itself, because the window must know for certain whether a body
// arrived whole: a short body, a broken chunk or a missing last chunk is an error, never a document.
#pragma once
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include "httpparser.h"

class QTcpSocket;

namespace meteo {

class HTTPClient;

// The connection of one download, as the handlers see it.
class HTTPConnection : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    int ResponseStatus() const { return status_; }
    QByteArray ResponseReason() const { return reason_; }
    // Closes the connection. No event reaches a handler before the asking one has returned; then a
    // whole body ends with the disconnect event, anything else with the error "Connexion interrompue".
    void Disconnect();

private:
    friend class HTTPClient;
    QPointer<HTTPClient> client_;
    int status_ = 0;
    QByteArray reason_;
};

class HTTPClient : public QObject {
    Q_OBJECT
    Q_PROPERTY(QByteArray Host READ Host WRITE setHost)
    Q_PROPERTY(QByteArray URI READ URI WRITE setURI)
    Q_PROPERTY(int Port READ Port WRITE setPort)
    Q_PROPERTY(int Timeout READ Timeout WRITE setTimeout)
    Q_PROPERTY(int TotalTimeout READ TotalTimeout WRITE setTotalTimeout)
    Q_PROPERTY(bool Secure READ Secure WRITE setSecure)
public:
    explicit HTTPClient(QObject *parent = nullptr);
    ~HTTPClient() override;

    QByteArray Host() const { return host_; }
    void setHost(const QByteArray &host) { host_ = host; }
    QByteArray URI() const { return uri_; }
    void setURI(const QByteArray &uri) { uri_ = uri; }
    int Port() const { return port_; }
    void setPort(int port) { port_ = quint16(port); }
    // The longest wait for the next byte, in milliseconds, before the download fails; 0: no limit.
    int Timeout() const { return timeout_; }
    void setTimeout(int ms) { timeout_ = ms; }
    // The longest a whole download may take, in milliseconds, however steadily bytes trickle in.
    int TotalTimeout() const { return totalTimeout_; }
    void setTotalTimeout(int ms) { totalTimeout_ = ms; }

    // Host, URI, port and TLS taken from one URL, the one way every download of ours is set up;
    // false, and nothing changed, when the URL cannot be read.
    [[nodiscard]] bool aimAt(const QByteArray &url);

    // Whether the request goes through TLS (an https URL); the server's certificate must verify.
    bool Secure() const { return secure_; }
    void setSecure(bool secure) { secure_ = secure; }

    // Ends the download under way, if any: none of its events reaches a handler afterwards.
    void Abandon()
    {
        release();
        ++generation_;
    }
    // Whether a download is under way.
    bool Busy() const { return active_; }

    // Starts a GET of URI on Host:Port. A download still under way is abandoned first: none of its
    // events reaches a handler afterwards.
    void SendRequest();

Q_SIGNALS:
    void OnProcessHeaders(meteo::HTTPConnection *ASocket);
    void OnInput(meteo::HTTPConnection *ASocket, const char *ABuffer, qint32 ASize);
    void OnDoneInput(meteo::HTTPConnection *ASocket);
    void OnDisconnect(meteo::HTTPConnection *ASocket);
    void OnError(const QByteArray &msg, meteo::HTTPConnection *ASocket);

private:
    friend class HTTPConnection;
    void onReadyRead();
    void onClosed();
    void onSocketError(int error);
    void dispatch();
    void closeFromHandler(const HTTPConnection *connection);
    void finish();
    void fail(const QByteArray &message);
    void failLater(const QByteArray &message);
    void release();
    bool current(quint64 generation) const { return generation == generation_ && active_; }

    QByteArray host_, uri_;
    quint16 port_ = 80;
    int timeout_ = 0;
    int totalTimeout_ = 120000;
    bool secure_ = false;

    quint64 generation_ = 0;  // one per request: events of an abandoned one are recognised and dropped
    bool active_ = false;     // a download is under way and has not ended
    QPointer<QTcpSocket> socket_;
    QPointer<HTTPConnection> connection_;
    QTimer idle_, total_;
    HttpResponseParser parser_;
};

} // namespace meteo
