// SPDX-License-Identifier: GPL-2.0-or-later
#include "testsupport.h"

#include "common/instanttext.h"

#include <QCoreApplication>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps freed blocks in a quarantine of up to 256 MiB; emptied before each reading,
// the resident size counts what the program holds, not what it freed.
extern "C" void __sanitizer_purge_allocator();
#endif

namespace testing {

QList<RegisteredTest> &registeredTests()
{
    static QList<RegisteredTest> tests;
    return tests;
}

int runRegisteredTests(int argc, char **argv)
{
    const QList<QByteArray> only = qgetenv("METEO_TEST_ONLY").split(','), except = qgetenv("METEO_TEST_EXCEPT").split(',');
    QList<QByteArray> named = only + except;
    named.removeAll(QByteArray());
    for (const QByteArray &name : named)
        if (std::none_of(registeredTests().begin(), registeredTests().end(), [&](const RegisteredTest &t) { return t.name == name; })) {
            std::fprintf(stderr, "no test class %s in this program\n", name.constData());
            return 1;
        }
    int failed = 0;
    for (const RegisteredTest &test : registeredTests())
        if ((qEnvironmentVariableIsEmpty("METEO_TEST_ONLY") || only.contains(test.name)) && !except.contains(test.name))
            failed |= test.run(argc, argv);
    return failed;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray parisDocument()
{
    return readFile(QStringLiteral(METEO_SAMPLES_DIR "/paris.xml"));
}

QByteArray hoursSection(const QDateTime &first, int count, const std::function<QByteArray(int)> &inner)
{
    QByteArray out = "<hours>";
    for (int i = 0; i < count; ++i)
        out += "<hour t=\"" + meteo::instantText(first.addSecs(3600 * i)).toLatin1() + "\">" + inner(i) + "</hour>";
    return out + "</hours>";
}

QByteArray rainSection(const QDateTime &first, const std::function<QByteArray(int)> &mm)
{
    QByteArray out = "<rain>";
    for (int i = 0; i < 8; ++i)
        out += "<q t=\"" + meteo::instantText(first.addSecs(900 * i)).toLatin1() + "\"><prec>" + mm(i) + "</prec></q>";
    return out + "</rain>";
}

QByteArray vigilanceSection(const QByteArray &department, const QDateTime &updated, const QList<PhenomenonXml> &phenomena)
{
    const auto at = [](const QDateTime &t) { return meteo::instantText(t).toLatin1(); };
    QByteArray out = "<vigilance><dep>" + department + "</dep><maj>" + at(updated) + "</maj>";
    for (const PhenomenonXml &p : phenomena)
        out += "<phen><id>" + QByteArray::number(p.id) + "</id><coul>" + QByteArray::number(p.colour) + "</coul><debut>" + at(p.begin)
               + "</debut><fin>" + at(p.end) + "</fin></phen>";
    return out + "</vigilance>";
}

QByteArray placeDocument(const QByteArray &place, const QByteArray &sections)
{
    return "<weather><loc><dnam>" + place + "</dnam></loc>" + sections + "</weather>";
}

QByteArray parisWith(const QByteArray &sections)
{
    QByteArray doc = parisDocument();
    return doc.insert(doc.lastIndexOf("</weather>"), sections);
}

namespace {
constexpr quint32 kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

bool setEffective(bool withOverrides)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    data[0].effective = withOverrides ? data[0].effective | (data[0].permitted & kOverrides) : data[0].effective & ~kOverrides;
    return syscall(SYS_capset, &header, data) == 0;
}
} // namespace

PermissionsBind::PermissionsBind() : dropped_(geteuid() == 0 && setEffective(false)) {}

PermissionsBind::~PermissionsBind()
{
    if (dropped_)
        setEffective(true);
}

DiskFullAfter::DiskFullAfter(qint64 bytes)
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    previous_[0] = qint64(limit.rlim_cur);
    previous_[1] = qint64(limit.rlim_max);
    std::signal(SIGXFSZ, SIG_IGN);  // a failed write, not a killed process
    limit.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

DiskFullAfter::~DiskFullAfter()
{
    const rlimit limit{rlim_t(previous_[0]), rlim_t(previous_[1])};
    setrlimit(RLIMIT_FSIZE, &limit);
}

CapturedStderr::CapturedStderr()
{
    if (file_.open()) {
        std::fflush(stderr);
        saved_ = dup(2);
        dup2(file_.handle(), 2);
    }
}

CapturedStderr::~CapturedStderr()
{
    if (saved_ >= 0) {
        std::fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
    }
}

QByteArray CapturedStderr::text()
{
    std::fflush(stderr);
    return readFile(file_.fileName());
}

qint64 residentKiB()
{
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_purge_allocator();
#endif
    for (const QByteArray &line : readFile(QStringLiteral("/proc/self/status")).split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

HttpAnswer httpGet(const QByteArray &url, const QByteArray &verb)
{
    QNetworkAccessManager manager;
    QNetworkReply *reply = manager.sendCustomRequest(QNetworkRequest(QUrl::fromEncoded(url)), verb);
    QSignalSpy done(reply, &QNetworkReply::finished);
    if (!done.wait(10000))
        return {};
    HttpAnswer a{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                 reply->header(QNetworkRequest::ContentTypeHeader).toByteArray(), reply->readAll()};
    delete reply;
    return a;
}

QStringList parisLabels()
{
    return QString::fromUtf8(readFile(QStringLiteral(METEO_SAMPLES_DIR "/paris-labels.txt"))).split(u'\n', Qt::SkipEmptyParts);
}

BesideExe::BesideExe() : dir_(QCoreApplication::applicationDirPath()) {}

BesideExe::~BesideExe()
{
    for (const QString &name : written_)
        remove(name);
}

QString BesideExe::path(const QString &name) const
{
    return dir_ + u'/' + name;
}

void BesideExe::write(const QString &name, const QByteArray &bytes)
{
    writeFile(path(name), bytes);
    written_ << name;
}

void BesideExe::remove(const QString &name)
{
    const QString p = path(name);
    if (QFileInfo(p).isDir())
        QDir(p).removeRecursively();
    else
        QFile::remove(p);
}

void BesideExe::copyShipped(const QString &name)
{
    const QString source = QStringLiteral(METEO_DATA_DIR "/") + name;
    remove(name);
    if (QFileInfo(source).isDir()) {
        QDir().mkpath(path(name));
        for (const QString &file : QDir(source).entryList(QDir::Files))
            QFile::copy(source + u'/' + file, path(name) + u'/' + file);
    } else {
        QFile::copy(source, path(name));
    }
    written_ << name;
}

TempCurrentDir::TempCurrentDir() : previous_(QDir::currentPath())
{
    QDir::setCurrent(dir_.path());
}

TempCurrentDir::~TempCurrentDir()
{
    QDir::setCurrent(previous_);
}

RawServer::RawServer(Answer answer) : answer_(std::move(answer))
{
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = nextPendingConnection()) {
            auto *head = new QByteArray;
            connect(socket, &QObject::destroyed, [head] { delete head; });
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, head] {
                *head += socket->readAll();
                const qsizetype end = head->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                const QByteArray request = head->left(end + 4);
                head->remove(0, end + 4);
                requests << request;
                answer_(socket, request);
            });
        }
    });
    listen(QHostAddress::LocalHost, 0);
}

QByteArray RawServer::host() const
{
    return "127.0.0.1:" + QByteArray::number(port());
}

RawServer::Answer RawServer::document(const QByteArray &body, const QByteArray &status)
{
    return [body, status](QTcpSocket *socket, const QByteArray &) {
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: text/xml\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    };
}

RawServer::Answer RawServer::chunks(const QList<QByteArray> &pieces, int pauseMs)
{
    return [pieces, pauseMs](QTcpSocket *socket, const QByteArray &) {
        qsizetype total = 0;
        for (const QByteArray &p : pieces)
            total += p.size();
        socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(total) + "\r\n\r\n");
        socket->flush();
        QPointer<QTcpSocket> guard(socket);
        for (int i = 0; i < pieces.size(); ++i)
            QTimer::singleShot(pauseMs * (i + 1), socket, [guard, piece = pieces[i]] {
                if (guard) {
                    guard->write(piece);
                    guard->flush();
                }
            });
    };
}

} // namespace testing
