// The weather service's tests: the simulation and the HTTP face, then the live source.
#include <QCoreApplication>

int runServiceTest(int argc, char **argv);
int runLiveSourceTest(int argc, char **argv);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runServiceTest(argc, argv) | runLiveSourceTest(argc, argv);
}
