// SPDX-License-Identifier: GPL-2.0-or-later
#include "request.h"

namespace meteo {

QByteArray weatherRequestUrl(const QByteArray &serviceHost, const QByteArray &code)
{
    QByteArray segment = code.toPercentEncoding();
    if (segment == "." || segment == "..")
        segment.replace('.', "%2E");  // a lone dot segment would still be read as a path step
    return serviceUrl(serviceHost, "/weather/local/" + segment + kWeatherQuery);
}

QByteArray serviceUrl(const QByteArray &serviceHost, const QByteArray &target)
{
    return "http://" + serviceHost + target;
}

} // namespace meteo
