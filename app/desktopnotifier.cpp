#include "desktopnotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>
#include <cstdio>

namespace meteo {

DesktopNotifier::DesktopNotifier(const QDBusConnection &bus, QObject *parent) : QObject(parent), bus_(bus) {}

void DesktopNotifier::considerRain(const QByteArray &code, const QByteArray &place, const QList<RainSlot> &rain,
                                   const QDateTime &received, const QDateTime &now)
{
    if (const std::optional<RainAlert> alert = decideRainAlert(memories_[code], rain, place, received, now))
        show(*alert);
}

void DesktopNotifier::show(const RainAlert &alert)
{
    const auto sayOnce = [this](const QString &why) {
        if (!std::exchange(said_, true))
            std::fprintf(stderr, "meteo: pas de notification de pluie : %s\n", qPrintable(why));
    };
    if (!bus_.isConnected()) {
        sayOnce(QStringLiteral("pas de bus de session"));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
                                                       QStringLiteral("/org/freedesktop/Notifications"),
                                                       QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(uchar(1))},  // normal
                            {QStringLiteral("desktop-entry"), QStringLiteral("meteo")}};
    call << QStringLiteral("Météo") << uint(alert.replaces ? id_ : 0) << QStringLiteral("meteo") << QString::fromUtf8(alert.summary)
         << QString::fromUtf8(alert.body) << QStringList() << hints << int(-1);
    // Asynchronous: a slow or absent service never holds the window.
    auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, sayOnce](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError())
            sayOnce(reply.error().message());
        else
            id_ = reply.value();
    });
}

} // namespace meteo
