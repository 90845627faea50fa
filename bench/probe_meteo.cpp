// SPDX-License-Identifier: GPL-2.0-or-later
// The viewer's start, as its program entry does it, ending at the window's first paint.
#include "app/widgets/errorreport.h"
#include "app/mainwindow/form1.h"
#include "app/mainwindow/meteostyle.h"
#include "firstpaint.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    meteo::prepareApplication(app);
    meteo::ErrorReport report;
    TForm1 Form1;
    QuitOnFirstPaint quit;
    Form1.installEventFilter(&quit);
    Form1.show();
    Form1.activateWindow();
    return app.exec();
}
