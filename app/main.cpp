// The viewer's entry: one error report for the program's life, the window built from its
// description, and the event loop until the window closes.
#include "app/errorreport.h"
#include "app/form1.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("meteo"));
    meteo::ErrorReport report;
    TForm1 Form1;
    // Closing the main window ends the program, even while the error dialog is open.
    QObject::connect(&Form1, &TForm1::OnClose, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    Form1.show();
    Form1.activateWindow();  // without a window manager nobody else would
    return app.exec();
}
