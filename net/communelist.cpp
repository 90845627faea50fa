// SPDX-License-Identifier: GPL-2.0-or-later
#include "communelist.h"

#include "common/error.h"

#include <QXmlStreamReader>
#include <algorithm>

namespace meteo {
namespace {
bool plainCode(const QByteArray &code)
{
    if (code.isEmpty() || code.size() > 16)
        return false;
    return std::all_of(code.begin(), code.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
}

// No C0 or C1 control, DEL, line or paragraph separator, nor the list's "=".
bool plainText(QStringView text)
{
    return std::none_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x20 || (u >= 0x7f && u <= 0x9f) || u == 0x2028 || u == 0x2029 || u == u'=';
    });
}

} // namespace

QByteArray FoundCommune::name() const
{
    const qsizetype at = label.lastIndexOf(" (");
    return at > 0 ? label.left(at) : label;
}

CommuneList parseCommuneList(const QByteArray &xml)
{
    CommuneList out;
    QXmlStreamReader reader(xml);
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("communes"))
            continue;
        if (reader.name() != QLatin1String("commune")) {
            reader.skipCurrentElement();
            continue;
        }
        FoundCommune c;
        c.code = reader.attributes().value(QLatin1String("code")).toUtf8();
        const QString postalCode = reader.attributes().value(QLatin1String("cp")).toString();
        // A distance as the service writes it ("0.4"), within the radius it answers for.
        bool number = false;
        const QStringView km = reader.attributes().value(QLatin1String("km"));
        const double distance = km.toDouble(&number);
        if (number && distance >= 0 && distance <= 30 && std::all_of(km.begin(), km.end(), [](QChar c) { return c.isDigit() || c == u'.'; }))
            c.km = distance;
        const QString label = reader.readElementText();
        c.postalCode = postalCode.toUtf8();
        c.label = label.toUtf8();
        if (out.communes.size() + out.ignored >= 100)
            continue;
        if (plainCode(c.code) && !label.isEmpty() && plainText(label) && plainText(postalCode))
            out.communes << c;
        else
            ++out.ignored;
    }
    if (reader.hasError())
        throw Error(QStringLiteral("liste des communes illisible (") + reader.errorString() + u')');
    return out;
}

} // namespace meteo
