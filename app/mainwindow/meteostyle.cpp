// SPDX-License-Identifier: GPL-2.0-or-later
#include "meteostyle.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

namespace meteo {
namespace {

// Two chevrons pointing right (or down), drawn at any size in the text's colour.
class ChevronEngine : public QIconEngine {
public:
    explicit ChevronEngine(bool down) : down_(down) {}
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const QRectF r = QRectF(rect).adjusted(rect.width() * 0.2, rect.height() * 0.25, -rect.width() * 0.2, -rect.height() * 0.25);
        QPainterPath path;
        for (const double at : {0.0, 0.45}) {
            if (down_) {
                path.moveTo(r.left(), r.top() + at * r.height());
                path.lineTo(r.center().x(), r.top() + (at + 0.45) * r.height());
                path.lineTo(r.right(), r.top() + at * r.height());
            } else {
                path.moveTo(r.left() + at * r.width(), r.top());
                path.lineTo(r.left() + (at + 0.45) * r.width(), r.center().y());
                path.lineTo(r.left() + at * r.width(), r.bottom());
            }
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(QApplication::palette().color(mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active, QPalette::ButtonText),
                             std::max(1.0, rect.height() / 10.0)));
        painter->drawPath(path);
        painter->restore();
    }
    QIconEngine *clone() const override { return new ChevronEngine(down_); }

private:
    bool down_;
};

} // namespace

QIcon MeteoStyle::standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const
{
    if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton)
        return QIcon(new ChevronEngine(which == SP_ToolBarVerticalExtensionButton));
    return QProxyStyle::standardIcon(which, option, widget);
}

void prepareApplication(QApplication &app)
{
    app.setApplicationName(QStringLiteral("meteo"));
    // The desktop entry the desktop knows the program by (notices, the location agent).
    QGuiApplication::setDesktopFileName(QStringLiteral("fr.meteo.Meteo"));
    QApplication::setStyle(new MeteoStyle(&app));
    // The menu is part of the fixed window: it stays in it, never handed to a desktop's global menu
    // (asking the session bus whether there is one would hold the first picture back too).
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
}

} // namespace meteo
