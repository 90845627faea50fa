// SPDX-License-Identifier: GPL-2.0-or-later
#include "activationhistory.h"

#include <QApplication>
#include <QEvent>
#include <QWindow>

namespace meteo {

ActivationHistory::ActivationHistory(QObject *parent) : QObject(parent)
{
    qApp->installEventFilter(this);
    leaving_.setSingleShot(true);
    leaving_.setInterval(kSettleMs);
    connect(&leaving_, &QTimer::timeout, this, &ActivationHistory::left);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &ActivationHistory::focusMoved);
}

void ActivationHistory::left()
{
    leaving_.stop();
    ownActive_ = false;
    current_ = nullptr;
}

// A window that is no widget's of ours taking the focus: the user is elsewhere at once.
void ActivationHistory::focusMoved(QWindow *window)
{
    if (!window)
        return;
    for (const QWidget *top : QApplication::topLevelWidgets())
        if (top->windowHandle() == window)
            return;
    left();
}

// The application's filter sees an activation before the window's own handler does, so that handler
// already reads the window it came from.
bool ActivationHistory::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::WindowActivate && type != QEvent::WindowDeactivate) || !watched->isWidgetType())
        return false;
    auto *window = static_cast<QWidget *>(watched);
    if (!window->isWindow())
        return false;  // children hear their window's activation too
    if (type == QEvent::WindowActivate && window != current_) {
        leaving_.stop();
        fromOwn_ = ownActive_;
        ownActive_ = true;
        current_ = window;
    } else if (type == QEvent::WindowDeactivate && window == current_ && !QApplication::activeWindow()
               && !window->isHidden()) {
        // Still shown but no window of ours active: the user went to another application, unless
        // one of ours is activated within the moment a window manager may take. A window that is
        // closing or hiding hands over to the next one of ours.
        leaving_.start();
    }
    return false;
}

} // namespace meteo
