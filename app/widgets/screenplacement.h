// SPDX-License-Identifier: GPL-2.0-or-later
// Where windows go on the screens: whole, frame included (title bar to status bar), inside one
// screen's available area, since a window cut by a screen edge hides its status bar, where every
// error is shown. Pure arithmetic on frame rectangles, and the small glue that measures a window's
// frame.
#pragma once
#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace meteo {

// The frame's top-left: unchanged when the whole frame lies in one screen's available area; else
// moved, as little as it takes, into the screen that shows most of it (the nearest when none does);
// the top-left corner first when the frame is larger than that screen.
QPoint wholeOnScreen(const QRect &frame, const QList<QRect> &screens);

// Where a frame of `size` goes beside the frame `main`: to its right where it fits wholly on a screen,
// else to its left, else on the side where it hides the least of `main`, always wholly on a screen.
QPoint besideOnScreen(const QRect &main, const QSize &size, const QList<QRect> &screens);

// A window's size that fits, frame included, in a screen's available area `screen`: `wanted` when
// it does, else shrunk to it, never below `minimum` (its contents then scroll or are cut).
QSize fittedSize(const QSize &wanted, const QSize &minimum, const QMargins &frame, const QRect &screen);
// The same on the screen of `near`.
QSize fittedToScreen(const QSize &wanted, const QSize &minimum, const QWidget *near);

// The screens' available areas.
QList<QRect> availableScreens();
// The window manager's frame around `window`, or a usual title bar and border while it has none yet.
QMargins frameMarginsOf(const QWidget *window);
// The rectangle of `window`'s frame, measured or, before the window manager framed it, estimated.
QRect frameRectOf(const QWidget *window);
// Moves `window` so that its whole frame is on a screen, now and once more when the window manager
// has framed it (until then the title bar's height is a guess).
void keepWholeOnScreen(QWidget *window);

// A window of ours shown: the first time placed beside `main` where it fits, sized to its screen and
// wholly on it; afterwards brought forward as it is.
void showBeside(QWidget *window, const QWidget *main, bool first);

} // namespace meteo
