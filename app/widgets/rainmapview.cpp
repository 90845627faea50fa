// SPDX-License-Identifier: GPL-2.0-or-later
#include "rainmapview.h"

#include "common/raincells.h"
#include "weather/rainmap.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <cmath>
#include <cstring>
#include <functional>

namespace meteo {
namespace {

constexpr double kMaxZoom = 4;
const QColor kSea(0xdc, 0xe8, 0xf1), kFrance(0xf6, 0xf3, 0xec), kAbroad(0xe6, 0xe4, 0xde), kCoast(0x6a, 0x7a, 0x8a);

// Rain from light blues to reds and violet; snow from white to deep lilac; freezing rain in pinks;
// a mix in teals. One colour a class (0.1, 0.5, 1, 2, 4, 8, 16, 32 mm/h and above).
constexpr QRgb kRain[8] = {0xffb4dcff, 0xff78beff, 0xff3c8cf0, 0xff1c5ed0, 0xfff2d035, 0xfff08a24, 0xffd82c2c, 0xff8e2aa8};
constexpr QRgb kSnow[8] = {0xfff4f0ff, 0xffe2d6ff, 0xffcdb8ff, 0xffb596f5, 0xff9b72e6, 0xff8052d0, 0xff6636b4, 0xff4c2090};
constexpr QRgb kFreezing[8] = {0xffffd6e6, 0xffffb0cf, 0xffff88b6, 0xfff0609c, 0xffd83c80, 0xffb82268, 0xff961454, 0xff700a40};
constexpr QRgb kMixed[8] = {0xffc4f0ea, 0xff94e0d6, 0xff62ccc0, 0xff36b0a6, 0xff1e9088, 0xff10726c, 0xff085852, 0xff04403c};

QPainterPath pathOf(const QList<MapPoint> &points, const std::function<QPointF(MapPoint)> &to)
{
    QPainterPath path;
    path.moveTo(to(points.first()));
    for (qsizetype i = 1; i < points.size(); ++i)
        path.lineTo(to(points[i]));
    path.closeSubpath();
    return path;
}

} // namespace

RainMapView::RainMapView(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    setMinimumSize(220, 160);  // the window fits a 1280 × 800 screen at a scale of 2
    setCursor(Qt::OpenHandCursor);
    resetView();
}

QRgb RainMapView::colourOf(std::uint8_t byte)
{
    const std::optional<rain::Cell> cell = rain::decode(byte);
    if (!cell)
        return qRgba(110, 110, 120, 95);  // no data: veiled, never dry
    const int k = rain::classOfLevel(cell->level);
    if (k == 0)
        return qRgba(0, 0, 0, 0);
    const QRgb *table = cell->fall == rain::Fall::Snow ? kSnow : cell->fall == rain::Fall::Freezing ? kFreezing
                        : cell->fall == rain::Fall::Mixed ? kMixed : kRain;
    const QRgb c = table[k - 1];
    return qRgba(qRed(c), qGreen(c), qBlue(c), 225);
}

void RainMapView::setBaseMap(QList<BaseMapRing> rings)
{
    rings_ = std::move(rings);
    drawBase();
    update();
}

void RainMapView::setGrid(const RainMapIndex &index)
{
    const bool moved = index.x0 != x0_ || index.y0 != y0_ || index.step != step_ || index.columns != columns_ || index.rows != rows_;
    x0_ = index.x0;
    y0_ = index.y0;
    step_ = index.step;
    columns_ = index.columns;
    rows_ = index.rows;
    if (moved)
        resetView();
}

void RainMapView::setFrame(const QByteArray &cells, const QString &gapText)
{
    gap_ = gapText;
    if (cells.size() != qsizetype(columns_) * rows_) {
        rain_ = QImage();
    } else {
        // The bytes are the picture: an indexed image whose colour table is the legend.
        static const QList<QRgb> table = [] {
            QList<QRgb> t;
            for (int b = 0; b < 256; ++b)
                t << colourOf(std::uint8_t(b));
            return t;
        }();
        rain_ = QImage(columns_, rows_, QImage::Format_Indexed8);
        rain_.setColorTable(table);
        for (int row = 0; row < rows_; ++row)
            std::memcpy(rain_.scanLine(row), cells.constData() + qsizetype(row) * columns_, size_t(columns_));
    }
    update();
}

void RainMapView::setCities(const QList<City> &cities)
{
    cities_ = cities;
    update();
}

QRectF RainMapView::gridRect() const
{
    return QRectF(x0_ - step_ / 2, y0_ + step_ / 2, columns_ * step_, rows_ * step_);
}

double RainMapView::scale() const
{
    const QRectF g = gridRect();
    return std::min(width() / g.width(), height() / g.height()) * zoom_;
}

MapPoint RainMapView::toMap(QPointF p) const
{
    const double s = scale();
    return {centre_.x + (p.x() - width() / 2.0) / s, centre_.y - (p.y() - height() / 2.0) / s};
}

QPointF RainMapView::toWidget(MapPoint p) const
{
    const double s = scale();
    return {width() / 2.0 + (p.x - centre_.x) * s, height() / 2.0 - (p.y - centre_.y) * s};
}

std::optional<std::pair<int, int>> RainMapView::cellAt(MapPoint p) const
{
    const int column = int(std::floor((p.x - (x0_ - step_ / 2)) / step_)), row = int(std::floor(((y0_ + step_ / 2) - p.y) / step_));
    if (column < 0 || row < 0 || column >= columns_ || row >= rows_)
        return std::nullopt;
    return std::make_pair(column, row);
}

void RainMapView::resetView()
{
    const QRectF g = gridRect();
    zoom_ = 1;
    centre_ = {g.x() + g.width() / 2, g.y() - g.height() / 2};
    drawBase();
    update();
}

void RainMapView::zoomBy(double factor, QPointF around)
{
    const MapPoint before = toMap(around);
    zoom_ = std::clamp(zoom_ * factor, 1.0, kMaxZoom);
    const MapPoint after = toMap(around);
    centre_.x += before.x - after.x;  // the point under the pointer stays under it
    centre_.y += before.y - after.y;
    clampCentre();
    drawBase();
    update();
}

// The view's centre stays over the grid; at ×1 the whole grid is in view, centred.
void RainMapView::clampCentre()
{
    const QRectF g = gridRect();
    if (zoom_ <= 1) {
        centre_ = {g.x() + g.width() / 2, g.y() - g.height() / 2};
        return;
    }
    centre_.x = std::clamp(centre_.x, g.x(), g.x() + g.width());
    centre_.y = std::clamp(centre_.y, g.y() - g.height(), g.y());
}

void RainMapView::drawBase()
{
    if (width() <= 0 || height() <= 0)
        return;
    const qreal dpr = devicePixelRatioF();
    land_ = QPixmap(size() * dpr);
    land_.setDevicePixelRatio(dpr);
    land_.fill(kSea);
    lines_ = QPixmap(size() * dpr);
    lines_.setDevicePixelRatio(dpr);
    lines_.fill(Qt::transparent);
    QPainter land(&land_), lines(&lines_);
    land.setRenderHint(QPainter::Antialiasing);
    lines.setRenderHint(QPainter::Antialiasing);
    const auto to = [this](MapPoint p) { return toWidget(p); };
    for (const BaseMapRing &ring : rings_) {
        const QPainterPath path = pathOf(ring.points, to);
        land.fillPath(path, ring.country == "FR" ? kFrance : kAbroad);
        lines.strokePath(path, QPen(ring.country == "FR" ? kCoast.darker(125) : kCoast, ring.country == "FR" ? 1.2 : 0.8));
    }
}

void RainMapView::resizeEvent(QResizeEvent *)
{
    clampCentre();
    drawBase();
}

void RainMapView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawPixmap(0, 0, land_);
    const QRectF g = gridRect();
    const QPointF topLeft = toWidget({g.x(), g.y()}), bottomRight = toWidget({g.x() + g.width(), g.y() - g.height()});
    if (!rain_.isNull())
        p.drawImage(QRectF(topLeft, bottomRight), rain_);
    p.drawPixmap(0, 0, lines_);
    p.setRenderHint(QPainter::Antialiasing);
    // The shown city first; a name that would cover another is put on the dot's other side, above or
    // below, else left out (its dot stays, its name is in the screen reader's sentence).
    QList<const City *> order;
    for (const City &c : cities_)
        (c.shown ? order.prepend(&c) : order.append(&c));
    QList<QRectF> taken;
    for (const City *c : order)
        taken << QRectF(toWidget(c->at) - QPointF(5, 5), QSizeF(10, 10));
    QFont font = this->font();
    for (const City *c : order) {
        const QPointF at = toWidget(c->at);
        const double r = c->shown ? 4.5 : 3;
        p.setPen(QPen(Qt::white, 1.5));
        p.setBrush(c->shown ? QColor(0x20, 0x20, 0x20) : QColor(0x44, 0x44, 0x44));
        p.drawEllipse(at, r, r);
        font.setBold(c->shown);
        const QFontMetricsF fm(font);
        const QSizeF size(fm.horizontalAdvance(c->name), fm.ascent());
        for (const QPointF corner : {at + QPointF(r + 3, -size.height() / 2), at + QPointF(-r - 3 - size.width(), -size.height() / 2),
                                     at + QPointF(-size.width() / 2, -r - 2 - size.height()), at + QPointF(-size.width() / 2, r + 2)}) {
            const QRectF box(corner, size);
            if (!QRectF(rect()).contains(box)
                || std::any_of(taken.begin(), taken.end(), [&box, at](const QRectF &t) { return t.intersects(box) && !t.contains(at); }))
                continue;
            taken << box;
            QPainterPath text;
            text.addText(corner + QPointF(0, fm.ascent()), font, c->name);
            p.strokePath(text, QPen(QColor(255, 255, 255, 220), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.fillPath(text, c->shown ? QColor(0x10, 0x10, 0x10) : QColor(0x30, 0x30, 0x30));
            break;
        }
    }
    if (!gap_.isEmpty()) {
        QRect box = p.fontMetrics().boundingRect(gap_).adjusted(-10, -6, 10, 6);
        box.moveCenter(rect().center());
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 230));
        p.drawRoundedRect(box, 6, 6);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(box, Qt::AlignCenter, gap_);
    }
}

void RainMapView::wheelEvent(QWheelEvent *event)
{
    zoomBy(std::pow(1.25, event->angleDelta().y() / 120.0), event->position());
}

void RainMapView::mousePressEvent(QMouseEvent *event)
{
    pressed_ = last_ = event->position().toPoint();
    dragged_ = false;
}

void RainMapView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint now = event->position().toPoint();
    if (!dragged_ && (now - pressed_).manhattanLength() < 4)
        return;
    dragged_ = true;
    setCursor(Qt::ClosedHandCursor);
    const double s = scale();
    centre_.x -= (now.x() - last_.x()) / s;
    centre_.y += (now.y() - last_.y()) / s;
    last_ = now;
    clampCentre();
    drawBase();
    update();
}

void RainMapView::mouseReleaseEvent(QMouseEvent *event)
{
    setCursor(Qt::OpenHandCursor);
    if (!dragged_ && event->button() == Qt::LeftButton)
        Q_EMIT clicked(toMap(event->position()));
}

void RainMapView::mouseDoubleClickEvent(QMouseEvent *event)
{
    Q_EMIT activated(toMap(event->position()));
}

} // namespace meteo
