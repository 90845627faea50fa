// Escape closes one of our windows, as it closes a dialog: the key that no child of it took.
#pragma once

class QWidget;

namespace meteo {

void closeOnEscape(QWidget *window);

} // namespace meteo
