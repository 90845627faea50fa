// SPDX-License-Identifier: GPL-2.0-or-later
// The panel icon: the current temperature written over the condition's picture, at every size a panel
// asks for, its tooltip the city, temperature, sky and the rain of the next two hours, its menu the
// main window's commands. A click shows or hides the main window. Only where a panel can show it.
#pragma once
#include "app/model/cityweather.h"

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QObject>
#include <optional>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace meteo {

// The picture at `side` pixels: the condition's picture, and the temperature ("3°") over its lower
// part in white with a dark outline, so that it reads on any panel and the sky still shows.
[[nodiscard]] QImage panelPicture(const QImage &condition, std::optional<int> temperature, int side);
// Every size a panel asks for (16 to 64), sharp at twice the pixels.
QIcon panelIcon(const QImage &condition, std::optional<int> temperature);

class PanelIcon : public QObject {
    Q_OBJECT
public:
    // `window` is shown, raised or hidden by a click or by toggleAction(); `menu` is the icon's menu.
    // The icon shows while a panel can hold it: it appears when a panel starts after us, and goes
    // with it.
    PanelIcon(QWidget *window, QMenu *menu);
    // "Afficher Météo" or "Masquer Météo", as the window is.
    QAction *toggleAction() const { return toggle_; }
    // Whether a panel can show the icon now; asked every few seconds.
    std::function<bool()> trayAvailable;
    void checkTray();
    // Shows the weather of `weather`'s report, and again at each of its changes.
    void follow(CityWeather *weather);
    void present();
    void show(const QImage &condition, std::optional<int> temperature, const QString &tooltip);
    QSystemTrayIcon *tray() const { return tray_; }
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

private:
    void toggleWindow();
    QWidget *window_;
    QSystemTrayIcon *tray_;
    QAction *toggle_;
    bool shown_ = false;  // whether show() has given it a picture
    Following city_;
    QHash<QByteArray, QImage> pictures_;  // each condition's picture, decoded once
};

} // namespace meteo
