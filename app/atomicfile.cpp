#include "atomicfile.h"

#include "common/error.h"

#include <QSaveFile>

namespace meteo {

void writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    const auto fail = [&] { throw Error(path + QStringLiteral(": écriture impossible (") + file.errorString() + u')'); };
    // Unbuffered, so that write() reaches the disk and its count is true. On a full disk it returns
    // a short count without flagging an error, and commit() would then put the truncated file in
    // place: the count is the check.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail();
    if (const qint64 written = file.write(bytes); written != bytes.size()) {
        // A short count without an error is the disk (or the user's quota) full.
        const bool full = written >= 0 || file.error() == QFileDevice::ResourceError;
        const QString cause = full ? QStringLiteral("disque plein") : file.errorString();
        file.cancelWriting();
        throw Error(path + QStringLiteral(": écriture impossible (") + cause + u')');
    }
    if (!file.commit())
        fail();
}

} // namespace meteo
