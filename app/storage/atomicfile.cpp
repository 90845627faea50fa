// SPDX-License-Identifier: GPL-2.0-or-later
#include "atomicfile.h"

#include "common/error.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cstdio>
#include <unistd.h>

namespace meteo {

void writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    const auto fail = [&](const QString &cause) { throw Error(path + QStringLiteral(": écriture impossible (") + cause + u')'); };
    // A scratch file of our own beside it, renamed over it: the rename replaces whatever stands at
    // `path`, a symbolic link included, and never writes through a link into the file it names
    // (QSaveFile would write the link's target).
    QFile file;
    for (int attempt = 0; attempt < 16 && !file.isOpen(); ++attempt) {
        file.setFileName(path + u'.' + QString::number(QRandomGenerator::global()->generate(), 36));
        // Unbuffered, so that write() reaches the disk and its count is true.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered) && file.exists())
            continue;  // that name is taken: another
        if (!file.isOpen())
            fail(file.errorString());
    }
    if (!file.isOpen())
        fail(QStringLiteral("aucun nom de fichier temporaire libre"));
    const auto abandon = [&](const QString &cause) {
        file.close();
        file.remove();
        fail(cause);
    };
    if (const qint64 written = file.write(bytes); written != bytes.size()) {
        // On a full disk write() returns a short count without flagging an error: the count is the check.
        const bool full = written >= 0 || file.error() == QFileDevice::ResourceError;
        abandon(full ? QStringLiteral("disque plein") : file.errorString());
    }
    if (::fsync(file.handle()) != 0)
        abandon(QStringLiteral("synchronisation impossible"));
    file.close();
    // The file it replaces keeps its permissions; a new one gets the usual ones.
    const QFileInfo old(path);
    file.setPermissions(old.exists() && !old.isSymLink() ? old.permissions()
                                                         : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0) {
        file.remove();
        fail(QStringLiteral("renommage impossible"));
    }
}

} // namespace meteo
