// SPDX-License-Identifier: GPL-2.0-or-later
// The primitives behind the weather icons.
#include "shapes.h"

#include <QPainterPath>
#include <cmath>

namespace art {
namespace {
const QColor sunFill(255, 196, 0), sunEdge(230, 140, 0);
const QColor moonFill(250, 236, 160), moonEdge(200, 170, 60);
const QColor rain(30, 110, 230), snow(255, 255, 255), snowEdge(80, 130, 200), bolts(255, 210, 0);

QPen pen(QColor c, double w)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}
} // namespace

void sun(QPainter &p, QPointF c, double r, bool rays)
{
    p.save();
    if (rays) {
        p.setPen(pen(sunEdge, r * 0.16));
        for (int i = 0; i < 8; ++i) {
            const double a = i * M_PI / 4;
            p.drawLine(c + QPointF(std::cos(a), std::sin(a)) * r * 1.3, c + QPointF(std::cos(a), std::sin(a)) * r * 1.75);
        }
    }
    QRadialGradient g(c - QPointF(r, r) * 0.3, r * 1.4);
    g.setColorAt(0, QColor(255, 235, 120));
    g.setColorAt(1, sunFill);
    p.setBrush(g);
    p.setPen(pen(sunEdge, 2));
    p.drawEllipse(c, r, r);
    p.restore();
}

void moon(QPainter &p, QPointF c, double r)
{
    QPainterPath disc, bite;
    disc.addEllipse(c, r, r);
    bite.addEllipse(c + QPointF(r * 0.55, -r * 0.35), r * 0.85, r * 0.85);
    p.save();
    p.setBrush(moonFill);
    p.setPen(pen(moonEdge, 2));
    p.drawPath(disc.subtracted(bite));
    p.restore();
}

void stars(QPainter &p, const QList<QPointF> &where)
{
    p.save();
    p.setPen(pen(moonEdge, 1.5));
    for (const QPointF &s : where) {
        p.drawLine(s - QPointF(4, 0), s + QPointF(4, 0));
        p.drawLine(s - QPointF(0, 4), s + QPointF(0, 4));
    }
    p.restore();
}

void cloud(QPainter &p, QPointF c, double w, bool dark)
{
    // Three puffs on a flat base, scaled from the width.
    const double u = w / 60.0;
    QPainterPath path;
    path.addRoundedRect(QRectF(c.x() - 30 * u, c.y(), 60 * u, 16 * u), 8 * u, 8 * u);
    const QRectF puffs[] = {{c.x() - 27 * u, c.y() - 10 * u, 26 * u, 24 * u},
                            {c.x() - 13 * u, c.y() - 20 * u, 34 * u, 32 * u},
                            {c.x() + 9 * u, c.y() - 6 * u, 22 * u, 20 * u}};
    for (const QRectF &puff : puffs) {
        QPainterPath round;
        round.addEllipse(puff);
        path = path.united(round);  // one outline, no seams inside the cloud
    }
    QLinearGradient g(c - QPointF(0, 20 * u), c + QPointF(0, 16 * u));
    g.setColorAt(0, dark ? QColor(150, 155, 170) : QColor(255, 255, 255));
    g.setColorAt(1, dark ? QColor(95, 100, 115) : QColor(205, 212, 225));
    p.save();
    p.setBrush(g);
    p.setPen(pen(dark ? QColor(60, 65, 80) : QColor(120, 130, 150), 2));
    p.drawPath(path);
    p.restore();
}

void drops(QPainter &p, const QList<QPointF> &where, double size)
{
    size *= 1.3;
    p.save();
    p.setBrush(rain);
    p.setPen(pen(rain.darker(130), 1));
    for (const QPointF &d : where) {
        QPainterPath path;
        path.moveTo(d + QPointF(0, -6 * size));
        path.cubicTo(d + QPointF(4 * size, 0), d + QPointF(4 * size, 4 * size), d + QPointF(0, 4 * size));
        path.cubicTo(d + QPointF(-4 * size, 4 * size), d + QPointF(-4 * size, 0), d + QPointF(0, -6 * size));
        p.drawPath(path);
    }
    p.restore();
}

void flakes(QPainter &p, const QList<QPointF> &where, double size)
{
    size *= 1.2;
    p.save();
    for (const QPointF &f : where) {
        for (int pass = 0; pass < 2; ++pass) {
            p.setPen(pass == 0 ? pen(snowEdge, 4 * size) : pen(snow, 2 * size));
            for (int i = 0; i < 3; ++i) {
                const double a = i * M_PI / 3;
                const QPointF d(std::cos(a) * 6 * size, std::sin(a) * 6 * size);
                p.drawLine(f - d, f + d);
            }
        }
    }
    p.restore();
}

void pellets(QPainter &p, const QList<QPointF> &where, double r)
{
    p.save();
    p.setBrush(QColor(200, 230, 255));
    p.setPen(pen(snowEdge, 1.5));
    for (const QPointF &c : where)
        p.drawEllipse(c, r, r);
    p.restore();
}

void hail(QPainter &p, const QList<QPointF> &where)
{
    p.save();
    p.setBrush(snow);
    p.setPen(pen(QColor(90, 110, 140), 2));
    for (const QPointF &c : where)
        p.drawEllipse(c, 4.5, 4.5);
    p.restore();
}

void bolt(QPainter &p, QPointF t, double s)
{
    QPolygonF poly({t, t + QPointF(-9, 16) * s, t + QPointF(-2, 16) * s, t + QPointF(-7, 30) * s,
                    t + QPointF(8, 11) * s, t + QPointF(1, 11) * s, t + QPointF(6, 0)});
    p.save();
    p.setBrush(bolts);
    p.setPen(pen(QColor(200, 120, 0), 1.5));
    p.drawPolygon(poly);
    p.restore();
}

void fogBands(QPainter &p, double top, int count, QColor colour)
{
    p.save();
    p.setPen(pen(colour, 5));
    for (int i = 0; i < count; ++i) {
        const double y = top + i * 10;
        const double shift = (i % 2) * 8;
        p.drawLine(QPointF(14 + shift, y), QPointF(78 + shift, y));
    }
    p.restore();
}

void windLines(QPainter &p, double top, int count, QColor colour)
{
    p.save();
    p.setPen(pen(colour, 4));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < count; ++i) {
        const double y = top + i * 14;
        const double len = 62 - (i % 2) * 14;
        QPainterPath path;
        path.moveTo(12, y);
        path.lineTo(12 + len, y);
        path.cubicTo(QPointF(22 + len, y), QPointF(22 + len, y - 12), QPointF(12 + len, y - 11));
        p.drawPath(path);
    }
    p.restore();
}

void spiral(QPainter &p, QPointF c, double r, QColor colour)
{
    p.save();
    p.setPen(pen(colour, 5));
    for (int arm = 0; arm < 2; ++arm) {
        QPainterPath path;
        for (int i = 0; i <= 40; ++i) {
            const double t = i / 40.0;
            const double a = arm * M_PI + t * 2.6 * M_PI;
            const QPointF pt = c + QPointF(std::cos(a), std::sin(a)) * (r * (0.2 + 0.8 * t));
            i == 0 ? path.moveTo(pt) : path.lineTo(pt);
        }
        p.drawPath(path);
    }
    p.setBrush(colour);
    p.drawEllipse(c, r * 0.18, r * 0.18);
    p.restore();
}

void funnel(QPainter &p)
{
    p.save();
    p.setPen(pen(QColor(90, 95, 110), 5));
    const double widths[] = {70, 56, 42, 30, 20, 12, 6};
    for (int i = 0; i < 7; ++i) {
        const double w = widths[i], y = 16 + i * 11, x = 50 + (i % 2 ? 3 : -3) + i * 1.5;
        p.drawLine(QPointF(x - w / 2, y), QPointF(x + w / 2, y));
    }
    p.restore();
}

void thermometer(QPainter &p, QPointF at, QColor liquid, double level)
{
    p.save();
    p.setPen(pen(QColor(80, 80, 90), 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(at.x() - 6, at.y(), 12, 52), 6, 6);
    p.drawEllipse(at + QPointF(0, 58), 10, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(liquid);
    p.drawEllipse(at + QPointF(0, 58), 7, 7);
    p.drawRect(QRectF(at.x() - 3, at.y() + 52 * (1 - level), 6, 52 * level + 4));
    p.restore();
}

void frostCrystal(QPainter &p, QPointF c, double r)
{
    p.save();
    p.setPen(pen(QColor(60, 140, 220), 3));
    for (int i = 0; i < 3; ++i) {
        const double a = i * M_PI / 3 + M_PI / 2;
        const QPointF d(std::cos(a) * r, std::sin(a) * r);
        p.drawLine(c - d, c + d);
        for (int side : {-1, 1}) {
            const QPointF tip = c + d * side * 0.6;
            const double b1 = a + M_PI / 4, b2 = a - M_PI / 4;
            const double k = side * r * 0.3;
            p.drawLine(tip, tip + QPointF(std::cos(b1), std::sin(b1)) * k);
            p.drawLine(tip, tip + QPointF(std::cos(b2), std::sin(b2)) * k);
        }
    }
    p.restore();
}

void question(QPainter &p)
{
    p.save();
    p.setPen(pen(QColor(120, 130, 150), 3));
    p.setBrush(QColor(235, 238, 245));
    p.drawEllipse(QPointF(50, 50), 36, 36);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(52);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(100, 110, 130));
    p.drawText(QRectF(0, 0, 100, 100), Qt::AlignCenter, QStringLiteral("?"));
    p.restore();
}

} // namespace art
