// SPDX-License-Identifier: GPL-2.0-or-later
#include "panelicon.h"

#include "app/storage/places.h"
#include "common/frenchtext.h"
#include "weather/display.h"

#include <QAction>
#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QTimer>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QWidget>

namespace meteo {

QImage panelPicture(const QImage &condition, std::optional<int> temperature, int side)
{
    QImage out(side, side, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!condition.isNull())
        p.drawImage(QRect(0, 0, side, side), condition.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    if (temperature) {
        const QString text = french::shortDegrees(*temperature);
        // As large as the width allows, at most three fifths of the height, at the bottom; white with
        // a dark outline rather than on a plate, which would hide the sky at small sizes.
        QFont font;
        font.setBold(true);
        font.setPixelSize(std::max(6, side * 3 / 5));
        const double outline = std::max(1.5, side / 12.0);
        while (font.pixelSize() > 6 && QFontMetricsF(font).horizontalAdvance(text) + outline > side)
            font.setPixelSize(font.pixelSize() - 1);
        const QFontMetricsF fm(font);
        QPainterPath path;
        path.addText(QPointF((side - fm.horizontalAdvance(text)) / 2, side - fm.descent() * 0.6), font, text);
        p.strokePath(path, QPen(QColor(0, 0, 0, 200), outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.fillPath(path, Qt::white);
    }
    return out;
}

QIcon panelIcon(const QImage &condition, std::optional<int> temperature)
{
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48, 64}) {
        icon.addPixmap(QPixmap::fromImage(panelPicture(condition, temperature, side)));
        QImage sharp = panelPicture(condition, temperature, 2 * side);
        sharp.setDevicePixelRatio(2);
        icon.addPixmap(QPixmap::fromImage(sharp));
    }
    return icon;
}

PanelIcon::PanelIcon(QWidget *window, QMenu *menu)
    : QObject(window), trayAvailable(&QSystemTrayIcon::isSystemTrayAvailable), window_(window), tray_(new QSystemTrayIcon(this)),
      toggle_(new QAction(QStringLiteral("&Masquer Météo"), this))
{
    toggle_->setObjectName(QStringLiteral("AfficherMasquer"));
    connect(toggle_, &QAction::triggered, this, &PanelIcon::toggleWindow);
    // The menu names what the item will do, as the window is when it opens.
    connect(menu, &QMenu::aboutToShow, this, [this] {
        toggle_->setText(window_->isVisible() && !window_->isMinimized() ? QStringLiteral("&Masquer Météo") : QStringLiteral("&Afficher Météo"));
    });
    tray_->setContextMenu(menu);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
        if (why == QSystemTrayIcon::Trigger)
            toggleWindow();
    });
    // No signal says that a panel has started or stopped: asked every few seconds, at the cost of
    // one question to the display.
    auto *watch = new QTimer(this);
    watch->setInterval(3000);
    connect(watch, &QTimer::timeout, this, &PanelIcon::checkTray);
    watch->start();
}

// Hidden or behind others: brought to the front; in front: put away.
void PanelIcon::toggleWindow()
{
    if (window_->isVisible() && !window_->isMinimized() && window_->isActiveWindow()) {
        window_->hide();
        return;
    }
    window_->showNormal();
    window_->raise();
    window_->activateWindow();
}

void PanelIcon::checkTray()
{
    const bool wanted = shown_ && trayAvailable && trayAvailable();
    if (wanted != tray_->isVisible())
        tray_->setVisible(wanted);
}

void PanelIcon::follow(CityWeather *weather)
{
    city_.follow(weather, this, &PanelIcon::present);
    present();
}

// "Brest : 8 °C, averses — pluie faible à partir de 14 h 15"
void PanelIcon::present()
{
    const std::shared_ptr<const CityReport> report = city_.report();
    if (!report)
        return;
    const QByteArray code = report->condition.Icon_Jour;
    if (!pictures_.contains(code) && isSafeIconCode(code))
        pictures_.insert(code, QImage(iconPath(Places::current().programDir(), code)));
    const std::optional<int> temperature = report->temperature();
    const auto lowerFirst = [](QString text) { return text.isEmpty() ? text : text.left(1).toLower() + text.mid(1); };
    QString tip = QString::fromUtf8(city_.weather()->name()) + QStringLiteral(" : ")
                  + (temperature ? french::degrees(*temperature) + QStringLiteral(", ") : QString()) + lowerFirst(QString::fromUtf8(report->sky));
    if (const QByteArray rain = rainSentence(report->hourly.rain, clock()); !rain.isEmpty())
        tip += QStringLiteral(" — ") + lowerFirst(QString::fromUtf8(rain));
    if (const QString air = airSummary(report->air, report->hourly.placeTime(clock())); !air.isEmpty())
        tip += QStringLiteral(" — ") + air;
    if (city_.downloading())
        tip += QStringLiteral("\nActualisation…");
    show(pictures_.value(code), temperature, tip);
}

void PanelIcon::show(const QImage &condition, std::optional<int> temperature, const QString &tooltip)
{
    tray_->setIcon(panelIcon(condition, temperature));
    tray_->setToolTip(tooltip);
    shown_ = true;
    checkTray();
}

} // namespace meteo
