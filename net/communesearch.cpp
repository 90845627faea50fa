// SPDX-License-Identifier: GPL-2.0-or-later
#include "communesearch.h"

#include "common/error.h"
#include "request.h"
#include "response.h"
#include "httpclient.h"

#include <cmath>

namespace meteo {
namespace {
constexpr qsizetype kMaxAnswer = 64 * 1024;  // twenty communes take about 2 KB
constexpr int kLimitMs = 10000;              // per search, however the service trickles
}

CommuneSearch::CommuneSearch(const QByteArray &serviceHost, QObject *parent)
    : QObject(parent), host_(serviceHost), client_(new HTTPClient(this))
{
    client_->setTimeout(kLimitMs);
    client_->setTotalTimeout(kLimitMs);
    connect(client_, &HTTPClient::OnInput, this, &CommuneSearch::onInput);
    connect(client_, &HTTPClient::OnDoneInput, this, [](HTTPConnection *connection) { connection->Disconnect(); });
    connect(client_, &HTTPClient::OnDisconnect, this, &CommuneSearch::onDisconnect);
    connect(client_, &HTTPClient::OnError, this, [this](const QByteArray &message) { onError(message); });
}

void CommuneSearch::search(const QString &text)
{
    asked_ = text;
    ask("/communes?q=" + text.toUtf8().toPercentEncoding());
}

void CommuneSearch::searchNear(double latitude, double longitude)
{
    const auto hundredths = [](double degrees) { return QByteArray::number(std::round(degrees * 100) / 100, 'f', 2); };
    const QByteArray lat = hundredths(latitude), lon = hundredths(longitude);
    asked_ = QString::fromLatin1(lat + ',' + lon);
    ask("/communes/near?lat=" + lat + "&lon=" + lon);
}

void CommuneSearch::ask(const QByteArray &target)
{
    if (!client_->aimAt(serviceUrl(host_, target))) {
        Q_EMIT failed(unreadableServiceText(host_));
        return;
    }
    body_.clear();
    tooLarge_ = false;
    client_->SendRequest();  // abandons the search under way
}

void CommuneSearch::cancel()
{
    client_->Abandon();
}

void CommuneSearch::onInput(HTTPConnection *connection, const char *bytes, qint32 size)
{
    body_.append(bytes, size);
    if (body_.size() > kMaxAnswer) {
        tooLarge_ = true;
        connection->Disconnect();
    }
}

void CommuneSearch::onDisconnect(HTTPConnection *connection)
{
    try {
        if (connection->ResponseStatus() != 200)
            throw Error(refusalText(connection->ResponseStatus(), body_));
        Q_EMIT found(asked_, parseCommuneList(body_));
    } catch (const Error &e) {
        Q_EMIT failed(QString::fromUtf8(e.what()));
    }
}

void CommuneSearch::onError(const QByteArray &message)
{
    Q_EMIT failed(tooLarge_ ? QStringLiteral("réponse du service trop volumineuse")
                            : unreachableText(message));
}

} // namespace meteo
