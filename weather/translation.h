// SPDX-License-Identifier: GPL-2.0-or-later
// Turning an English condition phrase or pressure tendency into the French shown in the window.
#pragma once
#include "namevaluelist.h"

namespace meteo {

// A translated text never grows past this: entries that would make it longer are not applied, so a
// dictionary whose entries multiply the text (a=aa, a=aa, ...) cannot exhaust memory.
inline constexpr qsizetype kMaxTranslatedBytes = 64 * 1024;

// Moves a first word ending in "ed" behind the rest, applies every dictionary entry in file order,
// then raises a lower-case ASCII first letter. Positions and lengths are bytes.
QByteArray translate(const QByteArray &phrase, const NameValueList &dictionary);

} // namespace meteo
