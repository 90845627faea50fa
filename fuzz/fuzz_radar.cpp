// SPDX-License-Identifier: GPL-2.0-or-later
// The radar mosaic's reader on arbitrary bytes given to libhdf5 from memory: an image or a reason,
// never a crash; an image read is of the promised span, and its rain on the map is no data or a
// fall within the product's range.
#include "fuzzproducts.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static service::RadarReader reader(fuzzRadar());
    const service::Result<service::RainField> field = reader.read(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!field.ok())
        return 0;
    if (field.value().end - field.value().start != 5 * 60)
        std::abort();
    for (const float mm : field.value().mm)
        if (!std::isnan(mm) && (mm < 0 || mm > fuzzRadar().maxMm))
            std::abort();
    return 0;
}
