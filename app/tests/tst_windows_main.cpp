// SPDX-License-Identifier: GPL-2.0-or-later
// The windows that follow a city's weather, and "Mes villes", in one program.
#include <QApplication>

int runWindowsTest(int argc, char **argv);
int runOverviewTest(int argc, char **argv);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    return runWindowsTest(argc, argv) | runOverviewTest(argc, argv);
}
