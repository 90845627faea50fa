// SPDX-License-Identifier: GPL-2.0-or-later
// When the shown document came, said the same way in every forecast window, and plainly when that
// is too long ago to be today's weather (the service was unreachable since).
#pragma once
#include <QColor>
#include <QDateTime>
#include <QString>

class QLabel;

namespace meteo {

// "Reçues le lundi 7 déc. à 05:04", with " — données anciennes" in red past three hours, and
// " — Actualisation…" while a download is under way.
void showReceived(QLabel *label, const QDateTime &received, const QDateTime &now, bool updating = false);
// What a window says before any report: "Actualisation…" while the first download runs, else `never`.
QString beforeAnyReport(bool updating, const QString &never);

// The colour of what is said to be old or failed, wherever it is said.
inline QColor oldDataColour()
{
    return {0xB3, 0x26, 0x1E};
}

} // namespace meteo
