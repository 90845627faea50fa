// SPDX-License-Identifier: GPL-2.0-or-later
// Where everything of the 48-hour chart goes, worked out from the hours, the font and the size alone,
// so that it is tested as geometry: the plot area, the axes' round scales, the legend and the hourly
// strip, every text placed from the font's metrics and refused where it would cover another. The
// chart only paints what this places.
#pragma once
#include "weather/hourly.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QRectF>
#include <optional>

namespace meteo {

namespace chart {
inline const QColor kTemperature(200, 60, 40), kFeels(200, 60, 40, 150), kRain(30, 100, 200), kGust(90, 90, 90),
    kNight(20, 40, 90, 28), kNow(230, 120, 0), kGrid(215, 215, 215), kText(40, 40, 40);
enum Series { Temperature, Feels, Rain, Gusts };
} // namespace chart

class ChartLayout {
public:
    struct Label {
        QString text;
        QRectF rect;
        QColor colour;
    };
    struct StripCell {
        int hour;
        QRectF iconRect;
    };

    ChartLayout() = default;
    ChartLayout(const QList<HourPoint> &hours, const QFont &font, QSizeF size);

    QRectF plot;
    Scale temperature;
    std::optional<Scale> precipitation, gust;  // only for the series the hours have
    QList<Label> labels;                       // every text of the chart, where
    QList<StripCell> strip;                    // the hours whose icon the strip shows
    int iconSide = 24;
    QList<std::pair<QRectF, int>> legendSwatches;  // where each series' sample is drawn, and which

    // The width of one hour of the plot.
    double hourWidth() const { return plot.width() / 48; }
    int steps() const { return int(std::lround((temperature.high - temperature.low) / temperature.step)); }
    double x(const QDateTime &t) const;
    double y(const Scale &scale, double v) const;
    QPointF temperaturePoint(const QList<HourPoint> &hours, int hour) const;  // null when unknown
    QRectF precipitationBar(const QList<HourPoint> &hours, int hour) const;   // empty when dry or unknown
    // The hour under `px` among `count` hours, or -1.
    int hourAt(double px, qsizetype count) const;

private:
    bool place(const QString &text, QRectF rect, const QColor &colour);  // false when it would overlap
    QSizeF size_;
    QDateTime start_;  // the first hour's
};

} // namespace meteo
