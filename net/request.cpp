#include "request.h"

namespace meteo {

QByteArray weatherRequestUrl(const QByteArray &serviceHost, const QByteArray &code)
{
    QByteArray segment = code.toPercentEncoding();
    if (segment == "." || segment == "..")
        segment.replace('.', "%2E");  // a lone dot segment would still be read as a path step
    return "http://" + serviceHost + "/weather/local/" + segment + kWeatherQuery;
}

} // namespace meteo
