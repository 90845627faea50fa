// SPDX-License-Identifier: GPL-2.0-or-later
// The icon format is written by hand because Qt's writer compresses to PNG, and the window
// description's icon is a plain bitmap: header, one directory entry, bitmap header, BGRA rows
// bottom-up, then the AND mask rows padded to 32 bits.
#include "icowriter.h"


namespace art {
namespace {
void put16(QByteArray &out, quint16 v)
{
    out.append(char(v & 0xFF)).append(char(v >> 8));
}

void put32(QByteArray &out, quint32 v)
{
    put16(out, quint16(v & 0xFFFF));
    put16(out, quint16(v >> 16));
}
} // namespace

QByteArray icoBytes(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width(), h = image.height();
    const int maskStride = ((w + 31) / 32) * 4;
    const quint32 dataSize = 40 + w * h * 4 + maskStride * h;

    QByteArray out;
    put16(out, 0); put16(out, 1); put16(out, 1);                  // icon file, one image
    out.append(char(w & 0xFF)); out.append(char(h & 0xFF));         // 0 would mean 256
    out.append(char(0)); out.append(char(0));                       // no palette, reserved
    put16(out, 1); put16(out, 32); put32(out, dataSize); put32(out, 22);
    put32(out, 40); put32(out, w); put32(out, 2 * h);               // height counts image and mask
    put16(out, 1); put16(out, 32); put32(out, 0);
    put32(out, w * h * 4 + maskStride * h); put32(out, 0); put32(out, 0); put32(out, 0); put32(out, 0);
    for (int y = h - 1; y >= 0; --y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            out.append(char(qBlue(row[x]))); out.append(char(qGreen(row[x])));
            out.append(char(qRed(row[x]))); out.append(char(qAlpha(row[x])));
        }
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray maskRow(maskStride, 0);
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            if (qAlpha(row[x]) == 0)
                maskRow[x / 8] = char(maskRow[x / 8] | (0x80 >> (x % 8)));
        out.append(maskRow);
    }
    return out;
}

} // namespace art
