// SPDX-License-Identifier: GPL-2.0-or-later
// What the tests share: sample documents, files placed beside the test executable, a temporary
// current directory, and a raw HTTP server on 127.0.0.1 that the test scripts (and can make misbehave).
#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <functional>

namespace testing {

// A test program made of several files: each test class registers itself (`RegisterTest<Class>`),
// and the program's main (`METEO_TEST_MAIN`) runs them all and fails if any failed. CTest may run a
// long program as two parts at once: METEO_TEST_ONLY names the classes of one part (comma-separated),
// METEO_TEST_EXCEPT the same classes for the other, so that together they run every class.
struct RegisteredTest {
    QByteArray name;
    std::function<int(int, char **)> run;
};
QList<RegisteredTest> &registeredTests();
int runRegisteredTests(int argc, char **argv);
template <class Test>
struct RegisterTest {
    RegisterTest()
    {
        registeredTests().append({Test::staticMetaObject.className(), [](int argc, char **argv) {
                                      Test test;
                                      return QTest::qExec(&test, argc, argv);
                                  }});
    }
};
#define METEO_TEST_MAIN(Application)                                                                                   \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        Application app(argc, argv);                                                                                   \
        return testing::runRegisteredTests(argc, argv);                                                                \
    }

QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);
// The sample document of Paris (tests/samples/paris.xml), and the texts of Label1 ... Label12 once
// it is shown with the shipped dictionary.
QByteArray parisDocument();
QStringList parisLabels();

// Fixtures in our service's shape: `count` hours from `first`, each <hour t="…"> holding what
// `inner(i)` gives; eight quarter hours from `first` holding <prec>`mm(i)`</prec>; a document of a
// place with these sections; the Paris sample with them before its end.
QByteArray hoursSection(const QDateTime &first, int count, const std::function<QByteArray(int)> &inner);
QByteArray rainSection(const QDateTime &first, const std::function<QByteArray(int)> &mm);
QByteArray placeDocument(const QByteArray &place, const QByteArray &sections);
// A department's official warnings as the service writes them: each phenomenon's number, colour's
// number, beginning and end.
struct PhenomenonXml {
    int id, colour;
    QDateTime begin, end;
};
QByteArray vigilanceSection(const QByteArray &department, const QDateTime &updated, const QList<PhenomenonXml> &phenomena);
QByteArray parisWith(const QByteArray &sections);

// Files written beside the running test executable, removed again when this goes out of scope.
class BesideExe {
public:
    BesideExe();
    ~BesideExe();
    QString path(const QString &name) const;
    void write(const QString &name, const QByteArray &bytes);
    void remove(const QString &name);
    // The shipped Dictionnaire.ini, villes.ini or icons/ copied from the build's data folder.
    void copyShipped(const QString &name);

private:
    QString dir_;
    QStringList written_;
};

// Makes a fresh temporary directory the current one, for meteo.ini, and restores the old one.
class TempCurrentDir {
public:
    TempCurrentDir();
    ~TempCurrentDir();
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QString previous_;
};

// While alive, file permissions bind this process even when it runs as root (CI does): root's
// override of permission bits is dropped from the effective capabilities and given back after.
class PermissionsBind {
public:
    PermissionsBind();
    ~PermissionsBind();

private:
    bool dropped_ = false;
};

// While alive, no file of this process can grow past `bytes`: writing past it fails as on a full disk.
class DiskFullAfter {
public:
    explicit DiskFullAfter(qint64 bytes);
    ~DiskFullAfter();

private:
    qint64 previous_[2];
};

// Everything written to stderr while alive; text() reads it.
class CapturedStderr {
public:
    CapturedStderr();
    ~CapturedStderr();
    QByteArray text();

private:
    int saved_ = -1;
    QTemporaryFile file_;
};

// Resident memory of this process in KiB.
qint64 residentKiB();

struct HttpAnswer {
    int status = 0;
    QByteArray contentType, body;
};
// A request by the ordinary client, waited for (at most ten seconds).
HttpAnswer httpGet(const QByteArray &url, const QByteArray &verb = "GET");

// A raw HTTP/1.1 server: each request received is recorded, then `answer` writes to the socket
// whatever the test wants, in as many pieces and with as much misbehaviour as it likes.
class RawServer : public QTcpServer {
public:
    using Answer = std::function<void(QTcpSocket *socket, const QByteArray &request)>;
    explicit RawServer(Answer answer);
    quint16 port() const { return serverPort(); }
    QByteArray host() const;  // "127.0.0.1:port"
    QList<QByteArray> requests;  // whole request heads, in order

    // Common answers.
    static Answer document(const QByteArray &body, const QByteArray &status = "200 OK");
    static Answer chunks(const QList<QByteArray> &pieces, int pauseMs = 30);

private:
    Answer answer_;
};

} // namespace testing
