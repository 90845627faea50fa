// SPDX-License-Identifier: GPL-2.0-or-later
#include "httpclient.h"

#include "decomposeurl.h"
#include "meteo_version.h"
#include "wiretarget.h"

#include <QSslSocket>

namespace meteo {
namespace {

constexpr char kLate[] = "Délai dépassé";

QByteArray socketErrorText(int error)
{
    switch (QAbstractSocket::SocketError(error)) {
    case QAbstractSocket::ConnectionRefusedError: return "Connexion refusée";
    case QAbstractSocket::HostNotFoundError: return "Adresse introuvable (pas de réseau ?)";
    case QAbstractSocket::RemoteHostClosedError: return kCut;
    case QAbstractSocket::SocketTimeoutError: return "Délai dépassé";
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError: return "Connexion sécurisée impossible";
    case QAbstractSocket::NetworkError:
    case QAbstractSocket::TemporaryError: return "Réseau indisponible";
    default: return "Échec du téléchargement (code " + QByteArray::number(error) + ")";
    }
}

} // namespace

void HTTPConnection::Disconnect()
{
    if (client_)
        client_->closeFromHandler(this);
}

HTTPClient::HTTPClient(QObject *parent) : QObject(parent)
{
    idle_.setSingleShot(true);
    total_.setSingleShot(true);
    connect(&idle_, &QTimer::timeout, this, [this] { fail(kLate); });
    connect(&total_, &QTimer::timeout, this, [this] { fail(kLate); });
}

HTTPClient::~HTTPClient()
{
    release();
}

// Ends the exchange on our side: no socket signal reaches us afterwards.
void HTTPClient::release()
{
    idle_.stop();
    total_.stop();
    active_ = false;
    if (socket_) {
        socket_->disconnect(this);
        socket_->abort();
        socket_->deleteLater();
    }
    if (connection_)
        connection_->deleteLater();  // a handler may still hold it during this event
    socket_ = nullptr;
    connection_ = nullptr;
    parser_ = HttpResponseParser();
}

bool HTTPClient::aimAt(const QByteArray &url)
{
    QByteArray host, uri;
    quint16 port = 0;
    bool secure = false;
    if (!DecomposeURL(url, host, uri, port, &secure))
        return false;
    host_ = host;
    uri_ = uri;
    port_ = port;
    secure_ = secure;
    return true;
}

void HTTPClient::SendRequest()
{
    release();
    ++generation_;
    active_ = true;
    connection_ = new HTTPConnection(this);
    connection_->client_ = this;
    QByteArray host = host_;
    if (host.startsWith('[') && host.endsWith(']'))  // an IPv6 literal as URLs write it
        host = host.mid(1, host.size() - 2);
    if (host.isEmpty()) {
        failLater("Adresse invalide");
        return;
    }
    QSslSocket *tls = secure_ ? new QSslSocket(this) : nullptr;
    socket_ = tls ? tls : new QTcpSocket(this);
    const QByteArray request = "GET " + wireTarget(uri_) + " HTTP/1.1\r\nHost: " + wireTarget(host_).mid(1)
                               + (port_ == 80 ? QByteArray() : ':' + QByteArray::number(port_))
                               + "\r\nUser-Agent: Meteo/" METEO_VERSION
                                 "\r\nAccept-Encoding: identity\r\nConnection: close\r\n\r\n";
    // Over TLS the request waits for the handshake: nothing goes out in plain text.
    if (tls)
        connect(tls, &QSslSocket::encrypted, this, [this, request] { socket_->write(request); });
    else
        connect(socket_, &QTcpSocket::connected, this, [this, request] { socket_->write(request); });
    connect(socket_, &QTcpSocket::readyRead, this, &HTTPClient::onReadyRead);
    connect(socket_, &QTcpSocket::disconnected, this, &HTTPClient::onClosed);
    connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) { onSocketError(e); });
    if (timeout_ > 0)
        idle_.start(timeout_);
    if (totalTimeout_ > 0)
        total_.start(totalTimeout_);
    if (tls)
        tls->connectToHostEncrypted(QString::fromUtf8(host), port_);
    else
        socket_->connectToHost(QString::fromUtf8(host), port_);
}

// Reported from the event loop, like every other outcome: SendRequest returns at once, and a handler
// that closes the connection returns before the outcome arrives.
void HTTPClient::failLater(const QByteArray &message)
{
    QTimer::singleShot(0, this, [this, message, generation = generation_] {
        if (current(generation))
            fail(message);
    });
}

void HTTPClient::onReadyRead()
{
    if (!socket_)
        return;
    if (timeout_ > 0)
        idle_.start(timeout_);
    parser_.feed(socket_->readAll());
    dispatch();
}

void HTTPClient::onSocketError(int error)
{
    if (error == QAbstractSocket::RemoteHostClosedError)
        onClosed();
    else if (active_)
        fail(socketErrorText(error));
}

void HTTPClient::onClosed()
{
    if (!active_ || !socket_)
        return;
    parser_.feed(socket_->readAll());
    parser_.endOfStream();
    dispatch();
}

// Hands the parser's events to the handlers, one at a time; a handler may abandon the download
// (a new request, a Disconnect), and then nothing more of it is delivered.
void HTTPClient::dispatch()
{
    const quint64 generation = generation_;
    for (HttpEvent &event : parser_.takeEvents()) {
        if (!current(generation) || !socket_)
            return;
        switch (event.kind) {
        case HttpEvent::Head:
            connection_->status_ = event.status;
            connection_->reason_ = event.bytes;
            Q_EMIT OnProcessHeaders(connection_);
            break;
        case HttpEvent::Body:
            Q_EMIT OnInput(connection_, event.bytes.constData(), qint32(event.bytes.size()));
            break;
        case HttpEvent::Done:
            finish();
            return;
        case HttpEvent::Error:
            fail(event.bytes);
            return;
        }
    }
}

// Disconnect from a handler: the socket is closed without a word to us, and what follows is decided
// once that handler has returned.
void HTTPClient::closeFromHandler(const HTTPConnection *connection)
{
    if (connection != connection_ || !socket_)
        return;  // an earlier download's connection, or already closed
    socket_->disconnect(this);
    socket_->abort();
    socket_->deleteLater();
    socket_ = nullptr;
    if (active_)  // the body was not whole when the handler hung up
        failLater(kCut);
}

void HTTPClient::finish()
{
    const quint64 generation = generation_;
    QPointer<HTTPConnection> connection = connection_;
    idle_.stop();
    total_.stop();
    active_ = false;  // the body is whole: a Disconnect from the handler is no cut
    Q_EMIT OnDoneInput(connection);
    if (generation != generation_)
        return;
    // The exchange is over whether or not the handler asked to disconnect: we asked the server to
    // close after this answer.
    release();
    Q_EMIT OnDisconnect(connection);
}

void HTTPClient::fail(const QByteArray &message)
{
    QPointer<HTTPConnection> connection = connection_;
    release();  // the connection object lives on until the event loop deletes it
    Q_EMIT OnError(message, connection);
}

} // namespace meteo
