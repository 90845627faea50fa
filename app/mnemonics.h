// Keyboard mnemonics for menus (Alt+V, then A): each item that has none gets one, the first free
// letter starting one of its words, else any free letter of it, so that every item of a menu can
// be reached by one key. Texts keep their words; a literal "&" is written "&&" as Qt wants.
#pragma once
#include <QString>

class QMenu;

namespace meteo {

void giveMnemonics(QMenu *menu);
// The text as shown, without its mnemonic's "&" ("&Actualiser" -> "Actualiser", "A && B" -> "A & B").
QString withoutMnemonic(const QString &text);

} // namespace meteo
