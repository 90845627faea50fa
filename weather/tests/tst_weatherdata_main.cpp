// SPDX-License-Identifier: GPL-2.0-or-later
// The weather-data subsystem's tests: record, translation, the display refresh and the readings of
// the hours ahead, in one program.
#include <QApplication>

int runWeatherDataTest(int argc, char **argv);
int runRefreshTest(int argc, char **argv);
int runHourlyTest(int argc, char **argv);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    return runWeatherDataTest(argc, argv) | runRefreshTest(argc, argv) | runHourlyTest(argc, argv);
}
