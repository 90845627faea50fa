// SPDX-License-Identifier: GPL-2.0-or-later
// The rain map drawn: sea and land, the rain of one frame in its classes as an indexed image (no data
// veiled grey, never shown as dry), the coasts and borders, the user's cities. The base map is drawn
// once per size and view; the wheel and +/- zoom up to ×4 around the pointer, a drag pans, 0 shows
// all of France again.
#pragma once
#include "app/storage/basemapfile.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <optional>

namespace meteo {

struct RainMapIndex;

class RainMapView : public QWidget {
    Q_OBJECT
public:
    explicit RainMapView(QWidget *parent = nullptr);

    struct City {
        QString name;
        MapPoint at;
        bool shown = false;  // the one the main window shows: drawn stronger
    };
    void setBaseMap(QList<BaseMapRing> rings);
    // The grid of the index; the view then frames it.
    void setGrid(const RainMapIndex &index);
    // The frame's cells, or nothing: a gap, said by `gapText` over the map.
    void setFrame(const QByteArray &cells, const QString &gapText = QString());
    void setCities(const QList<City> &cities);

    double zoom() const { return zoom_; }
    const QString &gapText() const { return gap_; }
    bool hasRain() const { return !rain_.isNull(); }
    void zoomBy(double factor, QPointF around);
    void resetView();
    [[nodiscard]] MapPoint toMap(QPointF widgetPoint) const;
    [[nodiscard]] QPointF toWidget(MapPoint p) const;
    // The grid cell under a map point, or nothing outside the grid.
    [[nodiscard]] std::optional<std::pair<int, int>> cellAt(MapPoint p) const;
    // The colour a cell's byte is drawn in (transparent for dry).
    [[nodiscard]] static QRgb colourOf(std::uint8_t byte);

Q_SIGNALS:
    void clicked(meteo::MapPoint at);
    void activated(meteo::MapPoint at);

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    double scale() const;
    void clampCentre();
    void drawBase();
    QRectF gridRect() const;  // in metres: left, top (north) … as x, y, width, height

    QList<BaseMapRing> rings_;
    double x0_ = 97500, y0_ = 7112500, step_ = 5000;
    int columns_ = 230, rows_ = 215;
    QImage rain_;
    QString gap_;
    QList<City> cities_;
    double zoom_ = 1;
    MapPoint centre_;
    QPixmap land_, lines_;  // the base map at the current size and view
    QPoint pressed_, last_;
    bool dragged_ = false;
};

} // namespace meteo
