// SPDX-License-Identifier: GPL-2.0-or-later
// "Ma position": one fix of where the computer is, from Qt Positioning's default source (GeoClue2 on
// a Linux desktop, which asks the user through the desktop's agent), or from an NMEA log named by
// METEO_NMEA_FILE (for tests and trials). The position is handed on once and kept nowhere.
#pragma once
#include <QObject>
#include <QString>

class QGeoPositionInfoSource;
class QGeoPositionInfo;

namespace meteo {

class PositionFinder : public QObject {
    Q_OBJECT
public:
    explicit PositionFinder(QObject *parent = nullptr);
    ~PositionFinder() override;
    // Asks for one fix; `found` or `failed` follows, once, within `timeoutMs`.
    void find();
    int timeoutMs = 30000;

Q_SIGNALS:
    void found(double latitude, double longitude);
    // In French: "Position indisponible : aucun service de localisation", "Localisation refusée",
    // "Position introuvable en 30 s".
    void failed(const QString &reason);

private:
    void fixed(const QGeoPositionInfo &info);
    QGeoPositionInfoSource *source();
    QGeoPositionInfoSource *source_ = nullptr;
    bool asked_ = false;
};

} // namespace meteo
