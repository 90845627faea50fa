// SPDX-License-Identifier: GPL-2.0-or-later
// The document's time and number texts on arbitrary input: the time of day either an error or a
// valid time written back; an instant either refused or written back as the same instant with the
// same offset; a measure either refused or a finite number within its range.
#include "common/error.h"
#include "common/instanttext.h"
#include "weather/hourly.h"
#include "weather/timetext.h"

#include <cmath>
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
    if (const std::optional<QDateTime> t = meteo::readInstantText(QString::fromUtf8(text), 3600)) {
        const std::optional<QDateTime> again = meteo::readInstantText(meteo::instantText(*t));
        if (!t->isValid() || !again || *again != *t || again->offsetFromUtc() != t->offsetFromUtc())
            std::abort();
    }
    if (const std::optional<double> v = meteo::readMeasure(text, -90, 60); v && !(*v >= -90 && *v <= 60))
        std::abort();
    return 0;
}
