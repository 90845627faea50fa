// The weather-data subsystem's tests: record, translation and the display refresh, in one program.
#include <QApplication>

int runWeatherDataTest(int argc, char **argv);
int runDisplayTest(int argc, char **argv);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    return runWeatherDataTest(argc, argv) | runDisplayTest(argc, argv);
}
