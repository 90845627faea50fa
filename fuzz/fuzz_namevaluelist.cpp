// SPDX-License-Identifier: GPL-2.0-or-later
// The name=value list on arbitrary bytes, with every look-up it offers.
#include "weather/namevaluelist.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    meteo::NameValueList list;
    list.loadFromBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (int i = 0; i < list.count(); ++i) {
        const QByteArray name = list.name(i);
        const int first = list.indexOfName(name);
        // The first entry of a name is never after this one, and gives the value by name.
        if (first < 0 || first > i || list.value(name) != list.valueAt(first))
            std::abort();
        if (name.contains('=') || name.contains('\n') || list.valueAt(i).contains('\n'))
            std::abort();
    }
    return 0;
}
