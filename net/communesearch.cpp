// SPDX-License-Identifier: GPL-2.0-or-later
#include "communesearch.h"

#include "common/error.h"
#include "servicefetch.h"

#include <cmath>

namespace meteo {
namespace {
constexpr qsizetype kMaxAnswer = 64 * 1024;  // twenty communes take about 2 KB
constexpr int kLimitMs = 10000;              // per search, however the service trickles
}

CommuneSearch::CommuneSearch(const QByteArray &serviceHost, QObject *parent)
    : QObject(parent), host_(serviceHost), fetch_(new ServiceFetch(kMaxAnswer, kLimitMs, this))
{
    connect(fetch_, &ServiceFetch::arrived, this, [this](const QByteArray &body) {
        try {
            Q_EMIT found(asked_, parseCommuneList(body));
        } catch (const Error &e) {
            Q_EMIT failed(QString::fromUtf8(e.what()));
        }
    });
    connect(fetch_, &ServiceFetch::failed, this, &CommuneSearch::failed);
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
    fetch_->get(host_, target);  // abandons the search under way
}

void CommuneSearch::cancel()
{
    fetch_->cancel();
}

} // namespace meteo
