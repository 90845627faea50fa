// SPDX-License-Identifier: GPL-2.0-or-later
// A text label with its own background colour (not the window's), painted only behind text, so that
// a label still waiting for its first value leaves no empty box on the window.
#pragma once
#include <QLabel>

namespace meteo {

class TLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace meteo
