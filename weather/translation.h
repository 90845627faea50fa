// Turning an English condition phrase or pressure tendency into the French shown in the window.
#pragma once
#include "namevaluelist.h"

namespace meteo {

// Moves a first word ending in "ed" behind the rest, applies every dictionary entry in file order,
// then raises a lower-case ASCII first letter. Positions and lengths are bytes.
QByteArray translate(const QByteArray &phrase, const NameValueList &dictionary);

} // namespace meteo
