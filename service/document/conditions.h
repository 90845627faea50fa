// SPDX-License-Identifier: GPL-2.0-or-later
// The weather vocabulary the service writes: the WMO weather codes it knows, with the English phrase
// and the icon codes by day and by night; the pressure tendencies; wind and UV texts.
#pragma once
#include <QByteArray>
#include <QList>

namespace service {

struct Condition {
    int wmo;
    QByteArray dayPhrase, nightPhrase;
    QByteArray dayIcon, nightIcon;
};

const QList<Condition> &conditions();
// The condition of a WMO code; codes the table lacks fall to the nearest lower known one.
const Condition &conditionFor(int wmo);
// Whether the table has this very code.
bool isKnownWmo(int wmo);

QByteArray tendencyText(double pressureChangeOverThreeHours);  // "rising", "falling", "steady"
QByteArray compassText(double degrees, double speedKmh);       // "SO", "Calme" under 1 km/h
QByteArray uvText(int index);                                  // "Low" ... "Extreme"
// To the nearest whole number, halves away from zero, as every whole value of the document is written.
int rounded(double v);
// Dew point in degrees from temperature and relative humidity (Magnus formula).
double dewPoint(double celsius, double humidityPercent);

} // namespace service
