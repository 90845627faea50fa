// SPDX-License-Identifier: GPL-2.0-or-later
#include "rainmap.h"

#include "common/instanttext.h"

#include <QBuffer>
#include <QImage>
#include <QTimeZone>
#include <cstring>

namespace service {

QList<qint64> rainFrameInstants(const QDateTime &now)
{
    const qint64 n = now.toSecsSinceEpoch(), quarter = n / 900 * 900;
    QList<qint64> out;
    for (qint64 t = quarter - 8 * 900; t <= quarter + 24 * 900; t += 900)
        out << t;
    // French offsets are whole hours: a UTC hour is a local one.
    for (qint64 t = (quarter + 24 * 900) / 3600 * 3600 + 3600; t <= n + 48 * 3600; t += 3600)
        out << t;
    return out;
}

bool isQuarterFrame(qint64 t, const QDateTime &now)
{
    const qint64 quarter = now.toSecsSinceEpoch() / 900 * 900;
    return t >= quarter - 8 * 900 && t <= quarter + 24 * 900;
}

QByteArray rainIndexXml(const RainMapIndex &index, const MapGrid &grid)
{
    const QTimeZone paris("Europe/Paris");
    const auto when = [&paris](const QDateTime &t) { return meteo::instantText(t.toTimeZone(paris)).toLatin1(); };
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<carte zone=\"metropole\" proj=\"EPSG:2154\" x0=\""
                     + QByteArray::number(grid.x0, 'f', 0) + "\" y0=\"" + QByteArray::number(grid.y0, 'f', 0) + "\" pas=\""
                     + QByteArray::number(grid.step, 'f', 0) + "\" nx=\"" + QByteArray::number(grid.columns) + "\" ny=\""
                     + QByteArray::number(grid.rows) + "\" src=\"" + index.source + "\" maj=\"" + when(index.made) + '"'
                     + (index.end.isValid() ? " fin=\"" + when(index.end) + '"' : QByteArray()) + ">\n";
    for (const qint64 t : index.frames) {
        xml += "  <image t=\"" + when(QDateTime::fromSecsSinceEpoch(t, QTimeZone::utc())) + '"';
        switch (index.natures.value(t, FrameNature::Unsaid)) {
        case FrameNature::Observed: xml += " nature=\"observee\""; break;
        case FrameNature::Forecast: xml += " nature=\"prevue\""; break;
        case FrameNature::Unsaid: break;
        }
        xml += index.absent.contains(t) ? QByteArray("/>\n") : " href=\"/carte/pluie/" + QByteArray::number(t) + "\"/>\n";
    }
    return xml + "</carte>\n";
}

QByteArray rainFramePng(const QByteArray &cells, const MapGrid &grid)
{
    QImage image(grid.columns, grid.rows, QImage::Format_Grayscale8);
    for (int row = 0; row < grid.rows; ++row)
        std::memcpy(image.scanLine(row), cells.constData() + qsizetype(row) * grid.columns, size_t(grid.columns));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace service
