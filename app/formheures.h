// "Prochaines 48 heures": the rain of the next two hours by quarter hour, with its sentence, and the
// 48 hours ahead drawn as a chart (temperature curve, precipitation bars shaded by their chance,
// gusts, nights, the current time). It only draws what weather/hourly.h reads and computes.
#pragma once
#include "weather/hourly.h"

#include <QWidget>

class QLabel;

namespace meteo {

// The 48-hour chart. Its geometry is computed once per refresh and read by the painting and the
// tooltips alike.
class HourlyChart : public QWidget {
    Q_OBJECT
public:
    explicit HourlyChart(QWidget *parent);
    void setForecast(const HourlyForecast &forecast);
    QPointF temperaturePoint(int hour) const;  // in widget coordinates; null when unknown
    QRectF precipitationBar(int hour) const;   // empty when dry or unknown

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRectF plot() const;
    double x(const QDateTime &t) const;
    HourlyForecast forecast_;
    Scale temperature_, precipitation_, gust_;
};

// The eight quarter hours, coloured by intensity, their times under them.
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
    // Reads the stored document again; never raises: what cannot be read is said in the window.
    void refresh();
    QLabel *Phrase, *Message;
    RainStrip *Pluie;
    HourlyChart *Graphique;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showMessage(const QString &text);
};

} // namespace meteo
