// The time-of-day conversion on arbitrary text: either an error, or a valid time written back.
#include "common/error.h"
#include "weather/timetext.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const QByteArray shown = meteo::convertTimeText(text);
        // Whatever was accepted reads back as itself.
        if (shown.size() != 8 || meteo::convertTimeText(shown) != shown)
            std::abort();
    } catch (const meteo::Error &) {
    }
    return 0;
}
