#include "httpclient.h"

#include "wiretarget.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QUrl>

namespace meteo {
namespace {

// Errors that stand for an HTTP status the server did send: the answer still counts as an answer.
bool isHttpStatusError(QNetworkReply::NetworkError e)
{
    return (e >= QNetworkReply::ContentAccessDenied && e <= QNetworkReply::ContentGoneError)
           || e == QNetworkReply::ProtocolInvalidOperationError
           || (e >= QNetworkReply::InternalServerError && e <= QNetworkReply::UnknownServerError)
           || (e >= QNetworkReply::ContentConflictError && e <= QNetworkReply::UnknownContentError);
}

} // namespace

HTTPClient::HTTPClient(QObject *parent) : QObject(parent), manager_(new QNetworkAccessManager(this))
{
    manager_->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

bool HTTPClient::isCurrent(QNetworkReply *reply) const
{
    return reply && reply_.data() == reply;
}

HTTPClient::~HTTPClient()
{
    release();
}

QByteArray HTTPClient::errorText(int error)
{
    switch (QNetworkReply::NetworkError(error)) {
    case QNetworkReply::ConnectionRefusedError: return "Connexion refusée";
    case QNetworkReply::HostNotFoundError: return "Hôte introuvable";
    case QNetworkReply::RemoteHostClosedError: return "Connexion interrompue";
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: return "Délai d'attente dépassé";
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError: return "Réseau indisponible";
    case QNetworkReply::ProtocolFailure: return "Réponse HTTP invalide";
    case QNetworkReply::ProtocolUnknownError: return "Adresse invalide";
    default: return "Échec du téléchargement (code " + QByteArray::number(error) + ")";
    }
}

void HTTPClient::release()
{
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
    if (connection_)
        connection_->deleteLater();
    reply_ = nullptr;
    connection_ = nullptr;
    pending_.clear();
}

void HTTPClient::SendRequest()
{
    release();
    received_ = 0;
    headersSent_ = false;
    connection_ = new HTTPConnection(this);

    const QByteArray url = "http://" + host_ + ':' + QByteArray::number(port_) + wireTarget(uri_);
    const QUrl target = QUrl::fromEncoded(url, QUrl::StrictMode);
    if (!target.isValid() || host_.isEmpty()) {
        // Reported from the event loop, like every other outcome: SendRequest returns at once.
        QPointer<HTTPConnection> connection = connection_;
        QTimer::singleShot(0, this, [this, connection] {
            if (connection && connection == connection_) {
                connection_ = nullptr;
                Q_EMIT OnError("Adresse invalide", connection);
                connection->deleteLater();
            }
        });
        return;
    }
    QNetworkRequest request(target);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Meteo/0.20"));
    if (timeout_ > 0)
        request.setTransferTimeout(timeout_);
    reply_ = manager_->get(request);
    connect(reply_, &QNetworkReply::metaDataChanged, this, &HTTPClient::onMetaData);
    connect(reply_, &QNetworkReply::readyRead, this, &HTTPClient::onReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &HTTPClient::onFinished);
}

void HTTPClient::onMetaData()
{
    QNetworkReply *reply = reply_;
    const QVariant status = reply ? reply->attribute(QNetworkRequest::HttpStatusCodeAttribute) : QVariant();
    if (headersSent_ || !status.isValid())
        return;
    headersSent_ = true;
    connection_->status_ = status.toInt();
    connection_->reason_ = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray();
    Q_EMIT OnProcessHeaders(connection_);
}

bool HTTPClient::deliver(const QByteArray &bytes)
{
    QNetworkReply *reply = reply_;
    if (bytes.isEmpty())
        return isCurrent(reply);
    received_ += bytes.size();
    if (received_ > maxBody_) {
        fail("Réponse trop volumineuse");
        return false;
    }
    pending_ += bytes;
    const qint32 offered = qint32(pending_.size());
    const qint32 taken = Q_EMIT OnInput(connection_, pending_.constData(), offered);
    if (!isCurrent(reply))
        return false;
    pending_.remove(0, qBound(0, taken, offered));
    return true;
}

void HTTPClient::onReadyRead()
{
    QNetworkReply *reply = reply_;
    if (!reply)
        return;
    onMetaData();
    if (isCurrent(reply))
        deliver(reply->readAll());
}

void HTTPClient::fail(const QByteArray &message)
{
    QPointer<HTTPConnection> connection = connection_;
    release();  // the connection object lives on until the event loop deletes it
    Q_EMIT OnError(message, connection);
}

void HTTPClient::onFinished()
{
    QNetworkReply *reply = reply_;
    if (!reply)
        return;
    onMetaData();
    if (!isCurrent(reply) || !deliver(reply->readAll()))
        return;
    const QNetworkReply::NetworkError error = reply->error();
    if (error != QNetworkReply::NoError && !(headersSent_ && isHttpStatusError(error))) {
        fail(errorText(error));
        return;
    }
    QPointer<HTTPConnection> connection = connection_;
    Q_EMIT OnDoneInput(connection);
    if (!isCurrent(reply))
        return;
    // The exchange is over whether or not the handler asked to disconnect: the server's side of a
    // finished answer is closed for us.
    release();
    Q_EMIT OnDisconnect(connection);
}

} // namespace meteo
