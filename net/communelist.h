// SPDX-License-Identifier: GPL-2.0-or-later
// The service's answer to a commune search (<communes><commune code=… cp=…>label</commune>…), read
// into the list the dialog shows. Apart from the search's network code, so it can be fuzzed.
#pragma once
#include <QByteArray>
#include <QList>
#include <optional>

namespace meteo {

struct FoundCommune {
    QByteArray code;      // "FR42218"
    QByteArray postalCode;
    QByteArray label;     // "Saint-Étienne (42)"
    std::optional<double> km;  // from the point asked for, in an answer about the nearest communes
    QByteArray name() const;  // "Saint-Étienne"
};

struct CommuneList {
    QList<FoundCommune> communes;
    int ignored = 0;  // answers dropped: a code or a name that could not be a line of villes.ini
};

// The answer's list; throws Error when the body is not one. A commune is kept only when its code is
// 1 to 16 ASCII letters and digits and its texts hold no control character, line separator or "=":
// what the user adds becomes one line "name=code" of the city list, and nothing else.
[[nodiscard]] CommuneList parseCommuneList(const QByteArray &xml);

} // namespace meteo
