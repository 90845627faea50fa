// SPDX-License-Identifier: GPL-2.0-or-later
#include "extraction.h"

#include "common/error.h"
#include "xmlshape.h"

#include <QDomDocument>
#include <QFile>

namespace meteo {
namespace {

QString pathText(std::initializer_list<const char *> path)
{
    QStringList names;
    for (const char *p : path)
        names << QString::fromUtf8(p);
    return names.join(u'/');
}

} // namespace

WeatherDocument::WeatherDocument(const QString &nam) : nam_(nam)
{
    QFile file(nam);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(nam + QStringLiteral(": fichier introuvable ou illisible (") + file.errorString() + u')');
    parse(file.readAll());
}

WeatherDocument::WeatherDocument(const QByteArray &bytes, const QString &nam) : nam_(nam)
{
    parse(bytes);
}

std::atomic<quint64> WeatherDocument::parses_{0};

void WeatherDocument::parse(const QByteArray &bytes)
{
    ++parses_;
    const QString &nam = nam_;
    if (const QString fault = xmlShapeFault(bytes); !fault.isEmpty())
        throw Error(nam + QStringLiteral(": document refusé, ") + fault);
    // The reader's own words are English: the place of the fault is said, in French, alone.
    int line = 0, column = 0;
    if (!doc_.setContent(bytes, nullptr, &line, &column))
        throw Error(QStringLiteral("%1: XML invalide ligne %2, colonne %3").arg(nam).arg(line).arg(column));
}

QByteArray WeatherDocument::text(std::initializer_list<const char *> path) const
{
    QDomElement element = doc_.documentElement();
    for (const char *name : path) {
        element = element.firstChildElement(QString::fromUtf8(name));
        if (element.isNull())
            break;
    }
    const QDomNode first = element.firstChild();
    if (first.isNull())
        throw Error(nam_ + QStringLiteral(": élément ") + pathText(path) + QStringLiteral(" absent ou vide"));
    // An element's text content is all text inside it; any other node gives its own value.
    const QString text = first.isElement() ? first.toElement().text() : first.nodeValue();
    return text.toUtf8();
}

QByteArray getGenerique2(const WeatherDocument &doc, const char *p1, const char *p2)
{
    return doc.text({p1, p2});
}

QByteArray getGenerique3(const WeatherDocument &doc, const char *p1, const char *p2, const char *p3)
{
    return doc.text({p1, p2, p3});
}

void assigneMeteo(const QString &nam, TConditionMeteo &cond)
{
    assigneMeteo(WeatherDocument(nam), cond);
}

CheckedDocument checkWeatherDocument(const QByteArray &bytes, const QString &nam)
{
    CheckedDocument checked{std::make_shared<const WeatherDocument>(bytes, nam), {}};
    assigneMeteo(*checked.document, checked.condition);
    return checked;
}

void assigneMeteo(const WeatherDocument &Nam, TConditionMeteo &c)
{
    // Each caption is stored only after its value was read, so a failing step leaves both unchanged.
    auto texte = [&](TTextes &field, const QByteArray &value, const char *caption) {
        field.Texte = value;
        field.LLabel = caption;
    };
    texte(c.Coucher_du_Soleil, getGenerique3(Nam, "dayf", "day", "suns"), "Coucher Du Soleil ");
    c.Date_Mesure = getGenerique2(Nam, "loc", "tm");
    c.Etat_Pression = getGenerique3(Nam, "cc", "bar", "d");
    texte(c.Humidite, getGenerique2(Nam, "cc", "hmid"), "Humidité ");
    c.Icon_Jour = getGenerique2(Nam, "cc", "icon");
    texte(c.Lever_du_Soleil, getGenerique3(Nam, "dayf", "day", "sunr"), "Lever du Soleil ");
    c.Nuages = getGenerique2(Nam, "cc", "t");
    texte(c.Pression, getGenerique3(Nam, "cc", "bar", "r"), "Pression ");
    texte(c.Temperature, getGenerique2(Nam, "cc", "tmp"), "Température ");
    c.Temperature_Hi.Texte = getGenerique3(Nam, "dayf", "day", "hi");  // no caption: never shown
    texte(c.Temperature_Low, getGenerique3(Nam, "dayf", "day", "low"), "Température Prévue (Nuit) ");
    texte(c.Temperature_Ressentie, getGenerique2(Nam, "cc", "flik"), "Température Ressentie ");
    c.Visibilite = getGenerique2(Nam, "cc", "vis");
    c.Ville_M = getGenerique2(Nam, "loc", "dnam");
    c.Latitude = getGenerique2(Nam, "loc", "lat");
    c.Longitude = getGenerique2(Nam, "loc", "lon");
    const QByteArray obst = getGenerique2(Nam, "cc", "obst");
    texte(c.Station, obst + "  " + getGenerique2(Nam, "cc", "lsup"), "Station de ");
    c.Unite_Temp = getGenerique2(Nam, "head", "ut");
    c.Unite_Pression = getGenerique2(Nam, "head", "up");
    texte(c.Vent, getGenerique3(Nam, "cc", "wind", "t"), "Vent ");
    texte(c.UV, getGenerique3(Nam, "cc", "uv", "i"), "Indice UV ");
}

} // namespace meteo
