// SPDX-License-Identifier: GPL-2.0-or-later
// What the forecast windows share: Escape closes them, as it closes a dialog; their page scrolls
// where the screen is smaller than it.
#pragma once
#include <QString>

class QWidget;

namespace meteo {

// The side of a condition icon in a row of the lists (days, cities), in device-independent pixels.
inline constexpr int kIcon = 40;

void closeOnEscape(QWidget *window);
// `page` as the whole of `window`, in a frameless area that scrolls it when the window is smaller.
void fillWithScrolledPage(QWidget *window, QWidget *page);

// Asks `question` with "Oui" and "Non", Non the default and Escape's; true for Oui.
bool confirm(QWidget *parent, const QString &title, const QString &question);

} // namespace meteo
