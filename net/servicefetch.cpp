// SPDX-License-Identifier: GPL-2.0-or-later
#include "servicefetch.h"

#include "httpclient.h"
#include "request.h"
#include "response.h"

namespace meteo {

ServiceFetch::ServiceFetch(qsizetype maxBytes, int limitMs, QObject *parent)
    : QObject(parent), max_(maxBytes), client_(new HTTPClient(this))
{
    client_->setTimeout(limitMs);
    client_->setTotalTimeout(limitMs);
    connect(client_, &HTTPClient::OnInput, this, [this](HTTPConnection *connection, const char *bytes, qint32 size) {
        body_.append(bytes, size);
        if (body_.size() > max_) {
            tooLarge_ = true;
            connection->Disconnect();
        }
    });
    connect(client_, &HTTPClient::OnDoneInput, this, [](HTTPConnection *connection) { connection->Disconnect(); });
    connect(client_, &HTTPClient::OnDisconnect, this, &ServiceFetch::onDisconnect);
    connect(client_, &HTTPClient::OnError, this, [this](const QByteArray &message) {
        Q_EMIT failed(tooLarge_ ? QStringLiteral("réponse du service trop volumineuse") : unreachableText(message));
    });
}

void ServiceFetch::get(const QByteArray &serviceHost, const QByteArray &target)
{
    target_ = target;
    body_.clear();
    tooLarge_ = false;
    if (!client_->aimAt(serviceUrl(serviceHost, target))) {
        client_->Abandon();
        Q_EMIT failed(unreadableServiceText(serviceHost));
        return;
    }
    client_->SendRequest();
}

void ServiceFetch::setLimitMs(int ms)
{
    client_->setTimeout(ms);
    client_->setTotalTimeout(ms);
}

void ServiceFetch::cancel()
{
    client_->Abandon();
}

bool ServiceFetch::busy() const
{
    return client_->Busy();
}

void ServiceFetch::onDisconnect(HTTPConnection *connection)
{
    if (tooLarge_)
        Q_EMIT failed(QStringLiteral("réponse du service trop volumineuse"));
    else if (connection->ResponseStatus() != 200)
        Q_EMIT failed(refusalText(connection->ResponseStatus(), body_));
    else
        Q_EMIT arrived(body_);
}

} // namespace meteo
