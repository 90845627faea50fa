// SPDX-License-Identifier: GPL-2.0-or-later
// The rain map's index and frames on arbitrary bytes (the first byte chooses which): a frame read is
// exactly the grid's cells, an index read has its frames in order and every link a frame's path.
#include "common/error.h"
#include "weather/rainmap.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    try {
        if (data[0] % 2 == 0) {
            const meteo::RainMapIndex index = meteo::readRainMapIndex(bytes);
            if (index.frames.size() > meteo::kMaxRainFrames || double(index.columns) * index.rows > 1e6)
                std::abort();
            for (qsizetype i = 0; i < index.frames.size(); ++i)
                if ((!index.frames[i].href.isEmpty() && !index.frames[i].href.startsWith("/carte/pluie/"))  // empty: a gap
                    || (i > 0 && index.frames[i].time <= index.frames[i - 1].time))
                    std::abort();
        } else {
            meteo::RainMapIndex index;
            index.columns = 16;
            index.rows = 12;
            if (meteo::readRainFrame(bytes, index).size() != 16 * 12)
                std::abort();
        }
    } catch (const meteo::Error &) {
    }
    return 0;
}
