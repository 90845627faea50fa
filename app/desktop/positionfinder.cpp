// SPDX-License-Identifier: GPL-2.0-or-later
#include "positionfinder.h"

#include <QBuffer>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QFile>
#include <QGeoPositionInfoSource>
#include <QNmeaPositionInfoSource>
#include <cmath>

namespace meteo {
namespace {

// The desktop's location service, GeoClue, answers on the system bus, or is started there when asked:
// without it the default source would only time out.
bool locationServiceThere()
{
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QString name = QStringLiteral("org.freedesktop.GeoClue2");
    if (bus.interface()->isServiceRegistered(name))
        return true;
    const QDBusReply<QStringList> activatable = bus.interface()->call(QStringLiteral("ListActivatableNames"));
    return activatable.isValid() && activatable.value().contains(name);
}

} // namespace

PositionFinder::PositionFinder(QObject *parent) : QObject(parent) {}

PositionFinder::~PositionFinder() = default;

// Made at the first question: nothing of the positioning starts before the user asks.
QGeoPositionInfoSource *PositionFinder::source()
{
    if (source_)
        return source_;
    if (const QString log = qEnvironmentVariable("METEO_NMEA_FILE"); !log.isEmpty()) {
        QFile file(log);
        if (!file.open(QIODevice::ReadOnly))
            return nullptr;
        // A receiver's log of days is megabytes the source would scan on the window's thread before
        // its first fix: its first megabyte holds more fixes than one question needs.
        auto *head = new QBuffer(this);
        head->setData(file.read(1024 * 1024));
        head->open(QIODevice::ReadOnly);
        auto *nmea = new QNmeaPositionInfoSource(QNmeaPositionInfoSource::SimulationMode, this);
        nmea->setDevice(head);
        source_ = nmea;
    } else {
        // The desktop's agent names the program by its desktop entry when it asks the user.
        source_ = QGeoPositionInfoSource::createDefaultSource({{QStringLiteral("desktopId"), QStringLiteral("fr.meteo.Meteo")}}, this);
        if (source_ && source_->sourceName() == QLatin1String("geoclue2") && !locationServiceThere()) {
            delete source_;
            source_ = nullptr;
        }
    }
    if (!source_)
        return nullptr;
    connect(source_, &QGeoPositionInfoSource::positionUpdated, this, &PositionFinder::fixed);
    connect(source_, &QGeoPositionInfoSource::errorOccurred, this, [this](QGeoPositionInfoSource::Error error) {
        if (!std::exchange(asked_, false))
            return;
        Q_EMIT failed(error == QGeoPositionInfoSource::AccessError     ? QStringLiteral("Localisation refusée")
                      : error == QGeoPositionInfoSource::UpdateTimeoutError ? QStringLiteral("Position introuvable en %1 s").arg(timeoutMs / 1000)
                                                                            : QStringLiteral("Position indisponible : aucun service de localisation"));
    });
    return source_;
}

void PositionFinder::find()
{
    QGeoPositionInfoSource *from = source();
    if (!from) {
        Q_EMIT failed(QStringLiteral("Position indisponible : aucun service de localisation"));
        return;
    }
    asked_ = true;
    from->requestUpdate(timeoutMs);
}

void PositionFinder::fixed(const QGeoPositionInfo &info)
{
    if (!asked_)
        return;
    const double latitude = info.coordinate().latitude(), longitude = info.coordinate().longitude();
    if (!info.isValid() || !std::isfinite(latitude) || !std::isfinite(longitude))
        return;  // not a fix yet: the request's own time limit still holds
    asked_ = false;
    Q_EMIT found(latitude, longitude);
}

} // namespace meteo
