#include "request.h"

namespace meteo {

QByteArray weatherRequestUrl(const QByteArray &serviceHost, const QByteArray &code)
{
    return "http://" + serviceHost + "/weather/local/" + code + kWeatherQuery;
}

} // namespace meteo
