// SPDX-License-Identifier: GPL-2.0-or-later
#include "response.h"

#include <QXmlStreamReader>
#include <algorithm>

namespace meteo {

QByteArray headersStatus(int code, const QByteArray &reason)
{
    return "Réponse: " + QByteArray::number(code) + " " + reason;
}

QByteArray notStoredStatus(int code, const QByteArray &reason, const QByteArray &body)
{
    const QByteArray why = serviceErrorText(body);
    return headersStatus(code, reason) + (why.isEmpty() ? QByteArray() : " — " + why) + METEO_UNCHANGED;
}

QByteArray serviceErrorText(const QByteArray &body)
{
    if (body.size() > 4096)
        return {};  // an error document is a line or two; anything larger is not one
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("error"))
        return {};
    QString text;
    bool message = false;
    while (xml.readNext() != QXmlStreamReader::EndDocument && !xml.hasError()) {
        if (xml.isStartElement() && xml.name() == QLatin1String("message") && !message) {
            text = xml.readElementText();
            message = true;
        } else if (xml.isCharacters() && !message) {
            text += xml.text();
        } else if (xml.isStartElement()) {
            xml.skipCurrentElement();
        }
    }
    text = text.trimmed();
    const bool plain = std::none_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f) || c == QChar(0x2028) || c == QChar(0x2029);
    });
    if (xml.hasError() || text.isEmpty() || text.size() > 100 || !plain)
        return {};
    return text.toUtf8();
}

QString unreachableText(const QByteArray &message)
{
    return QStringLiteral("Service météo injoignable (%1)").arg(QString::fromUtf8(message));
}

QString refusalText(int code, const QByteArray &body)
{
    const QByteArray why = serviceErrorText(body);
    return QStringLiteral("Le service a répondu %1").arg(code) + (why.isEmpty() ? QString() : QStringLiteral(" — ") + QString::fromUtf8(why));
}

QString noBodyText()
{
    return QStringLiteral("Aucune donnée reçue");
}

QString unreadableServiceText(const QByteArray &url)
{
    return QStringLiteral("Adresse du service illisible : ") + QString::fromUtf8(url);
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
