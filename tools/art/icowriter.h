// SPDX-License-Identifier: GPL-2.0-or-later
// Writes a Windows icon file holding one uncompressed 32-bit image and its 1-bit mask.
#pragma once
#include <QByteArray>
#include <QImage>

namespace art {
QByteArray icoBytes(const QImage &image);
}
