// SPDX-License-Identifier: GPL-2.0-or-later
// Notices on the desktop through its notification service (org.freedesktop.Notifications over
// D-Bus): the rain about to start, once per spell. Where no service answers, nothing happens but one
// line on stderr.
#pragma once
#include "app/model/cityweather.h"
#include "noticememory.h"
#include "weather/airalert.h"
#include "weather/rainalert.h"
#include "weather/warnings.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>

namespace meteo {

class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    explicit DesktopNotifier(const QDBusConnection &bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);
    // Considers each new report of `weather`: its warnings, and its rain when that is wanted.
    void follow(CityWeather *weather);
    // Unwanted rain is still decided on, so that turning it on again does not announce a spell
    // that was under way.
    void setRainWanted(bool wanted) { rainWanted_ = wanted; }
    // Keeps what was announced in `path`, read now and written after each change.
    void rememberIn(const QString &path);
    // A pollen newly chosen is considered at once on the report at hand, not at the next download.
    void setPollens(const QSet<Taxon> &taxa);
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    // Decides on the rain of the city `code` (named `place`) and notifies when it is time.
    void considerRain(const QByteArray &code, const QByteArray &place, const QList<RainSlot> &rain, const QDateTime &received,
                      const QDateTime &now);
    // Announces each orange or red warning of the city that is new, or raised to that colour: once
    // per phenomenon and colour; a red one with critical urgency.
    void considerWarnings(const QByteArray &code, const QByteArray &place, const QList<OfficialWarning> &warnings, const QDateTime &now);
    // Sends `alert`, replacing the last notice when it says so.
    void show(const RainAlert &alert);
    uint lastId() const { return id_; }

private:
    void consider();
    Following city_;
    std::shared_ptr<const CityReport> considered_;  // the last report looked at: each is looked at once
    bool rainWanted_ = true;
    QSet<Taxon> pollens_;  // the pollens the user wants to be told of
    QDBusConnection bus_;
    NoticeMemory memory_;  // what was announced, by city
    QString memoryFile_;
    QByteArray written_;   // what memoryFile_ holds
    void keep();
    enum class Urgency : uchar { Low, Normal, Critical };
    void send(const QByteArray &summary, const QByteArray &body, uint replaces, bool keepId, Urgency urgency = Urgency::Normal);
    uint id_ = 0;
    bool said_ = false;  // the missing service is said once
    bool memoryFailed_ = false;  // an unwritable memory is said once
};

} // namespace meteo
