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

class QTcpSocket;

namespace meteo {

// The connection of one download, as the handlers see it.
class HTTPConnection : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    int ResponseStatus() const { return status_; }
    QByteArray ResponseReason() const { return reason_; }
    // Closes the connection; the disconnect event follows once the asking handler has returned.
    void Disconnect();

private:
    friend class HTTPClient;
    QPointer<QTcpSocket> socket_;
    int status_ = 0;
    QByteArray reason_;
};

class HTTPClient : public QObject {
    Q_OBJECT
    Q_PROPERTY(QByteArray Host READ Host WRITE setHost)
    Q_PROPERTY(QByteArray URI READ URI WRITE setURI)
    Q_PROPERTY(int Port READ Port WRITE setPort)
    Q_PROPERTY(int Timeout READ Timeout WRITE setTimeout)
    Q_PROPERTY(bool Secure READ Secure WRITE setSecure)
public:
    // A larger body is cut off with an error, so a broken or hostile server cannot exhaust memory.
    static constexpr qint64 kMaxBody = 8 * 1024 * 1024;

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

    // Whether the request goes through TLS (an https URL); the server's certificate must verify.
    bool Secure() const { return secure_; }
    void setSecure(bool secure) { secure_ = secure; }

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
    enum class Stage { Head, Body, ChunkSize, ChunkData, ChunkEnd, Trailers, Over };

    void onReadyRead();
    void onClosed();
    void onSocketError(int error);
    void parse();
    bool readHead();
    bool readChunked();
    bool deliver(qint64 size);  // hands the first `size` bytes of in_ to the handler
    void finish();
    void fail(const QByteArray &message);
    void failLater(const QByteArray &message);
    void release();
    bool current(quint64 generation) const { return generation == generation_ && stage_ != Stage::Over; }

    QByteArray host_, uri_;
    quint16 port_ = 80;
    int timeout_ = 0;
    bool secure_ = false;

    quint64 generation_ = 0;  // one per request: events of an abandoned one are recognised and dropped
    QPointer<QTcpSocket> socket_;
    QPointer<HTTPConnection> connection_;
    QTimer idle_;
    QByteArray in_;        // received, not yet parsed
    Stage stage_ = Stage::Over;
    qint64 remaining_ = 0;  // of the body or of the current chunk; -1: until the server closes
    qint64 received_ = 0;
};

} // namespace meteo
