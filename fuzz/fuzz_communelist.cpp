// SPDX-License-Identifier: GPL-2.0-or-later
// The commune search answer on arbitrary bytes: whatever the service says, what reaches the list can
// become exactly one line "name=code" of villes.ini.
#include "net/communelist.h"
#include "common/error.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray xml(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const meteo::CommuneList list = meteo::parseCommuneList(xml);
        for (const meteo::FoundCommune &c : list.communes) {
            const QByteArray line = c.label + '=' + c.code;
            if (c.code.isEmpty() || c.code.size() > 16 || line.count('=') != 1 || line.contains('\n') || line.contains('\r'))
                std::abort();
            if (QString::fromUtf8(c.name()).contains(QChar(0x2028)))
                std::abort();
        }
    } catch (const meteo::Error &) {
    }
    return 0;
}
