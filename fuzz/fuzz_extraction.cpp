// SPDX-License-Identifier: GPL-2.0-or-later
// The whole fill of the weather record from arbitrary document bytes.
#include "common/error.h"
#include "weather/extraction.h"

#include <QFile>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = QStringLiteral("/tmp/meteo-fuzz-%1.xml").arg(getpid());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    TConditionMeteo record;
    try {
        meteo::assigneMeteo(path, record);
    } catch (const meteo::Error &) {
    }
    return 0;
}
