// SPDX-License-Identifier: GPL-2.0-or-later
// The viewer's entry: one error report for the program's life, the window built from its
// description, and the event loop until the window closes.
#include "app/widgets/errorreport.h"
#include "app/mainwindow/form1.h"
#include "app/mainwindow/meteostyle.h"
#include "app/storage/places.h"
#include "common/quitsignals.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    meteo::prepareApplication(app);
    meteo::ErrorReport report;
    meteo::Places::current();  // portable or installed: decided once, before any file is touched
    TForm1 Form1;
    // Closing the main window ends the program, even while the error dialog is open.
    QObject::connect(&Form1, &TForm1::OnClose, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    // Logging out or `kill` closes the window as its close button does, so the settings are saved.
    meteo::callOnQuitSignal([&Form1] { Form1.close(); });
    Form1.show();
    Form1.activateWindow();  // without a window manager nobody else would
    return app.exec();
}
