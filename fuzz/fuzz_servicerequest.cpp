// SPDX-License-Identifier: GPL-2.0-or-later
// The service's request parsing (weather and commune search): method, path and query split from
// arbitrary bytes by NULs.
#include "service/http/weatherrequest.h"

#include <QList>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> parts = QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).split('\0');
    const service::Result<service::WeatherRequest> r =
        service::parseWeatherRequest(parts.value(0), parts.value(1), parts.value(2));
    if (r.ok() && (r.value().days < 1 || r.value().days > 9))
        std::abort();
    if (!r.ok() && (r.error().status != 400 || r.error().text.isEmpty()))
        std::abort();
    const service::Result<QString> q = service::parseCommuneQuery(parts.value(0), parts.value(2));
    if (q.ok() ? (q.value().isEmpty() || q.value().toUtf8().size() > 64) : q.error().text.isEmpty())
        std::abort();
    return 0;
}
