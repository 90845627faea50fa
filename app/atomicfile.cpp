#include "atomicfile.h"

#include "weather/error.h"

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
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        fail();
    }
    if (!file.commit())
        fail();
}

} // namespace meteo
