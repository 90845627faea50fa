// SPDX-License-Identifier: GPL-2.0-or-later
// URL decomposition and the request target on the wire, on arbitrary text.
#include "net/decomposeurl.h"
#include "net/wiretarget.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray url(reinterpret_cast<const char *>(data), qsizetype(size));
    QByteArray host, uri;
    quint16 port = 0;
    (void)meteo::DecomposeURL(url, host, uri, port);
    if (!uri.startsWith('/'))
        std::abort();
    // The request line stays one line of visible ASCII, whatever the URI holds.
    const QByteArray wire = meteo::wireTarget(uri);
    for (char c : wire)
        if (uchar(c) <= 0x20 || uchar(c) >= 0x7F || c == '#')
            std::abort();
    if (QByteArray::fromPercentEncoding(wire) != QByteArray::fromPercentEncoding(uri) && !uri.contains('%'))
        std::abort();
    return 0;
}
