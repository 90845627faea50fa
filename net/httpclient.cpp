#include "httpclient.h"

#include "meteo_version.h"
#include "wiretarget.h"

#include <QSslSocket>

namespace meteo {
namespace {

constexpr qsizetype kMaxHead = 64 * 1024;  // status line, headers or trailers
constexpr qsizetype kMaxChunkLine = 1024;
constexpr char kCut[] = "Connexion interrompue";
constexpr char kInvalid[] = "Réponse HTTP invalide";
constexpr char kEncoding[] = "Encodage de réponse non pris en charge";

QByteArray socketErrorText(int error)
{
    switch (QAbstractSocket::SocketError(error)) {
    case QAbstractSocket::ConnectionRefusedError: return "Connexion refusée";
    case QAbstractSocket::HostNotFoundError: return "Hôte introuvable";
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

// One line ending in LF (a CR before it is dropped), taken off the front of `in`; false while
// the line is not complete.
bool takeLine(QByteArray &in, QByteArray &line)
{
    const qsizetype end = in.indexOf('\n');
    if (end < 0)
        return false;
    line = in.left(end);
    if (line.endsWith('\r'))
        line.chop(1);
    in.remove(0, end + 1);
    return true;
}

// Where the head ends: just past its first empty line (CR LF or bare LF), or -1 while it has none.
qsizetype headEnd(const QByteArray &in)
{
    for (qsizetype at = in.indexOf('\n'); at >= 0; at = in.indexOf('\n', at + 1)) {
        if (at + 1 < in.size() && in[at + 1] == '\n')
            return at + 2;
        if (at + 2 < in.size() && in[at + 1] == '\r' && in[at + 2] == '\n')
            return at + 3;
    }
    return -1;
}

bool allDigits(QByteArrayView text, bool hex = false)
{
    if (text.isEmpty() || text.size() > 15)  // 15 digits stay far below qint64 in either base
        return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))))
            return false;
    return true;
}

} // namespace

void HTTPConnection::Disconnect()
{
    if (socket_)
        socket_->abort();
}

HTTPClient::HTTPClient(QObject *parent) : QObject(parent)
{
    idle_.setSingleShot(true);
    connect(&idle_, &QTimer::timeout, this, [this] { fail("Délai dépassé"); });
}

HTTPClient::~HTTPClient()
{
    release();
}

void HTTPClient::release()
{
    idle_.stop();
    stage_ = Stage::Over;
    if (socket_) {
        socket_->disconnect(this);
        socket_->abort();
        socket_->deleteLater();
    }
    if (connection_)
        connection_->deleteLater();  // a handler may still hold it during this event
    socket_ = nullptr;
    connection_ = nullptr;
    in_.clear();
}

void HTTPClient::SendRequest()
{
    release();
    ++generation_;
    received_ = 0;
    stage_ = Stage::Head;
    connection_ = new HTTPConnection(this);
    QByteArray host = host_;
    if (host.startsWith('[') && host.endsWith(']'))  // an IPv6 literal as URLs write it
        host = host.mid(1, host.size() - 2);
    if (host.isEmpty()) {
        failLater("Adresse invalide");
        return;
    }
    QSslSocket *tls = secure_ ? new QSslSocket(this) : nullptr;
    socket_ = tls ? tls : new QTcpSocket(this);
    connection_->socket_ = socket_;
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
    if (tls)
        tls->connectToHostEncrypted(QString::fromUtf8(host), port_);
    else
        socket_->connectToHost(QString::fromUtf8(host), port_);
}

// Reported from the event loop, like every other outcome: SendRequest returns at once.
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
    if (in_.isEmpty())
        in_ = socket_->readAll();  // the usual case in a body: no copy
    else
        in_ += socket_->readAll();
    parse();
}

void HTTPClient::onSocketError(int error)
{
    if (error == QAbstractSocket::RemoteHostClosedError)
        onClosed();
    else if (stage_ != Stage::Over)
        fail(socketErrorText(error));
}

void HTTPClient::onClosed()
{
    if (stage_ == Stage::Over || !socket_)
        return;
    in_ += socket_->readAll();
    const quint64 generation = generation_;
    parse();
    if (!current(generation))
        return;
    // Only a body that runs until the close is whole now; anything else was cut short.
    if (stage_ == Stage::Body && remaining_ < 0)
        finish();
    else
        fail(kCut);
}

void HTTPClient::parse()
{
    const quint64 generation = generation_;
    if (stage_ == Stage::Head && !readHead())
        return;
    if (!current(generation))
        return;
    if (stage_ == Stage::Body) {
        const qint64 size = remaining_ < 0 ? in_.size() : qMin<qint64>(remaining_, in_.size());
        if (!deliver(size))
            return;
        if (remaining_ > 0)
            remaining_ -= size;
        if (remaining_ == 0)
            finish();
        return;
    }
    readChunked();
}

// The status line and headers; false while they are incomplete or when the download ended.
bool HTTPClient::readHead()
{
    for (;;) {
        const qsizetype end = headEnd(in_);
        if (end < 0 || end > kMaxHead) {
            if (end > kMaxHead || in_.size() > kMaxHead)
                fail(kInvalid);
            return false;
        }
        QByteArray head = in_.left(end), line;
        in_.remove(0, end);
        takeLine(head, line);
        const QList<QByteArray> status = line.split(' ');
        if (status.size() < 2 || !status[0].startsWith("HTTP/1.") || status[1].size() != 3 || !allDigits(status[1])) {
            fail(kInvalid);
            return false;
        }
        const int code = status[1].toInt();
        if (code >= 100 && code < 200 && code != 101)
            continue;  // an interim answer; the real one follows
        connection_->status_ = code;
        connection_->reason_ = line.mid(status[0].size() + 5);

        QByteArray length, transfer, encoding;
        while (takeLine(head, line) && !line.isEmpty()) {
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0) {
                fail(kInvalid);
                return false;
            }
            const QByteArray name = line.left(colon).trimmed().toLower(), value = line.mid(colon + 1).trimmed();
            QByteArray *field = name == "content-length" ? &length : name == "transfer-encoding" ? &transfer
                              : name == "content-encoding"                  ? &encoding : nullptr;
            if (field && !field->isEmpty() && *field != value) {
                fail(kInvalid);  // two different lengths or encodings: nothing can be trusted
                return false;
            }
            if (field)
                *field = value;
        }
        const quint64 generation = generation_;
        Q_EMIT OnProcessHeaders(connection_);
        if (!current(generation))
            return false;
        if (code == 101) {
            fail(kInvalid);
            return false;
        }
        if ((!encoding.isEmpty() && encoding.toLower() != "identity")
            || (!transfer.isEmpty() && transfer.toLower() != "chunked")) {
            fail(kEncoding);
            return false;
        }
        if (!transfer.isEmpty()) {
            stage_ = Stage::ChunkSize;
        } else if (code == 204 || code == 304) {
            stage_ = Stage::Body;
            remaining_ = 0;
        } else if (!length.isEmpty()) {
            if (!allDigits(length)) {
                fail(kInvalid);
                return false;
            }
            stage_ = Stage::Body;
            remaining_ = length.toLongLong();
        } else {
            stage_ = Stage::Body;
            remaining_ = -1;
        }
        return true;
    }
}

// Chunk size lines, chunk data and the trailers after the last chunk; a malformed chunk is a cut.
bool HTTPClient::readChunked()
{
    const quint64 generation = generation_;
    QByteArray line;
    while (current(generation)) {
        switch (stage_) {
        case Stage::ChunkSize: {
            if (!takeLine(in_, line)) {
                if (in_.size() > kMaxChunkLine)
                    fail(kCut);
                return false;
            }
            const QByteArray size = line.split(';').constFirst().trimmed();  // extensions are ignored
            if (!allDigits(size, true)) {
                fail(kCut);
                return false;
            }
            remaining_ = size.toLongLong(nullptr, 16);
            stage_ = remaining_ == 0 ? Stage::Trailers : Stage::ChunkData;
            break;
        }
        case Stage::ChunkData: {
            const qint64 size = qMin<qint64>(remaining_, in_.size());
            if (size == 0 || !deliver(size))
                return false;
            remaining_ -= size;
            if (remaining_ == 0)
                stage_ = Stage::ChunkEnd;
            break;
        }
        case Stage::ChunkEnd:
            if (in_.size() < 2 && !in_.startsWith('\n'))
                return false;
            if (!takeLine(in_, line) || !line.isEmpty()) {
                fail(kCut);
                return false;
            }
            stage_ = Stage::ChunkSize;
            break;
        case Stage::Trailers:
            if (!takeLine(in_, line)) {
                if (in_.size() > kMaxHead)
                    fail(kCut);
                return false;
            }
            if (line.isEmpty()) {
                finish();
                return true;
            }
            break;
        default:
            return false;
        }
    }
    return false;
}

bool HTTPClient::deliver(qint64 size)
{
    if (size <= 0)
        return true;
    received_ += size;
    if (received_ > kMaxBody) {
        fail("Réponse trop volumineuse");
        return false;
    }
    const quint64 generation = generation_;
    QByteArray bytes;
    if (size == in_.size()) {
        bytes.swap(in_);  // all that arrived goes to the handler as it is
    } else {
        bytes = in_.left(size);
        in_.remove(0, size);
    }
    Q_EMIT OnInput(connection_, bytes.constData(), qint32(bytes.size()));
    return current(generation);
}

void HTTPClient::finish()
{
    const quint64 generation = generation_;
    QPointer<HTTPConnection> connection = connection_;
    idle_.stop();
    stage_ = Stage::Over;  // the handler's Disconnect closes the socket: that close is no cut
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
