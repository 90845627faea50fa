// SPDX-License-Identifier: GPL-2.0-or-later
// "Air et pollens": today's ATMO class on its colour, with its word and the pollutant that decides
// it, the next days' classes, the five pollutants over the 48 hours as rows coloured by their class,
// the six pollens' levels today and the next three days, the source and its credit, and the age of
// the report. Screen readers hear the classes and the pollens in words.
#pragma once
#include "app/model/cityweather.h"

#include <QWidget>
#include <functional>

class QGridLayout;
class QLabel;

namespace meteo {

class FormAir : public QWidget {
    Q_OBJECT
public:
    explicit FormAir(QWidget *parent);
    void follow(CityWeather *weather);
    void present();
    QLabel *Indice, *Jours, *Credit, *Recues, *Message;
    QGridLayout *Polluants, *Pollens;
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

private:
    void clearGrid(QGridLayout *grid);
    Following city_;
};

} // namespace meteo
