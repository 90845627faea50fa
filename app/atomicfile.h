// Replacing a file whole or not at all: a crash or a full disk never leaves it torn.
#pragma once
#include <QByteArray>
#include <QString>

namespace meteo {

// Writes `bytes` to a temporary file beside `path`, checks every byte reached the disk, syncs, then
// renames it over `path`. On failure `path` is untouched and Error names it with the cause.
// (QSaveFile is not used: Qt 6.4 reports a write cut short by a full disk as complete.)
void writeFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace meteo
