// SPDX-License-Identifier: GPL-2.0-or-later
// The request target as it goes on the wire. The URI keeps the city code exactly as composed, but
// the request line must stay one valid line whatever the code holds.
#pragma once
#include <QByteArray>

namespace meteo {

// Percent-encodes the bytes a request target cannot carry (blanks, control characters, non-ASCII,
// and the few that would change its meaning: '#', '"', '<', '>', '\', '^', '`', '{', '|', '}', and '%'
// not starting an escape); everything else, "&", "=", "?" and "*" included, passes unchanged.
QByteArray wireTarget(const QByteArray &uri);

} // namespace meteo
