// SPDX-License-Identifier: GPL-2.0-or-later
// The 48-hour chart: temperature as a smooth curve (warmest and coldest hours labelled), precipitation
// bars shaded by their chance, gusts, nights and now, an hourly strip of time, icon and temperature
// above it, and a legend. Every text is placed from the font's own metrics, so that none is clipped
// or overlaps another at any size or scale. An hour cursor (keyboard or mouse) says that hour's values
// in full, as the chart's description for screen readers too.
#pragma once
#include "chartlayout.h"
#include "weather/hourly.h"
#include "weather/warnings.h"

#include <QHash>
#include <QPixmap>
#include <QWidget>

namespace meteo {

class HourlyChart : public QWidget {
    Q_OBJECT
public:
    explicit HourlyChart(QWidget *parent);
    // The hours still ahead at `now`, the nights among them, and `now` itself.
    void setForecast(const QList<HourPoint> &hours, const QList<std::pair<QDateTime, QDateTime>> &nights, const QDateTime &now);
    // Official warnings, each a band of its colour over its hours.
    void setWarnings(const QList<OfficialWarning> &warnings);
    QRectF warningBand(int index) const;  // empty when outside the hours shown

    using Label = ChartLayout::Label;
    const QList<Label> &labels() const { return layout_.labels; }  // every text the chart draws, where
    QRectF plotArea() const { return layout_.plot; }
    QPointF temperaturePoint(int hour) const;  // in widget coordinates; null when unknown
    QRectF precipitationBar(int hour) const;   // empty when dry or unknown
    bool hasPrecipitationAxis() const { return layout_.precipitation.has_value(); }
    bool hasGustAxis() const { return layout_.gust.has_value(); }
    const ChartLayout &chartLayout() const { return layout_; }

    int cursor() const { return cursor_; }     // the hour under the cursor, -1 for none
    void setCursor(int hour);
    QSize minimumSizeHint() const override;
    QString cursorText() const;                // that hour's values in full, or empty

Q_SIGNALS:
    void cursorTextChanged(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    bool event(QEvent *event) override;

private:
    void layout();
    QPixmap icon(const QByteArray &code);

    QList<HourPoint> hours_;
    QList<std::pair<QDateTime, QDateTime>> nights_;
    QList<OfficialWarning> warnings_;
    QDateTime now_;
    ChartLayout layout_;
    QHash<QByteArray, QPixmap> icons_;
    int cursor_ = -1;
};

} // namespace meteo
