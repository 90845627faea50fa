// SPDX-License-Identifier: GPL-2.0-or-later
// What the main window's labels show: a text cut with "…" where it would pass its room (said whole
// by its tooltip and to a screen reader), and a PNG picture, decoded again only when its file changed.
#pragma once
#include <QString>

class QColor;
class QLabel;
class QWidget;

namespace meteo {

// A label's font of the family Sans, `pixels` high, in `colour`.
void setLabelFont(QLabel *label, int pixels, bool bold, const QColor &colour);
// The area's background; the labels in it keep their own behind their text.
void setAreaBackground(QWidget *area, const QColor &colour);

// The label sized to `text` from its top-left corner, cut to end before x = `right` of its parent.
void setTextWithin(QLabel *label, const QString &text, int right);

class PictureFile {
public:
    // Shows the PNG at `path` in `label` (at twice the density when `sharp`); throws Error naming the
    // file when it cannot be read or is no PNG, whatever its name says.
    void show(QLabel *label, const QString &path, bool sharp);

private:
    QString stamp_;  // path, size and time of the picture shown
};

} // namespace meteo
