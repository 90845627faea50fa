// SPDX-License-Identifier: GPL-2.0-or-later
#include "myposition.h"

#include "app/desktop/positionfinder.h"
#include "common/frenchtext.h"
#include "net/communesearch.h"

namespace meteo {

MyPosition::MyPosition(std::function<QByteArray()> serviceHost, QObject *parent) : QObject(parent), host_(std::move(serviceHost)) {}

void MyPosition::find(int timeoutMs)
{
    if (!finder_) {
        finder_ = new PositionFinder(this);
        connect(finder_, &PositionFinder::found, this, [this](double latitude, double longitude) {
            if (!search_) {
                search_ = new CommuneSearch(host_(), this);
                connect(search_, &CommuneSearch::found, this, [this](const QString &, const CommuneList &answer) { nearest(answer); });
                connect(search_, &CommuneSearch::failed, this, [this](const QString &why) { Q_EMIT status(why.toUtf8()); });
            }
            search_->searchNear(latitude, longitude);
        });
        connect(finder_, &PositionFinder::failed, this, [this](const QString &why) { Q_EMIT status(why.toUtf8()); });
    }
    Q_EMIT status("Ma position : recherche…");
    finder_->timeoutMs = timeoutMs;
    finder_->find();
}

void MyPosition::nearest(const CommuneList &answer)
{
    if (answer.communes.isEmpty()) {
        Q_EMIT status("Aucune commune à moins de 30 km");
        return;
    }
    commune_ = answer.communes.first();
    toSay_ = true;
    Q_EMIT found(*commune_);
}

QByteArray MyPosition::takeShownText(const QByteArray &shownCode)
{
    if (!toSay_ || !commune_ || shownCode != commune_->code)
        return {};
    toSay_ = false;
    QByteArray text = "Ma position : " + commune_->label;
    if (commune_->km)
        text += ", à " + french::utf8(french::number(*commune_->km, 1)) + " km";
    return text;
}

} // namespace meteo
