// Keeps a window where it was put, unless no screen would show it (a smaller or unplugged monitor):
// then it moves onto the nearest screen's available area.
#pragma once
#include <QList>
#include <QPoint>
#include <QRect>

namespace meteo {

QPoint visiblePosition(const QRect &window, const QList<QRect> &availableScreens);

} // namespace meteo
