// SPDX-License-Identifier: GPL-2.0-or-later
// The window icon: a sun behind a cloud with a raindrop, the whole application in one picture.
#include "shapes.h"

#include <QImage>

namespace art {

QImage drawAppIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(197, 219, 243));
    p.drawRoundedRect(QRectF(3, 3, 94, 94), 18, 18);
    sun(p, {36, 36}, 17);
    cloud(p, {56, 54}, 70);
    drops(p, {{44, 84}, {64, 86}}, 0.9);
    return image;
}

} // namespace art
