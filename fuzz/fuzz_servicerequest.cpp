// The service's request parsing (weather and commune search): method, path and query split from
// arbitrary bytes by NULs.
#include "service/weatherrequest.h"

#include <QList>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> parts = QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).split('\0');
    const service::WeatherRequest r = service::parseWeatherRequest(parts.value(0), parts.value(1), parts.value(2));
    if (r.ok && (r.days < 1 || r.days > 9 || !r.problem.isEmpty()))
        std::abort();
    if (!r.ok && r.problem.isEmpty())
        std::abort();
    const service::CommuneQuery q = service::parseCommuneQuery(parts.value(0), parts.value(2));
    if (q.ok != q.problem.isEmpty() || (q.ok && (q.text.isEmpty() || q.text.toUtf8().size() > 64)))
        std::abort();
    return 0;
}
