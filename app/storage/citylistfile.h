// SPDX-License-Identifier: GPL-2.0-or-later
// Changes to the city list file (villes.ini) made from the window: one line added at the end or one
// removed. Everything else stays byte for byte: the byte-order mark, the other lines, their ends.
#pragma once
#include <QByteArray>

namespace meteo {

// `file` with a line "name=code" after its last line, ended like the file's other lines.
QByteArray withCityAdded(const QByteArray &file, const QByteArray &name, const QByteArray &code);
// `file` without its first line whose value is `code`; unchanged when no line has it.
QByteArray withCityRemoved(const QByteArray &file, const QByteArray &code);

} // namespace meteo
