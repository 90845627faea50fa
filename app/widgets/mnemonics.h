// SPDX-License-Identifier: GPL-2.0-or-later
// Keyboard mnemonics for menus (Alt+V, then A): each item that has none gets one, the first free
// letter starting one of its words, else any free letter of it, else (every letter taken) its first,
// shared, which Qt cycles through. Texts keep their words; a literal "&" is written "&&" as Qt wants.
#pragma once
#include <QString>

class QMenu;

namespace meteo {

void giveMnemonics(QMenu *menu);
// The text as shown, without its mnemonic's "&" ("&Actualiser" -> "Actualiser", "A && B" -> "A & B").
QString withoutMnemonic(const QString &text);

} // namespace meteo
