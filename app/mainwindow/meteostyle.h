// SPDX-License-Identifier: GPL-2.0-or-later
// The viewer's application set-up before its window: its name, its menu kept in the window, and a
// style that draws the menu bar's overflow arrow itself. Qt's own arrow is a picture file, and
// reading the first picture file asks every image plugin whether it would rather read it: loading
// them all held the window's first picture back by a tenth.
#pragma once
#include <QProxyStyle>

class QApplication;

namespace meteo {

class MeteoStyle : public QProxyStyle {
public:
    // The application owns its style: `app` is its parent from the start.
    explicit MeteoStyle(QObject *app) { setParent(app); }
    QIcon standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const override;
};

// Called by the program entry (and the start-up probe, which starts as it does) before the window.
void prepareApplication(QApplication &app);

} // namespace meteo
