// SPDX-License-Identifier: GPL-2.0-or-later
// Drawing primitives shared by every weather icon: each draws on a 100 x 100 canvas (scaled by the
// painter), so that icons of different codes stay consistent in size, stroke and colour.
#pragma once
#include <QPainter>
#include <QPointF>

namespace art {

void sun(QPainter &p, QPointF centre, double radius, bool rays = true);
void moon(QPainter &p, QPointF centre, double radius);
void stars(QPainter &p, const QList<QPointF> &where);
void cloud(QPainter &p, QPointF centre, double width, bool dark = false);
void drops(QPainter &p, const QList<QPointF> &where, double size = 1.0);
void flakes(QPainter &p, const QList<QPointF> &where, double size = 1.0);
void pellets(QPainter &p, const QList<QPointF> &where, double radius = 3.0);
void hail(QPainter &p, const QList<QPointF> &where);
void bolt(QPainter &p, QPointF top, double size = 1.0);
void fogBands(QPainter &p, double top, int count, QColor colour = QColor(140, 150, 165));
void windLines(QPainter &p, double top, int count, QColor colour = QColor(90, 110, 140));
void spiral(QPainter &p, QPointF centre, double radius, QColor colour);
void funnel(QPainter &p);
void thermometer(QPainter &p, QPointF at, QColor liquid, double level);
void frostCrystal(QPainter &p, QPointF centre, double radius);
void question(QPainter &p);

} // namespace art
