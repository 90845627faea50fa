#include "response.h"

namespace meteo {

QByteArray headersStatus(int code, const QByteArray &reason)
{
    return "Réponse: " + QByteArray::number(code) + " " + reason;
}

QByteArray notStoredStatus(int code, const QByteArray &reason)
{
    return headersStatus(code, reason) + METEO_UNCHANGED;
}

QByteArray inputStatus(qint32 size)
{
    return QByteArray::number(size) + "...";
}

QByteArray disconnectStatus(const QByteArray &serviceHost)
{
    return "Déconnecté du site " + serviceHost;
}

QByteArray errorStatus(const QByteArray &msg)
{
    return msg + " Erreur...";
}

} // namespace meteo
