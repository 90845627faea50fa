// Which top-level window of the application was active before the one active now. Returning to the
// main window straight from the error dialog is no user activation; returning from anywhere else is.
#pragma once
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace meteo {

class ActivationHistory : public QObject {
public:
    // Watches the activations of every window of the application while it lives.
    explicit ActivationHistory(QObject *parent = nullptr);
    // The window active before the current one; nullptr when the user came from another application.
    QWidget *previous() const { return previous_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> current_, previous_;
};

} // namespace meteo
