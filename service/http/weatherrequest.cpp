// SPDX-License-Identifier: GPL-2.0-or-later
#include "weatherrequest.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QList>
#include <QStringDecoder>

namespace service {
namespace {

HttpError refused(const QByteArray &why)
{
    return {400, why};
}

} // namespace

Result<WeatherRequest> parseWeatherRequest(const QByteArray &method, const QByteArray &path, const QByteArray &query)
{
    static const QByteArray prefix = "/weather/local/";
    if (method != "GET")
        return refused("seule la méthode GET est servie");
    if (!path.startsWith(prefix))
        return refused("chemin inconnu ; demandez /weather/local/<code>");
    const QByteArray segment = path.mid(prefix.size());
    if (segment.contains('/'))
        return refused("un code de lieu est un seul segment de chemin");
    WeatherRequest r;
    r.code = QByteArray::fromPercentEncoding(segment);
    for (const QByteArray &item : query.split('&')) {
        const qsizetype eq = item.indexOf('=');
        const QByteArray name = eq < 0 ? item : item.left(eq);
        const QByteArray value = eq < 0 ? QByteArray() : QByteArray::fromPercentEncoding(item.mid(eq + 1));
        if (name == "dayf") {
            bool number = !value.isEmpty() && value.size() <= 3;
            for (char c : value)
                number = number && c >= '0' && c <= '9';
            if (!number || value.toInt() < 1)
                return refused("dayf doit être un nombre de jours à partir de 1");
            r.days = qMin(value.toInt(), 9);
        } else if (name == "unit" && value != "m") {
            return refused("seules les unités métriques (unit=m) sont servies");
        }
    }
    return r;
}

Result<QString> parseCommuneQuery(const QByteArray &method, const QByteArray &query)
{
    if (method != "GET")
        return refused("seule la méthode GET est servie");
    QByteArray text;
    for (const QByteArray &item : query.split('&'))
        if (item.startsWith("q="))
            text = QByteArray::fromPercentEncoding(QByteArray(item.mid(2)).replace('+', ' '));
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = QString(utf8(text)).trimmed();
    if (text.size() > 64)
        return refused("q est limité à 64 octets");
    if (utf8.hasError() || decoded.isEmpty())
        return refused("q doit être un texte UTF-8 non vide");
    return decoded;
}

Result<Point> parseNearQuery(const QByteArray &method, const QByteArray &query)
{
    if (method != "GET")
        return refused("seule la méthode GET est servie");
    std::optional<double> latitude, longitude;
    for (const QByteArray &item : query.split('&')) {
        const qsizetype equals = item.indexOf('=');
        // A bare "lat" is a lat without value, not a name to pass over.
        const QByteArray name = equals < 0 ? item : item.left(equals), value = equals < 0 ? QByteArray() : item.mid(equals + 1);
        if (name != "lat" && name != "lon")
            continue;
        std::optional<double> &slot = name == "lat" ? latitude : longitude;
        if (slot)
            return refused(name + " est donné deux fois");
        // Digits, one dot, one leading minus: what a program writes, nothing a locale or an exponent
        // could make mean another place. At most 12 decimals, so no text is long.
        qsizetype i = value.startsWith('-') ? 1 : 0;
        const qsizetype digitsFrom = i;
        while (i < value.size() && value[i] >= '0' && value[i] <= '9')
            ++i;
        const qsizetype whole = i - digitsFrom;
        qsizetype fraction = 0;
        if (i < value.size() && value[i] == '.') {
            const qsizetype from = ++i;
            while (i < value.size() && value[i] >= '0' && value[i] <= '9')
                ++i;
            fraction = i - from;
            if (fraction == 0)
                i = -1;
        }
        if (i != value.size() || whole < 1 || whole > 3 || fraction > 12)
            return refused(name + " doit être un nombre décimal écrit avec un point");
        slot = value.toDouble();
    }
    if (!latitude || !longitude)
        return refused("lat et lon sont demandés");
    if (std::abs(*latitude) > 90 || std::abs(*longitude) > 180)
        return refused("lat doit être entre -90 et 90, lon entre -180 et 180");
    return Point{*latitude, *longitude};
}

Result<std::optional<qint64>> parseRainMapRequest(const QByteArray &method, const QByteArray &path, const QByteArray &query)
{
    if (method != "GET")
        return refused("seule la méthode GET est servie");
    if (!query.isEmpty())
        return refused("la carte des pluies ne prend pas de paramètres");
    if (path == "/carte/pluie")
        return std::optional<qint64>();
    // Ten digits, as a Unix time of this century writes itself: nothing else names a frame.
    const QByteArray digits = path.mid(int(sizeof "/carte/pluie/") - 1);
    if (digits.size() != 10 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return refused("image de carte mal nommée");
    return std::optional<qint64>(digits.toLongLong());
}

} // namespace service
