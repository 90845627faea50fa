// SPDX-License-Identifier: GPL-2.0-or-later
#include "screenplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <limits>

namespace meteo {
namespace {

qint64 shownArea(const QRect &frame, const QRect &screen)
{
    const QRect seen = frame.intersected(screen);
    return seen.isEmpty() ? 0 : qint64(seen.width()) * seen.height();
}

// The top-left that puts `frame` inside `screen`, moving it as little as possible.
QPoint clampedInto(const QRect &frame, const QRect &screen)
{
    const int x = qMax(screen.left(), qMin(frame.left(), screen.right() + 1 - frame.width()));
    const int y = qMax(screen.top(), qMin(frame.top(), screen.bottom() + 1 - frame.height()));
    return {x, y};
}

bool wholly(const QRect &frame, const QList<QRect> &screens)
{
    return std::any_of(screens.begin(), screens.end(), [&](const QRect &s) { return s.contains(frame); });
}

} // namespace

QPoint wholeOnScreen(const QRect &frame, const QList<QRect> &screens)
{
    if (screens.isEmpty() || wholly(frame, screens))
        return frame.topLeft();
    const QRect *best = nullptr;
    qint64 bestArea = 0;
    double nearest = std::numeric_limits<double>::max();
    for (const QRect &screen : screens) {
        const qint64 area = shownArea(frame, screen);
        const QPoint d = frame.center() - screen.center();
        const double distance = double(d.x()) * d.x() + double(d.y()) * d.y();
        if (area > bestArea || (bestArea == 0 && area == 0 && distance < nearest)) {
            best = &screen;
            bestArea = area;
            nearest = distance;
        }
    }
    return clampedInto(frame, *best);
}

QPoint besideOnScreen(const QRect &main, const QSize &size, const QList<QRect> &screens)
{
    constexpr int gap = 8;
    const QRect right(QPoint(main.right() + 1 + gap, main.top()), size);
    const QRect left(QPoint(main.left() - gap - size.width(), main.top()), size);
    // Beside, as it is or slid onto the screen that shows it; where neither side leaves room, the
    // side where it hides the least of `main`.
    QPoint best;
    qint64 hidden = std::numeric_limits<qint64>::max();
    for (const QRect &candidate : {right, left}) {
        const QRect slid(wholeOnScreen(candidate, screens), size);
        const qint64 over = shownArea(slid, main);
        if (over < hidden) {
            best = slid.topLeft();
            hidden = over;
        }
    }
    return best;
}

QList<QRect> availableScreens()
{
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    return screens;
}

QMargins frameMarginsOf(const QWidget *window)
{
    const QRect frame = window->frameGeometry(), inner = window->geometry();
    if (window->isVisible() && frame != inner)
        return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                frame.bottom() - inner.bottom()};
    // Not framed yet: a usual decoration, so that the first placement already leaves room for it.
    return window->windowHandle() && window->windowHandle()->frameMargins() != QMargins()
               ? window->windowHandle()->frameMargins()
               : QMargins(4, 30, 4, 4);
}

QRect frameRectOf(const QWidget *window)
{
    // A top-level widget's position is its frame's top-left.
    return {window->pos(), window->size().grownBy(frameMarginsOf(window))};
}

namespace {

// Waits for the window's first frame, places the window again, and goes away.
class OnceFramed : public QObject {
public:
    explicit OnceFramed(QWidget *window) : QObject(window), window_(window)
    {
        setObjectName(QStringLiteral("meteoOnceFramed"));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        const QEvent::Type t = event->type();
        if ((t == QEvent::Show || t == QEvent::Move || t == QEvent::Resize || t == QEvent::WindowActivate)
            && window_->isVisible() && window_->frameGeometry() != window_->geometry()) {
            // Its frame now measured, a window sized on a guess is shrunk to what its screen holds.
            if (const QScreen *screen = window_->screen()) {
                const QSize fitted = fittedSize(window_->size(), window_->minimumSize(), frameMarginsOf(window_), screen->availableGeometry());
                if (fitted != window_->size())
                    window_->resize(fitted);
            }
            window_->move(wholeOnScreen(frameRectOf(window_), availableScreens()));
            window_->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QWidget *window_;
};

} // namespace

void keepWholeOnScreen(QWidget *window)
{
    window->move(wholeOnScreen(frameRectOf(window), availableScreens()));
    if (!window->findChild<QObject *>(QStringLiteral("meteoOnceFramed"), Qt::FindDirectChildrenOnly))
        new OnceFramed(window);
}

} // namespace meteo

namespace meteo {

QSize fittedSize(const QSize &wanted, const QSize &minimum, const QMargins &frame, const QRect &screen)
{
    const QSize room(screen.width() - frame.left() - frame.right(), screen.height() - frame.top() - frame.bottom());
    return wanted.boundedTo(room).expandedTo(minimum);
}

QSize fittedToScreen(const QSize &wanted, const QSize &minimum, const QWidget *near)
{
    const QScreen *screen = near->screen() ? near->screen() : QGuiApplication::primaryScreen();
    return screen ? fittedSize(wanted, minimum, frameMarginsOf(near), screen->availableGeometry()) : wanted;
}

void showBeside(QWidget *window, const QWidget *main, bool first)
{
    if (first) {
        window->resize(fittedToScreen(window->sizeHint().expandedTo(window->size()), window->minimumSizeHint(), main));
        window->move(besideOnScreen(frameRectOf(main), frameRectOf(window).size(), availableScreens()));
        keepWholeOnScreen(window);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace meteo
