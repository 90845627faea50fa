// SPDX-License-Identifier: GPL-2.0-or-later
// The program's one error report: an error that ends an event handler is written to stderr and shown
// in a non-modal French message box, and the program goes on with what the failed step left.
#pragma once
#include <QPointer>
#include <QString>
#include <exception>

class QMessageBox;
class QWidget;

namespace meteo {

class ErrorReport {
public:
    // The program entry installs one report for its lifetime; tests install their own.
    ErrorReport();
    ~ErrorReport();
    ErrorReport(const ErrorReport &) = delete;
    ErrorReport &operator=(const ErrorReport &) = delete;

    static void report(const char *where, const QString &message);

    void setDialogsShown(bool shown) { dialogs_ = shown; }
    int count() const { return count_; }
    QString lastMessage() const { return last_; }
    // Whether a window is the report's own dialog: returning from it is no user activation.
    bool ownsWindow(const QWidget *window) const;

private:
    void show(const QString &message);
    QPointer<QMessageBox> box_;
    bool dialogs_ = true;
    int count_ = 0;
    QString last_;
};

// Runs one event handler's body; whatever it throws goes to the error report and stops there, so no
// exception unwinds through the toolkit.
template <class Body>
void atEventBoundary(const char *handler, Body &&body) noexcept
{
    try {
        body();
    } catch (const std::exception &e) {
        ErrorReport::report(handler, QString::fromUtf8(e.what()));
    } catch (...) {
        ErrorReport::report(handler, QStringLiteral("erreur inconnue"));
    }
}

} // namespace meteo
