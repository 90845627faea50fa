#include "screenplacement.h"

#include <limits>

namespace meteo {

QPoint visiblePosition(const QRect &window, const QList<QRect> &screens)
{
    // Enough of the window to grab and move it counts as visible.
    for (const QRect &screen : screens) {
        const QRect seen = window.intersected(screen);
        if (seen.width() >= 100 && seen.height() >= 50)
            return window.topLeft();
    }
    const QRect *nearest = nullptr;
    double best = std::numeric_limits<double>::max();
    for (const QRect &screen : screens) {
        const QPoint d = window.center() - screen.center();
        const double distance = double(d.x()) * d.x() + double(d.y()) * d.y();
        if (distance < best) {
            best = distance;
            nearest = &screen;
        }
    }
    if (!nearest)
        return window.topLeft();
    const int x = qMax(nearest->left(), qMin(window.left(), nearest->right() + 1 - window.width()));
    const int y = qMax(nearest->top(), qMin(window.top(), nearest->bottom() + 1 - window.height()));
    return {x, y};
}

} // namespace meteo
