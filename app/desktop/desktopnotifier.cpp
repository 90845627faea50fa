// SPDX-License-Identifier: GPL-2.0-or-later
#include "desktopnotifier.h"

#include "app/storage/atomicfile.h"
#include "common/error.h"
#include "common/frenchtext.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>
#include <cstdio>

namespace meteo {

DesktopNotifier::DesktopNotifier(const QDBusConnection &bus, QObject *parent) : QObject(parent), bus_(bus) {}

void DesktopNotifier::follow(CityWeather *weather)
{
    city_.follow(weather, this, &DesktopNotifier::consider);
    consider();
}

void DesktopNotifier::consider()
{
    const std::shared_ptr<const CityReport> report = city_.report();
    if (!report || report == considered_)
        return;
    considered_ = report;
    const QDateTime now = clock();
    const QByteArray code = city_.weather()->code(), place = city_.weather()->name();
    considerWarnings(code, place, report->warningsInForce(now), now);
    considerRain(code, place, report->hourly.rain, report->received, now);
    for (const AirNotice &n : decideAirNotices(memory_.air[code], report->air, pollens_, place, report->received, report->hourly.placeTime(now)))
        send(n.summary, n.body, 0, false);
    keep();
}

void DesktopNotifier::setPollens(const QSet<Taxon> &taxa)
{
    const bool added = !pollens_.contains(taxa);
    pollens_ = taxa;
    const std::shared_ptr<const CityReport> report = city_.report();
    if (!added || !report)
        return;
    const QDateTime now = clock();
    for (const AirNotice &n : decideAirNotices(memory_.air[city_.weather()->code()], report->air, pollens_, city_.weather()->name(),
                                               report->received, report->hourly.placeTime(now)))
        send(n.summary, n.body, 0, false);
    keep();
}

void DesktopNotifier::rememberIn(const QString &path)
{
    memoryFile_ = path;
    memory_ = NoticeMemory::load(path, clock());
    written_ = memory_.serialise(clock());
}

void DesktopNotifier::keep()
{
    if (memoryFile_.isEmpty())
        return;
    const QByteArray now = memory_.serialise(clock());
    if (now == written_)
        return;
    try {
        writeFileAtomically(memoryFile_, now);
        written_ = now;
    } catch (const Error &e) {
        // Only a repeated notice after a restart is at stake: a line, once.
        if (!std::exchange(memoryFailed_, true))
            std::fprintf(stderr, "meteo: %s\n", e.what());
    }
}

void DesktopNotifier::considerRain(const QByteArray &code, const QByteArray &place, const QList<RainSlot> &rain,
                                   const QDateTime &received, const QDateTime &now)
{
    const std::optional<RainAlert> alert = decideRainAlert(memory_.rain[code], rain, place, received, now);
    if (alert && rainWanted_)
        show(*alert);
    keep();
}

void DesktopNotifier::considerWarnings(const QByteArray &code, const QByteArray &place, const QList<OfficialWarning> &warnings,
                                       const QDateTime &now)
{
    QHash<int, AnnouncedWarning> &announced = memory_.warnings[code];  // by phenomenon
    QHash<int, AnnouncedWarning> still;
    for (const OfficialWarning &w : warnings) {
        const int colour = int(w.colour), before = announced.value(int(w.phenomenon)).colour;
        const bool noticed = w.colour >= WarningColour::Orange;
        still.insert(int(w.phenomenon), {std::max(before, noticed ? colour : 0), w.end});
        if (noticed && colour > before)
            send("Vigilance " + colourWord(w.colour) + ' ' + french::atPlace(place) + " : " + w.name(), warningLine(w, now), 0, false,
                 w.colour >= WarningColour::Rouge ? Urgency::Critical : Urgency::Normal);
    }
    announced = still;  // a warning that ended is new when it comes back
    keep();
}

void DesktopNotifier::show(const RainAlert &alert)
{
    send(alert.summary, alert.body, alert.replaces ? id_ : 0, true);
}

void DesktopNotifier::send(const QByteArray &summary, const QByteArray &body, uint replaces, bool keepId, Urgency urgency)
{
    const auto sayOnce = [this](const QString &why) {
        if (!std::exchange(said_, true))
            std::fprintf(stderr, "meteo: pas de notification sur le bureau : %s\n", qPrintable(why));
    };
    if (!bus_.isConnected()) {
        sayOnce(QStringLiteral("pas de bus de session"));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
                                                       QStringLiteral("/org/freedesktop/Notifications"),
                                                       QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(uchar(urgency))},
                            {QStringLiteral("desktop-entry"), QStringLiteral("fr.meteo.Meteo")}};
    call << QStringLiteral("Météo") << replaces << QStringLiteral("meteo") << QString::fromUtf8(summary) << QString::fromUtf8(body)
         << QStringList() << hints << int(-1);
    // Asynchronous: a slow or absent service never holds the window.
    auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, sayOnce, keepId](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError())
            sayOnce(reply.error().message());
        else if (keepId)  // the rain notice's, which a later one replaces
            id_ = reply.value();
    });
}

} // namespace meteo
