// What the forecast windows share: Escape closes them, as it closes a dialog; their page scrolls
// where the screen is smaller than it.
#pragma once

class QWidget;

namespace meteo {

void closeOnEscape(QWidget *window);
// `page` as the whole of `window`, in a frameless area that scrolls it when the window is smaller.
void fillWithScrolledPage(QWidget *window, QWidget *page);

} // namespace meteo
