// SPDX-License-Identifier: GPL-2.0-or-later
// The settings kept in meteo.ini beside the window's place and remembered city: whether rain is
// announced and which pollens the user wants to be told of. The menus show them and change them
// here; the notices read them here. A change the user makes while meteo.ini's folder cannot be
// written is said once a run (notKept): the setting holds for this run only.
#pragma once
#include "common/airkinds.h"

#include <QObject>
#include <QSet>
#include <QString>

namespace meteo {

class Settings : public QObject {
    Q_OBJECT
public:
    explicit Settings(QObject *parent = nullptr) : QObject(parent) {}

    bool rainWanted() const { return rainWanted_; }
    const QSet<Taxon> &pollens() const { return pollens_; }
    // As meteo.ini keeps them: "bouleau,graminees"; unknown names are let be.
    QString pollensText() const;

    // What meteo.ini says, at start.
    void setRainWanted(bool on);
    void setPollensText(const QString &taxa);
    // What the user chooses.
    void chooseRainWanted(bool on);
    void choosePollen(Taxon taxon, bool on);
    // The city to remember was chosen (it is kept by the window with its place).
    void chooseCity();

Q_SIGNALS:
    void rainWantedChanged(bool on);
    void pollensChanged(const QSet<meteo::Taxon> &taxa);
    void notKept(const QString &message);
    // The user chose a setting: it is kept now, not only at the close.
    void chosen();

private:
    void userChanged(const QString &what);
    bool rainWanted_ = true;
    QSet<Taxon> pollens_;
    bool warned_ = false;
};

} // namespace meteo
