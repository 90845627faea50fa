// SPDX-License-Identifier: GPL-2.0-or-later
// AROME-PI's reader on arbitrary bytes given to ecCodes from memory: a run or a reason, never a
// crash; every step kept is a quarter hour of the six, its rain on the map no data or in range.
#include "fuzzproducts.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static service::PiReader reader(fuzzPi());
    const service::Result<service::PiRun> run = reader.read(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!run.ok())
        return 0;
    for (const service::RainField &step : run.value().steps) {
        if (step.end - step.start != 15 * 60 || step.start < run.value().reference || step.end > run.value().reference + 6 * 3600)
            std::abort();
        for (const float mm : step.mm)
            if (!std::isnan(mm) && (mm < 0 || mm > fuzzPi().maxMm))
                std::abort();
    }
    return 0;
}
