// SPDX-License-Identifier: GPL-2.0-or-later
#include "precipitation.h"

#include "hourly.h"

#include <QString>

namespace meteo {

Precipitation precipitationOf(const QByteArray &icon)
{
    bool ok = false;
    const int code = icon.toInt(&ok);
    if (!ok)
        return Precipitation::Rain;
    switch (code) {
    case 13: case 14: case 15: case 16: case 41: case 42: case 43: case 46:
        return Precipitation::Snow;
    case 8: case 10:
        return Precipitation::FreezingRain;
    case 5: case 6: case 7: case 17: case 18: case 35:  // rain with snow, sleet or hail
        return Precipitation::Mixed;
    default:
        return Precipitation::Rain;
    }
}

Precipitation commonPrecipitation(const QList<Precipitation> &kinds)
{
    if (kinds.isEmpty())
        return Precipitation::Rain;
    for (const Precipitation k : kinds)
        if (k != kinds.first())
            return Precipitation::Mixed;
    return kinds.first();
}

QByteArray precipitationWord(Precipitation kind)
{
    switch (kind) {
    case Precipitation::Snow: return "neige";
    case Precipitation::FreezingRain: return "pluie verglaçante";
    case Precipitation::Mixed: return "précipitations";
    default: return "pluie";
    }
}

QByteArray agreed(Precipitation kind, const QByteArray &feminineAdjective)
{
    return kind == Precipitation::Mixed && !feminineAdjective.isEmpty() ? feminineAdjective + 's' : feminineAdjective;
}

QByteArray capitalised(const QByteArray &utf8)
{
    const QString text = QString::fromUtf8(utf8);
    return text.isEmpty() ? utf8 : (text.left(1).toUpper() + text.mid(1)).toUtf8();
}

QByteArray precipitationSpell(Precipitation kind, RainIntensity intensity)
{
    return capitalised(precipitationWord(kind)) + ' ' + agreed(kind, intensityWord(intensity));
}

} // namespace meteo
