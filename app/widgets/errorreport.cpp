// SPDX-License-Identifier: GPL-2.0-or-later
#include "errorreport.h"

#include <QMessageBox>
#include <cstdio>

namespace meteo {
namespace {
ErrorReport *installed = nullptr;
}

ErrorReport::ErrorReport()
{
    installed = this;
}

ErrorReport::~ErrorReport()
{
    if (installed == this)
        installed = nullptr;
    delete box_;
}

void ErrorReport::report(const char *where, const QString &message)
{
    std::fprintf(stderr, "meteo: %s: %s\n", where, message.toUtf8().constData());
    std::fflush(stderr);
    if (installed) {
        ++installed->count_;
        installed->last_ = message;
        if (installed->dialogs_)
            installed->show(message);
    }
}

bool ErrorReport::ownsWindow(const QWidget *window) const
{
    return window && box_ && window == box_.data();
}

void ErrorReport::show(const QString &message)
{
    // One reusable box: a burst of errors updates it instead of piling windows up.
    if (!box_) {
        box_ = new QMessageBox(QMessageBox::Warning, QStringLiteral("Météo — erreur"), QString(), QMessageBox::Ok);
        box_->setObjectName(QStringLiteral("ErrorReport"));
        box_->setWindowModality(Qt::NonModal);
    }
    box_->setText(message);
    box_->show();
    box_->raise();
}

} // namespace meteo
