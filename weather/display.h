// SPDX-License-Identifier: GPL-2.0-or-later
// The display refresh's texts, composed from the weather record, and the order in which the window
// receives them. The window implements DisplayTarget; everything here is testable without one.
#pragma once
#include "conditionmeteo.h"

#include <QDate>
#include <QString>
#include <functional>

namespace meteo {

struct DisplayTarget {
    virtual void setCaption(const QByteArray &text) = 0;
    virtual void setLabel(int number, const QByteArray &text) = 0;  // Label1 ... Label12
    virtual void loadIcon(const QString &path) = 0;                  // throws Error when unreadable
protected:
    ~DisplayTarget() = default;
};

using Translator = std::function<QByteArray(const QByteArray &)>;

QByteArray composeCaption(const TConditionMeteo &c, QDate today);
// Text of label 1 ... 12; throws Error when a time text it converts is not a time.
QByteArray composeLabel(int number, const TConditionMeteo &c, const Translator &traduire);

// Whether an icon code from the network may become part of a file name: no separator, no "..",
// no NUL, at most 32 bytes. Any other code names no icon file.
[[nodiscard]] bool isSafeIconCode(const QByteArray &code);
// The icon drawn at twice the size beside `path` ("30@2x.png"), where the screen has more than one
// device pixel per pixel and it exists; else `path`.
QString sharpIconPath(const QString &path, double devicePixelRatio);
QString iconPath(const QString &chemin, const QByteArray &iconCode);

// Writes the caption, Label1 ... Label9, the icon, then Label10 ... Label12, each text right after
// it is composed, so that a failure leaves exactly the earlier targets updated.
void writeDisplay(const TConditionMeteo &c, const Translator &traduire, QDate today, const QString &chemin,
                  DisplayTarget &target);

} // namespace meteo
