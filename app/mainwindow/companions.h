// SPDX-License-Identifier: GPL-2.0-or-later
// What accompanies the main window and follows the city it shows: the forecast windows (made when
// first asked for, placed beside it), and, once its first picture is painted, the notices and the
// panel icon. Each follows the list's displayed city through one connection.
#pragma once
#include <QDateTime>
#include <QObject>
#include <functional>

class QMainWindow;

namespace meteo {

class CityList;
class DesktopNotifier;
class FormAir;
class FormCarte;
class FormHeures;
class FormPrevisions;
class MainMenus;
class PanelIcon;
class Settings;

class Companions : public QObject {
    Q_OBJECT
public:
    Companions(QMainWindow *main, CityList *cities, Settings *settings, MainMenus *menus, std::function<QDateTime()> clock);

    FormPrevisions *Previsions = nullptr;
    FormHeures *Heures = nullptr;
    FormAir *AirPollens = nullptr;
    FormCarte *Carte = nullptr;
    PanelIcon *Panneau = nullptr;
    DesktopNotifier *Notifications = nullptr;

    void openPrevisions();
    void openHeures();
    void openAir();
    // The rain map asks the service named by `serviceHost` when it opens.
    void openCarte(const std::function<QByteArray()> &serviceHost);
    // The notices and the panel icon, with the window's icon: nothing the first picture needs.
    void startDesktop();

private:
    template <class Window>
    void open(Window *&window);
    QMainWindow *main_;
    CityList *cities_;
    Settings *settings_;
    MainMenus *menus_;
    std::function<QDateTime()> clock_;
};

} // namespace meteo
