#include "communesearch.h"

#include "weather/error.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

namespace meteo {
namespace {
constexpr qint64 kMaxAnswer = 64 * 1024;  // twenty communes take about 2 KB
}

CommuneSearch::CommuneSearch(const QByteArray &serviceHost, QObject *parent)
    : QObject(parent), host_(serviceHost), manager_(new QNetworkAccessManager(this))
{
}

void CommuneSearch::search(const QString &text)
{
    if (reply_) {
        waiting_ = text;
        hasWaiting_ = true;
        return;
    }
    send(text);
}

void CommuneSearch::send(const QString &text)
{
    asked_ = text;
    hasWaiting_ = false;
    QNetworkRequest request(QUrl::fromEncoded("http://" + host_ + "/communes?q=" + text.toUtf8().toPercentEncoding()));
    request.setTransferTimeout(10000);
    reply_ = manager_->get(request);
    connect(reply_, &QNetworkReply::downloadProgress, reply_, [reply = reply_.data()](qint64 received) {
        if (received > kMaxAnswer)
            reply->abort();
    });
    connect(reply_, &QNetworkReply::finished, this, &CommuneSearch::onFinished);
}

void CommuneSearch::onFinished()
{
    QNetworkReply *reply = reply_;
    reply_ = nullptr;
    reply->deleteLater();
    if (hasWaiting_) {  // overtaken: only the newest text's answer is shown
        send(waiting_);
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError && status == 0) {
        Q_EMIT failed(QStringLiteral("Service météo injoignable (%1)").arg(reply->errorString()));
        return;
    }
    try {
        if (status != 200)
            throw Error(QStringLiteral("le service a répondu %1").arg(status));
        Q_EMIT found(asked_, parseCommuneList(reply->readAll()));
    } catch (const Error &e) {
        Q_EMIT failed(QString::fromUtf8(e.what()));
    }
}

} // namespace meteo
