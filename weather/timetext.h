// SPDX-License-Identifier: GPL-2.0-or-later
// Time-of-day and date texts as the window shows them: French short date, 24-hour long time.
#pragma once
#include <QByteArray>
#include <QDate>
#include <QTime>

namespace meteo {

// Reads "h:mm" or "h:mm:ss", optionally followed by AM or PM (blank optional, any letter case).
// Throws Error naming the text when it is not such a time.
[[nodiscard]] QTime readTimeOfDay(const QByteArray &text);

QByteArray longTimeText(QTime time);   // "19:45:00"
QByteArray shortDateText(QDate date);  // "06/12/2026"

// The document's time text as the window shows it: read, then written as long time.
QByteArray convertTimeText(const QByteArray &text);

} // namespace meteo
