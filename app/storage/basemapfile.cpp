// SPDX-License-Identifier: GPL-2.0-or-later
#include "basemapfile.h"

#include "common/error.h"
#include "places.h"

#include <QFile>
#include <cmath>

namespace meteo {

QList<BaseMapRing> readBaseMap(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > 8 * 1024 * 1024)
        throw Error(path + QStringLiteral(" : fond de carte illisible"));
    QList<BaseMapRing> rings;
    int line = 0;
    while (!file.atEnd()) {
        const QByteArray text = file.readLine().trimmed();
        ++line;
        if (text.isEmpty() || text.startsWith('#'))
            continue;
        const QList<QByteArray> fields = text.split(' ');
        BaseMapRing ring{fields.first(), {}};
        for (qsizetype i = 1; i < fields.size(); ++i) {
            const qsizetype comma = fields[i].indexOf(',');
            bool lonOk = false, latOk = false;
            const double lon = fields[i].left(comma).toDouble(&lonOk), lat = fields[i].mid(comma + 1).toDouble(&latOk);
            if (comma < 0 || !lonOk || !latOk || std::abs(lat) > 85 || std::abs(lon) > 180)
                throw Error(path + QStringLiteral(" : ligne %1 illisible").arg(line));
            ring.points << toLambert93({lat, lon});
        }
        if (ring.points.size() < 3)
            throw Error(path + QStringLiteral(" : ligne %1 illisible").arg(line));
        rings << ring;
    }
    return rings;
}

QString shippedBaseMap()
{
    return Places::current().programDir() + QStringLiteral("/carte-france.txt");
}

} // namespace meteo
