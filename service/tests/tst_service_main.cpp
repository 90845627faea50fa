// SPDX-License-Identifier: GPL-2.0-or-later
// The weather service's tests: the HTTP face, the simulation's climate and weather, the live source,
// the warnings, the nearest communes.
#include <QCoreApplication>

int runServiceTest(int argc, char **argv);
int runLiveSourceTest(int argc, char **argv);
int runSimulationTest(int argc, char **argv);
int runVigilanceTest(int argc, char **argv);
int runNearTest(int argc, char **argv);
int runAirTest(int argc, char **argv);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runServiceTest(argc, argv) | runSimulationTest(argc, argv) | runLiveSourceTest(argc, argv) | runVigilanceTest(argc, argv)
           | runNearTest(argc, argv) | runAirTest(argc, argv);
}
