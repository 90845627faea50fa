// SPDX-License-Identifier: GPL-2.0-or-later
#include "readerprocess.h"

#include <QDataStream>
#include <cstring>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <sys/resource.h>

namespace service {
namespace {

constexpr int kReaderMs = 60 * 1000;
constexpr rlim_t kReaderMemory = rlim_t(3) << 30;  // address space: the full radar image needs about 300 MB
constexpr qsizetype kMaxOutput = 32 * 1024 * 1024;
constexpr qsizetype kCells = qsizetype(kFranceGrid.columns) * kFranceGrid.rows;

QDataStream &operator<<(QDataStream &s, const RadarProduct &p)
{
    return s << p.xsize << p.ysize << p.scale << p.quantity << p.minutes << p.maxMm << p.qualityQuantity << p.minQuality;
}

QDataStream &operator>>(QDataStream &s, RadarProduct &p)
{
    return s >> p.xsize >> p.ysize >> p.scale >> p.quantity >> p.minutes >> p.maxMm >> p.qualityQuantity >> p.minQuality;
}

QDataStream &operator<<(QDataStream &s, const PiProduct &p)
{
    return s << p.ni << p.nj << p.firstLatitude << p.firstLongitude << p.increment << p.stepMinutes << p.lastMinutes << p.maxMm;
}

QDataStream &operator>>(QDataStream &s, PiProduct &p)
{
    return s >> p.ni >> p.nj >> p.firstLatitude >> p.firstLongitude >> p.increment >> p.stepMinutes >> p.lastMinutes >> p.maxMm;
}

void writeField(QDataStream &s, const RainField &f)
{
    s << f.start << f.end
      << QByteArray(reinterpret_cast<const char *>(f.mm.data()), qsizetype(f.mm.size() * sizeof(float)));
}

// A field as the reader wrote it, its size checked against the map's.
std::optional<RainField> readField(QDataStream &s)
{
    RainField f;
    QByteArray mm;
    s >> f.start >> f.end >> mm;
    if (s.status() != QDataStream::Ok || mm.size() != kCells * qsizetype(sizeof(float)) || f.end <= f.start)
        return std::nullopt;
    f.mm.resize(size_t(kCells));
    std::memcpy(f.mm.data(), mm.constData(), size_t(mm.size()));
    return f;
}

HttpError broken(const QByteArray &why)
{
    return {502, "lecteur de fichiers : " + why};
}

// Runs the reader on `input`; `done` gets its output, or why there is none.
void runApart(const QString &program, const char *format, const QByteArray &head, const QByteArray &file, QObject *context,
              std::function<void(Result<QByteArray>)> done)
{
    auto *reader = new QProcess(context);
    reader->setProgram(program);
    reader->setArguments({QStringLiteral("--lire"), QString::fromLatin1(format)});
    reader->setProcessChannelMode(QProcess::SeparateChannels);
    reader->setStandardErrorFile(QProcess::nullDevice());
#if !defined(__SANITIZE_ADDRESS__)
    // A bound on what a malformed file can make the libraries ask for (not under AddressSanitizer,
    // whose shadow memory is itself terabytes of address space).
    reader->setChildProcessModifier([] {
        const rlimit limit{kReaderMemory, kReaderMemory};
        setrlimit(RLIMIT_AS, &limit);
    });
#endif
    auto output = std::make_shared<QByteArray>();
    auto called = std::make_shared<bool>(false);
    auto finish = [reader, called, done = std::move(done)](Result<QByteArray> result) {
        if (*called)
            return;
        *called = true;
        reader->disconnect();
        reader->kill();
        reader->deleteLater();
        done(std::move(result));
    };
    QObject::connect(reader, &QProcess::readyReadStandardOutput, reader, [reader, output, finish] {
        *output += reader->readAllStandardOutput();
        if (output->size() > kMaxOutput)
            finish(broken("réponse démesurée"));
    });
    QObject::connect(reader, &QProcess::finished, reader, [reader, output, finish](int code, QProcess::ExitStatus status) {
        *output += reader->readAllStandardOutput();
        if (status == QProcess::CrashExit)
            finish(broken("tombé en lisant le fichier (le fichier est sans doute malformé)"));
        else if (code != 0)
            finish(broken("sorti en erreur " + QByteArray::number(code)));
        else
            finish(*output);
    });
    QObject::connect(reader, &QProcess::errorOccurred, reader, [finish](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            finish(broken("impossible à lancer"));
    });
    auto *limit = new QTimer(reader);
    limit->setSingleShot(true);
    QObject::connect(limit, &QTimer::timeout, reader, [finish] { finish(broken("sans réponse après 60 s, arrêté")); });
    limit->start(kReaderMs);
    // The file goes a megabyte at a time, as the pipe takes it, rather than copied whole into the
    // process's buffer: a run of AROME-PI is tens of megabytes.
    auto sent = std::make_shared<qsizetype>(0);
    const auto feed = [reader, file, sent] {
        if (*sent == file.size() || reader->bytesToWrite() > 0)
            return;
        const qsizetype n = std::min<qsizetype>(1 << 20, file.size() - *sent);
        reader->write(file.constData() + *sent, n);
        *sent += n;
        if (*sent == file.size())
            reader->closeWriteChannel();
    };
    QObject::connect(reader, &QProcess::bytesWritten, reader, feed);
    reader->start();
    reader->write(head);
    if (file.isEmpty())
        reader->closeWriteChannel();
    else
        feed();
}

// The product and the file's length as the stream writes a QByteArray's; the file's bytes follow.
template <class Product>
QByteArray head(const Product &product, const QByteArray &file)
{
    QByteArray input;
    QDataStream s(&input, QIODevice::WriteOnly);
    s << product << quint32(file.size());
    return input;
}

} // namespace

int readerMain(const QString &format)
{
    QFile in, out;
    if (!in.open(stdin, QIODevice::ReadOnly) || !out.open(stdout, QIODevice::WriteOnly))
        return 1;
    // All of it first: a pipe gives its bytes in pieces, the stream wants them whole.
    QByteArray bytes;
    for (;;) {
        const QByteArray piece = in.read(1 << 20);  // blocks until there is some, empty at the end
        if (piece.isEmpty())
            break;
        bytes += piece;
        if (bytes.size() > kMaxSourceFile + 4096)
            return 2;
    }
    QDataStream input(bytes), output(&out);
    QByteArray file;
    if (format == QStringLiteral("radar")) {
        RadarProduct product;
        input >> product >> file;
        if (input.status() != QDataStream::Ok)
            return 2;
        const Result<RainField> field = RadarReader(product).read(file);
        output << field.ok();
        if (field.ok())
            writeField(output, field.value());
        else
            output << field.error().text;
    } else if (format == QStringLiteral("arome-pi")) {
        PiProduct product;
        input >> product >> file;
        if (input.status() != QDataStream::Ok)
            return 2;
        const Result<PiRun> run = PiReader(product).read(file);
        output << run.ok();
        if (run.ok()) {
            output << run.value().reference << run.value().refused << qint32(run.value().steps.size());
            for (const RainField &step : run.value().steps)
                writeField(output, step);
        } else {
            output << run.error().text;
        }
    } else {
        return 2;
    }
    return output.status() == QDataStream::Ok && out.flush() ? 0 : 1;
}

namespace {

// Runs the reader and hands `decode` its output past the verdict, or `done` the reason it gives.
template <class T>
void readApart(const QString &program, const char *format, const QByteArray &head, const QByteArray &file, QObject *context,
               std::function<void(Result<T>)> done, Result<T> (*decode)(QDataStream &))
{
    runApart(program, format, head, file, context, [done = std::move(done), decode](const Result<QByteArray> &output) {
        if (!output.ok())
            return done(output.error());
        QDataStream s(output.value());
        bool ok = false;
        s >> ok;
        if (!ok) {
            QByteArray why;
            s >> why;
            return done(HttpError{502, why.left(500)});
        }
        done(decode(s));
    });
}

Result<RainField> decodeField(QDataStream &s)
{
    std::optional<RainField> field = readField(s);
    return field ? Result<RainField>(std::move(*field)) : Result<RainField>(broken("réponse illisible"));
}

Result<PiRun> decodeRun(QDataStream &s)
{
    PiRun run;
    qint32 steps = 0;
    s >> run.reference >> run.refused >> steps;
    if (s.status() != QDataStream::Ok || steps < 0 || steps > 200)
        return broken("réponse illisible");
    for (qint32 i = 0; i < steps; ++i) {
        std::optional<RainField> step = readField(s);
        if (!step)
            return broken("réponse illisible");
        run.steps << std::move(*step);
    }
    return run;
}

} // namespace

void readRadarApart(const QString &program, const RadarProduct &product, const QByteArray &file, QObject *context,
                    std::function<void(Result<RainField>)> done)
{
    readApart(program, "radar", head(product, file), file, context, std::move(done), &decodeField);
}

void readRunApart(const QString &program, const PiProduct &product, const QByteArray &file, QObject *context,
                  std::function<void(Result<PiRun>)> done)
{
    readApart(program, "arome-pi", head(product, file), file, context, std::move(done), &decodeRun);
}

} // namespace service
