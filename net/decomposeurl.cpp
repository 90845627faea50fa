// SPDX-License-Identifier: GPL-2.0-or-later
#include "decomposeurl.h"

namespace meteo {

bool DecomposeURL(const QByteArray &url, QByteArray &AHost, QByteArray &AURI, quint16 &APort, bool *secure)
{
    if (secure)
        *secure = false;
    AHost.clear();
    AURI = "/";
    APort = 80;
    QByteArrayView rest(url);
    bool ok = true;
    const qsizetype schemeEnd = rest.indexOf("://");
    if (schemeEnd < 0) {
        ok = false;
    } else {
        if (rest.first(schemeEnd).compare("https", Qt::CaseInsensitive) == 0) {
            APort = 443;
            if (secure)
                *secure = true;
        }
        else if (rest.first(schemeEnd).compare("http", Qt::CaseInsensitive) != 0)
            ok = false;
        rest = rest.sliced(schemeEnd + 3);
    }
    qsizetype authorityEnd = rest.size();
    for (char stop : {'/', '?', '#'}) {
        const qsizetype at = rest.indexOf(stop);
        if (at >= 0 && at < authorityEnd)
            authorityEnd = at;
    }
    QByteArrayView authority = rest.first(authorityEnd);
    if (authorityEnd < rest.size())
        AURI = rest[authorityEnd] == '/' ? rest.sliced(authorityEnd).toByteArray()
                                         : "/" + rest.sliced(authorityEnd).toByteArray();
    if (const qsizetype at = authority.lastIndexOf('@'); at >= 0)
        authority = authority.sliced(at + 1);
    // The port follows the last ':' unless that colon is inside an IPv6 literal.
    const qsizetype colon = authority.lastIndexOf(':');
    if (colon >= 0 && colon > authority.lastIndexOf(']')) {
        const QByteArrayView port = authority.sliced(colon + 1);
        bool number = !port.isEmpty() && port.size() <= 5;
        for (char ch : port)
            number = number && ch >= '0' && ch <= '9';
        const uint value = number ? port.toByteArray().toUInt() : 0;
        if (number && value <= 65535)
            APort = quint16(value);
        else
            ok = false;
        authority = authority.first(colon);
    }
    AHost = authority.toByteArray();
    return ok && !AHost.isEmpty();
}

} // namespace meteo
