// SPDX-License-Identifier: GPL-2.0-or-later
// Replacing a file whole or not at all: a crash or a full disk never leaves it torn.
#pragma once
#include <QByteArray>
#include <QString>

namespace meteo {

// Writes `bytes` beside `path` and renames them over it. A symbolic link at `path` is replaced by the
// file itself, its target never written. On failure `path` is untouched and Error names it with the
// cause.
void writeFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace meteo
