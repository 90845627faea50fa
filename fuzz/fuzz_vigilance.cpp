// SPDX-License-Identifier: GPL-2.0-or-later
// The vigilance map's reader on arbitrary JSON: a map or a reason, never a crash; every warning it
// keeps is a phenomenon it can name, a colour above green, and a span that ends after it begins.
#include "service/live/vigilance.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const service::Result<service::VigilanceMap> map =
        service::parseVigilanceMap(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!map.ok())
        return 0;
    for (auto it = map.value().byDepartment.cbegin(); it != map.value().byDepartment.cend(); ++it) {
        if (!service::isMetropolitanDepartment(it.key()))
            std::abort();
        for (const service::Warning &w : it.value())
            if (int(w.phenomenon) < 1 || int(w.phenomenon) > 9 || w.colour < meteo::WarningColour::Jaune
                || w.colour > meteo::WarningColour::Rouge || !(w.begin < w.end))
                std::abort();
    }
    return 0;
}
