// SPDX-License-Identifier: GPL-2.0-or-later
// The form in which French place names are compared: without accents, case, hyphens or apostrophes,
// and with "st"/"ste" read as "saint"/"sainte". The commune table's builder matches names with it,
// and the service's search compares what the user types with it.
#pragma once
#include <QByteArray>
#include <QStringView>

namespace service {

// "Saint-Étienne" and "st etienne" both give "saint etienne"; "L'Haÿ-les-Roses" gives
// "l hay les roses". Words are separated by one blank; the result is ASCII. Without `abbreviations`,
// "st" stays "st" (what the user types may also be the start of "Strasbourg").
QByteArray searchKey(QStringView text, bool abbreviations = true);

} // namespace service
