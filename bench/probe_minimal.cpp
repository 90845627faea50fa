// SPDX-License-Identifier: GPL-2.0-or-later
// The reference: a Qt Widgets program showing one label, ending at its first paint.
#include "firstpaint.h"

#include <QApplication>

#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Météo"));
    QuitOnFirstPaint quit;
    label.installEventFilter(&quit);
    label.show();
    return app.exec();
}
