// SPDX-License-Identifier: GPL-2.0-or-later
// The main window's menu bar and the panel icon's menu: "Villes" (the towns of the list, then the
// commands) and "Prévisions" (the forecast windows, the pollens and the rain notices). The town items
// follow the city list, the check marks follow the settings and the city shown; the window connects
// the commands to its handlers.
#pragma once
#include "app/model/citylist.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;

namespace meteo {

class Settings;

class MainMenus : public QObject {
    Q_OBJECT
public:
    // `connectTown` binds each town item made to the window's handler.
    MainMenus(QMainWindow *window, CityList *cities, Settings *settings, std::function<void(QAction *)> connectTown);

    QMenuBar *bar;
    QMenu *MenuVilles, *MenuPrevisions, *MenuPollens;
    QAction *Actualiser, *AjouterVille, *RetirerVille, *MesVilles, *MaPosition, *AjouterPosition, *Quitter;
    QAction *PrevisionsNeufJours, *PrevisionsHeures, *PrevisionsAir, *PrevisionsCarte, *AvertirPluie;

    // The town of `code` checked, as the city whose weather is shown.
    void showCity(const QByteArray &code);
    // "Retirer <name>" names the city of the last request; nothing to remove when it is not listed.
    void nameRequested(const QByteArray &code);
    // "Ajouter à mes villes" is offered for the position's commune while it is not in the list.
    void offerPosition(const QByteArray &code);
    // The panel icon's menu, in the window's order, `toggle` (show or hide the window) first.
    void fillPanelMenu(QMenu *menu, QAction *toggle) const;

Q_SIGNALS:
    void townsChanged();

private:
    void fillTowns();
    QPointer<CityList> cities_;  // gone once the window has closed
    std::function<void(QAction *)> connectTown_;
    QByteArray shown_, requested_, position_;
};

} // namespace meteo
