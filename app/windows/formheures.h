// SPDX-License-Identifier: GPL-2.0-or-later
// "Prochaines 48 heures": the rain of the next two hours by quarter hour, with its sentence, and the
// 48 hours ahead drawn as a chart (temperature curve, precipitation bars shaded by their chance,
// gusts, nights, the current time). It only draws what weather/hourly.h reads and computes, and
// only what is still ahead by the clock: it repaints every minute while it is shown.
#pragma once
#include "app/model/cityweather.h"
#include "app/widgets/hourlychart.h"
#include "weather/hourly.h"

#include <QWidget>
#include <functional>

class QLabel;
class QTimer;

namespace meteo {

// The quarter hours still ahead, coloured by intensity (grey with "?" when unreadable), their times
// under them.
class RainStrip : public QWidget {
    Q_OBJECT
public:
    explicit RainStrip(QWidget *parent);
    void setRain(const QList<RainSlot> &rain);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<RainSlot> rain_;
};

class FormHeures : public QWidget {
    Q_OBJECT
public:
    explicit FormHeures(QWidget *parent);
    // Shows the hours of `weather`'s report, and again at each of its changes.
    void follow(CityWeather *weather);
    // Says again what is ahead by the clock, from the report followed.
    void present();
    QLabel *Titre, *Phrase, *Message, *Recues;  // Titre names what falls in the next two hours
    QLabel *Detail;  // the values of the hour under the chart's cursor
    QLabel *Vigilances;  // one line per official warning, above the chart
    RainStrip *Pluie;
    HourlyChart *Graphique;
    // The real time; tests set their own.
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void showMessage(const QString &text);
    Following city_;
    std::shared_ptr<const CityReport> shown_;  // the report the cursor's hour belongs to
    QTimer *minute_;
};

} // namespace meteo
