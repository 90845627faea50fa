// SPDX-License-Identifier: GPL-2.0-or-later
// "Ma position": the position from the desktop, then the commune nearest it from the service. What
// fails is said (status) and the city shown stays. The coordinates go to our own service alone,
// rounded, and are kept nowhere; only the commune found is kept, for "Ajouter à mes villes".
#pragma once
#include "net/communelist.h"

#include <QObject>
#include <functional>
#include <optional>

namespace meteo {

class CommuneSearch;
class PositionFinder;

class MyPosition : public QObject {
    Q_OBJECT
public:
    // `serviceHost` names the service when a search starts.
    MyPosition(std::function<QByteArray()> serviceHost, QObject *parent = nullptr);
    // One fix within `timeoutMs`, then its commune.
    void find(int timeoutMs);
    const std::optional<FoundCommune> &commune() const { return commune_; }
    // Once the commune's weather is shown: "Ma position : Quimper (29), à 0,4 km", said once; empty
    // for any other city.
    [[nodiscard]] QByteArray takeShownText(const QByteArray &shownCode);

Q_SIGNALS:
    void status(const QByteArray &text);
    void found(const meteo::FoundCommune &commune);

private:
    void nearest(const CommuneList &answer);
    std::function<QByteArray()> host_;
    PositionFinder *finder_ = nullptr;
    CommuneSearch *search_ = nullptr;
    std::optional<FoundCommune> commune_;
    bool toSay_ = false;
};

} // namespace meteo
