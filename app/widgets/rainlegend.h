// SPDX-License-Identifier: GPL-2.0-or-later
// The rain map's legend: the classes of rain and of snow in their colours with their floors in mm/h,
// and the veil of cells without data.
#pragma once
#include <QWidget>

namespace meteo {

class RainLegend : public QWidget {
    Q_OBJECT
public:
    explicit RainLegend(QWidget *parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *) override;
};

} // namespace meteo
