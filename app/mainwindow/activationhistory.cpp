// SPDX-License-Identifier: GPL-2.0-or-later
#include "activationhistory.h"

#include <QApplication>
#include <QEvent>

namespace meteo {

ActivationHistory::ActivationHistory(QObject *parent) : QObject(parent)
{
    qApp->installEventFilter(this);
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
        fromOwn_ = ownActive_;
        ownActive_ = true;
        current_ = window;
    } else if (type == QEvent::WindowDeactivate && window == current_ && !QApplication::activeWindow()
               && !window->isHidden()) {
        // Still shown but no window of ours active: the user went to another application. A window
        // that is closing or hiding hands over to the next one of ours.
        ownActive_ = false;
        current_ = nullptr;
    }
    return false;
}

} // namespace meteo
