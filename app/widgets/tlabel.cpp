// SPDX-License-Identifier: GPL-2.0-or-later
#include "tlabel.h"

#include <QPainter>

namespace meteo {

void TLabel::paintEvent(QPaintEvent *event)
{
    if (!text().isEmpty()) {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
    }
    QLabel::paintEvent(event);
}

} // namespace meteo
