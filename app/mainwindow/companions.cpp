// SPDX-License-Identifier: GPL-2.0-or-later
#include "companions.h"

#include "mainmenus.h"
#include "app/desktop/desktopnotifier.h"
#include "app/desktop/panelicon.h"
#include "app/model/citylist.h"
#include "app/storage/places.h"
#include "app/storage/settings.h"
#include "app/widgets/screenplacement.h"
#include "app/windows/formair.h"
#include "app/windows/formcarte.h"
#include "app/windows/formheures.h"
#include "app/windows/formprevisions.h"
#include "common/error.h"

#include <QDBusConnection>
#include <QMainWindow>
#include <QMenu>
#include <QSystemTrayIcon>

namespace meteo {

Companions::Companions(QMainWindow *main, CityList *cities, Settings *settings, MainMenus *menus, std::function<QDateTime()> clock)
    : QObject(main), main_(main), cities_(cities), settings_(settings), menus_(menus), clock_(std::move(clock))
{
}

template <class Window>
void Companions::open(Window *&window)
{
    const bool first = !window;
    if (first) {
        window = new Window(main_);
        window->follow(cities_->displayed());
        connect(cities_, &CityList::displayedChanged, window, &Window::follow);
    }
    showBeside(window, main_, first);
}

void Companions::openPrevisions()
{
    open(Previsions);
}

void Companions::openHeures()
{
    open(Heures);
}

void Companions::openAir()
{
    open(AirPollens);
}

void Companions::openCarte(const std::function<QByteArray()> &serviceHost)
{
    const bool first = !Carte;
    if (first)
        Carte = new FormCarte(cities_, serviceHost, main_);
    showBeside(Carte, main_, first);
}

void Companions::startDesktop()
{
    main_->setWindowIcon(QIcon(QStringLiteral(":/meteo.ico")));
    Notifications = new DesktopNotifier(QDBusConnection::sessionBus(), main_);
    Notifications->clock = clock_;
    Notifications->setRainWanted(settings_->rainWanted());
    Notifications->setPollens(settings_->pollens());
    connect(settings_, &Settings::rainWantedChanged, Notifications, &DesktopNotifier::setRainWanted);
    connect(settings_, &Settings::pollensChanged, Notifications, &DesktopNotifier::setPollens);
    try {
        Places::current().prepareFolderOf(Places::current().noticesFile());
        Notifications->rememberIn(Places::current().noticesFile());
    } catch (const Error &) {
        // no cache folder: the notices are remembered for this run only
    }
    // Made even without a panel: it shows itself when one starts.
    Panneau = new PanelIcon(main_, new QMenu(main_));
    Panneau->clock = clock_;
    const auto fillPanel = [this] { menus_->fillPanelMenu(Panneau->tray()->contextMenu(), Panneau->toggleAction()); };
    fillPanel();
    connect(menus_, &MainMenus::townsChanged, Panneau, fillPanel);
    Notifications->follow(cities_->displayed());
    Panneau->follow(cities_->displayed());
    connect(cities_, &CityList::displayedChanged, Notifications, &DesktopNotifier::follow);
    connect(cities_, &CityList::displayedChanged, Panneau, &PanelIcon::follow);
}

} // namespace meteo
