// SPDX-License-Identifier: GPL-2.0-or-later
// Whether the window being activated was reached from another window of this application or from
// outside it. Moving between our own windows (a dialog, the forecast window, the error report) is
// not the user coming back to the weather; coming back from another application is. Between two of
// our windows a window manager may leave none active for a moment: only a focus that goes to a
// window not ours, or none for longer than that moment, is the user leaving.
#pragma once
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QWidget>

class QWindow;

namespace meteo {

class ActivationHistory : public QObject {
public:
    // Watches the activations of every window of the application while it lives.
    explicit ActivationHistory(QObject *parent = nullptr);
    // For the window being activated now: whether one of our windows was active just before.
    bool fromOwnWindow() const { return fromOwn_; }
    // Whether this activation of `window` is the user coming to it: its first, or a return from
    // another application. Coming back from one of our own windows is not.
    bool isArrival(const QWidget *window)
    {
        const bool first = !arrived_.contains(window);
        arrived_.insert(window);
        return first || !fromOwn_;
    }

    // How long no window of ours may be active before the user is taken to have gone elsewhere.
    static constexpr int kSettleMs = 400;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void focusMoved(QWindow *window);
    void left();
    QTimer leaving_;
    QPointer<QWidget> current_;
    bool ownActive_ = false;  // one of our windows is the active one
    bool fromOwn_ = false;
    QSet<const QWidget *> arrived_;
};

} // namespace meteo
