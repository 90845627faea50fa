// SPDX-License-Identifier: GPL-2.0-or-later
// The forecast window: one row per forecast day of the stored weather document ("Aujourd'hui",
// "Demain", then weekday and date; day and night icons, sky, the day's temperatures as a bar on one
// scale for all nine days, chance of rain, wind, sunrise and sunset). It only places the texts that
// weather/forecast.h composes; the rows scroll when the screen is too small for them.
#pragma once
#include "app/model/cityweather.h"

#include <QDateTime>
#include <QHash>
#include <QPixmap>
#include <QLabel>
#include <QWidget>
#include <functional>
#include <optional>

class QScrollArea;

namespace meteo {

// A day's low-to-high range, drawn on the scale the nine days share, the two values at its ends. Its
// text ("9°C / 3°C") is what a screen reader says; the bar is what the eye reads.
class TemperatureBar : public QLabel {
    Q_OBJECT
public:
    explicit TemperatureBar(QWidget *parent);
    void setRange(std::optional<double> low, std::optional<double> high, double scaleLow, double scaleHigh);
    // Where the bar's ends are, in the widget; absent for a value that is missing.
    std::optional<double> lowX() const;
    std::optional<double> highX() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double xOf(double v) const;
    QRectF track() const;
    std::optional<double> low_, high_;
    double scaleLow_ = 0, scaleHigh_ = 1;
};

class FormPrevisions : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 9;
    explicit FormPrevisions(QWidget *parent);
    // Shows the nine days of `weather`'s report, and again at each of its changes.
    void follow(CityWeather *weather);
    void present();
    QLabel *cell(const char *column, int row) const;  // "Jour", 1 -> Jour1
    TemperatureBar *bar(int row) const { return static_cast<TemperatureBar *>(cell("Temp", row)); }
    // The real time; tests set their own.
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    // Its rows whole, without scrolling.
    QSize sizeHint() const override;
    // Where the screen is too narrow for every column (a small screen, a scale of 2), the wind and
    // the sun go under the sky, and the bars are shorter.
    bool compact() const { return compact_; }
    // The width the window may take; its screen's available width, or what a test says.
    std::function<int()> roomWidth;

private:
    void showMessage(const QString &text);
    void setCompact(bool compact);
    void fitColumnsToScreen();
    bool compact_ = false;
    bool fitting_ = false;
    void setIcon(QLabel *label, const QByteArray &code, const QByteArray &sky);
    QWidget *rows_;
    QScrollArea *scroll_;
    QLabel *Message, *Recues;
    Following city_;
    QHash<QByteArray, QPixmap> icons_;  // by code and device pixel ratio; null for a code without picture
};

} // namespace meteo
