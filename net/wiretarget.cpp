// SPDX-License-Identifier: GPL-2.0-or-later
#include "wiretarget.h"

namespace meteo {
namespace {

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

QByteArray wireTarget(const QByteArray &uri)
{
    static const QByteArray unsafe = "\"#<>\\^`{|}";
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(uri.size() + 1);
    if (!uri.startsWith('/'))
        out += '/';
    for (qsizetype i = 0; i < uri.size(); ++i) {
        const uchar c = uchar(uri[i]);
        const bool strayPercent = c == '%' && !(i + 2 < uri.size() && isHex(uri[i + 1]) && isHex(uri[i + 2]));
        if (c <= 0x20 || c >= 0x7F || unsafe.contains(char(c)) || strayPercent) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else {
            out += char(c);
        }
    }
    return out;
}

} // namespace meteo
