// SPDX-License-Identifier: GPL-2.0-or-later
#include "display.h"

#include "meteo_version.h"

#include <QFileInfo>

#include "common/error.h"
#include "timetext.h"

namespace meteo {

QByteArray composeCaption(const TConditionMeteo &c, QDate today)
{
    return "Météo du " + shortDateText(today) + "   " + convertTimeText(c.Date_Mesure) + "    Version " METEO_VERSION;
}

QByteArray composeLabel(int number, const TConditionMeteo &c, const Translator &traduire)
{
    auto temperature = [&](const TTextes &t) { return t.LLabel + t.Texte + "°" + c.Unite_Temp; };
    auto joined = [](const TTextes &t) { return t.LLabel + t.Texte; };
    switch (number) {
    case 1: return c.Ville_M;
    case 2: return temperature(c.Temperature);
    case 3: return temperature(c.Temperature_Ressentie);
    case 4: return temperature(c.Temperature_Low);
    case 5: return joined(c.Pression) + " " + c.Unite_Pression + " " + traduire(c.Etat_Pression);
    case 6: return c.Lever_du_Soleil.LLabel + convertTimeText(c.Lever_du_Soleil.Texte);
    case 7: return c.Coucher_du_Soleil.LLabel + convertTimeText(c.Coucher_du_Soleil.Texte);
    case 8: return joined(c.Humidite) + " %";
    case 9: return traduire(c.Nuages);
    case 10: return joined(c.Station);
    case 11: return joined(c.Vent);
    case 12: return joined(c.UV);
    }
    throw Error(QStringLiteral("pas d'étiquette Label%1").arg(number));
}

bool isSafeIconCode(const QByteArray &code)
{
    return code.size() <= 32 && !code.contains('/') && !code.contains('\\') && !code.contains("..")
           && !code.contains('\0');
}

QString sharpIconPath(const QString &path, double devicePixelRatio)
{
    if (devicePixelRatio <= 1 || !path.endsWith(QStringLiteral(".png")))
        return path;
    const QString sharp = path.chopped(4) + QStringLiteral("@2x.png");
    return QFileInfo::exists(sharp) ? sharp : path;
}

QString iconPath(const QString &chemin, const QByteArray &iconCode)
{
    return chemin + QStringLiteral("/icons/") + QString::fromUtf8(iconCode) + QStringLiteral(".png");
}

void writeDisplay(const TConditionMeteo &c, const Translator &traduire, QDate today, const QString &chemin,
                  DisplayTarget &target)
{
    target.setCaption(composeCaption(c, today));
    for (int n = 1; n <= 9; ++n)
        target.setLabel(n, composeLabel(n, c, traduire));
    const QString icon = iconPath(chemin, c.Icon_Jour);
    // A hostile code fails exactly like a missing icon, without touching the file system.
    if (!isSafeIconCode(c.Icon_Jour))
        throw Error(icon + QStringLiteral(": fichier introuvable"));
    target.loadIcon(icon);
    for (int n = 10; n <= 12; ++n)
        target.setLabel(n, composeLabel(n, c, traduire));
}

} // namespace meteo
