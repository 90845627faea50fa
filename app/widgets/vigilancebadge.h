// SPDX-License-Identifier: GPL-2.0-or-later
// The department's official warnings under the main window's icon: the worst on its colour, how
// many others, every one in words for a screen reader; a click opens the 48 hours. Hidden when the
// department is green or the document has no vigilance.
#pragma once
#include "app/model/cityweather.h"

#include <QPushButton>
#include <functional>

namespace meteo {

// A warning's colour at `alpha`.
QColor warningColour(WarningColour colour, int alpha = 255);

class VigilanceBadge : public QPushButton {
    Q_OBJECT
public:
    explicit VigilanceBadge(QWidget *parent);
    void follow(CityWeather *weather);
    void present();
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

private:
    Following city_;
};

} // namespace meteo
