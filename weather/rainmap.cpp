// SPDX-License-Identifier: GPL-2.0-or-later
#include "rainmap.h"

#include "common/error.h"
#include "common/frenchtext.h"
#include "common/instanttext.h"
#include "hourly.h"
#include "precipitation.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QXmlStreamReader>
#include <cstring>
#include <cmath>

namespace meteo {
namespace {

Error refused(const QString &why)
{
    return Error(QStringLiteral("carte des pluies : ") + why);
}

double number(const QXmlStreamAttributes &a, const char *name, double low, double high)
{
    bool ok = false;
    const QStringView text = a.value(QLatin1StringView(name));
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < low || v > high)
        throw refused(QStringLiteral("%1 illisible ou hors limites : « %2 »").arg(QLatin1StringView(name), text.left(40)));
    return v;
}

// A time with its offset: the map's frames are instants, never a wall clock's reading.
QDateTime instant(QStringView text)
{
    const bool offset = text.size() > 16 && (text.endsWith(u'Z') || text.at(text.size() - 6) == u'+' || text.at(text.size() - 6) == u'-');
    const std::optional<QDateTime> t = offset ? readInstantText(text) : std::nullopt;
    if (!t)
        throw refused(QStringLiteral("heure illisible : « %1 »").arg(text.left(40)));
    return *t;
}

bool frameLink(QStringView href)
{
    static const QLatin1StringView prefix("/carte/pluie/");
    if (!href.startsWith(prefix) || href.size() == prefix.size() || href.size() > prefix.size() + 12)
        return false;
    return std::all_of(href.begin() + prefix.size(), href.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString lowerFirst(const QByteArray &utf8)
{
    QString s = QString::fromUtf8(utf8);
    if (!s.isEmpty())
        s[0] = s[0].toLower();
    return s;
}

// "16 h", or "jeudi 3 h" on another day than `from`'s.
QString timeFrom(const QDateTime &t, const QDateTime &from)
{
    return t.date() == from.date() ? french::hour(t.time()) : frameTimeText(t);
}

} // namespace

RainMapIndex readRainMapIndex(const QByteArray &xml)
{
    if (xml.size() > kMaxRainIndexBytes)
        throw refused(QStringLiteral("index de plus de 256 Kio"));
    QXmlStreamReader reader(xml);
    RainMapIndex index;
    bool root = false;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference)
            throw refused(QStringLiteral("index avec une DTD"));
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = reader.attributes();
        if (!root) {
            if (reader.name() != QLatin1StringView("carte"))
                throw refused(QStringLiteral("ce n'est pas un index de carte"));
            root = true;
            if (a.value(QLatin1StringView("proj")) != QLatin1StringView("EPSG:2154"))
                throw refused(QStringLiteral("projection autre que Lambert-93"));
            index.x0 = number(a, "x0", -1e7, 1e7);
            index.y0 = number(a, "y0", -1e7, 2e7);
            index.step = number(a, "pas", 100, 100000);
            index.columns = int(number(a, "nx", 1, 4000));
            index.rows = int(number(a, "ny", 1, 4000));
            if (double(index.columns) * index.rows > 1e6 || index.columns != number(a, "nx", 1, 4000) || index.rows != number(a, "ny", 1, 4000))
                throw refused(QStringLiteral("grille de %1 × %2 cellules").arg(index.columns).arg(index.rows));
            const QString source = a.value(QLatin1StringView("src")).toString();
            if (source.size() > 40 || std::any_of(source.begin(), source.end(), [](QChar c) { return !c.isPrint(); }))
                throw refused(QStringLiteral("source illisible"));
            index.source = source.toUtf8();
            index.made = instant(a.value(QLatin1StringView("maj")));
            if (a.hasAttribute(QLatin1StringView("fin")))
                index.end = instant(a.value(QLatin1StringView("fin")));
        } else if (reader.name() == QLatin1StringView("image")) {
            if (index.frames.size() == kMaxRainFrames)
                throw refused(QStringLiteral("plus de %1 images").arg(kMaxRainFrames));
            const QDateTime t = instant(a.value(QLatin1StringView("t")));
            if (!index.frames.isEmpty() && t <= index.frames.last().time)
                throw refused(QStringLiteral("images dans le désordre"));
            // An image without a link is a gap the service says it has: listed, never drawn dry.
            const QStringView href = a.value(QLatin1StringView("href"));
            if (a.hasAttribute(QLatin1StringView("href")) && !frameLink(href))
                throw refused(QStringLiteral("lien d'image inattendu : « %1 »").arg(href.left(60)));
            const QStringView nature = a.value(QLatin1StringView("nature"));
            if (!nature.isEmpty() && nature != QLatin1StringView("observee") && nature != QLatin1StringView("prevue"))
                throw refused(QStringLiteral("nature d'image inconnue : « %1 »").arg(nature.left(20)));
            index.frames << RainFrameRef{t, href.toLatin1(),
                                         nature.isEmpty()                             ? RainFrameRef::Nature::Unsaid
                                         : nature == QLatin1StringView("observee") ? RainFrameRef::Nature::Observed
                                                                                   : RainFrameRef::Nature::Forecast};
        }
    }
    if (reader.hasError() || !root)
        throw refused(QStringLiteral("index illisible") + (reader.hasError() ? QStringLiteral(" (%1)").arg(reader.errorString()) : QString()));
    return index;
}

QByteArray readRainFrame(const QByteArray &png, const RainMapIndex &index)
{
    if (png.size() > kMaxRainFrameBytes)
        throw refused(QStringLiteral("image de plus de 1 Mio"));
    QBuffer buffer;
    buffer.setData(png);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    // The header first: nothing larger than the index says is ever decoded.
    if (!png.startsWith("\x89PNG\r\n\x1a\n") || !reader.canRead())
        throw refused(QStringLiteral("ce n'est pas une image PNG"));
    if (reader.size() != QSize(index.columns, index.rows))
        throw refused(QStringLiteral("image de %1 × %2 au lieu de %3 × %4")
                          .arg(reader.size().width()).arg(reader.size().height()).arg(index.columns).arg(index.rows));
    if (reader.imageFormat() != QImage::Format_Grayscale8)
        throw refused(QStringLiteral("image qui n'est pas en niveaux de gris sur 8 bits"));
    QImage image;
    if (!reader.read(&image) || image.format() != QImage::Format_Grayscale8 || image.size() != QSize(index.columns, index.rows))
        throw refused(QStringLiteral("image tronquée ou illisible"));
    QByteArray cells(qsizetype(index.columns) * index.rows, Qt::Uninitialized);
    for (int row = 0; row < index.rows; ++row)
        std::memcpy(cells.data() + qsizetype(row) * index.columns, image.constScanLine(row), size_t(index.columns));
    return cells;
}

QString frameTimeText(const QDateTime &frame)
{
    return french::dayName(frame.date()) + u' ' + french::hour(frame.time());
}

int frameAt(const QList<RainFrameRef> &frames, const QDateTime &now)
{
    if (frames.isEmpty())
        return -1;
    const auto after = std::upper_bound(frames.begin(), frames.end(), now, [](const QDateTime &t, const RainFrameRef &f) { return t < f.time; });
    return after == frames.begin() ? 0 : int(after - frames.begin()) - 1;
}

QString frameDistance(const QDateTime &frame, const QDateTime &nowFrame)
{
    const qint64 minutes = nowFrame.secsTo(frame) / 60;
    if (minutes == 0)
        return QStringLiteral("maintenant");
    const qint64 m = std::abs(minutes);
    const QString span = m < 60 ? QStringLiteral("%1 min").arg(m)
                         : m % 60 == 0 ? QStringLiteral("%1 h").arg(m / 60)
                                       : QStringLiteral("%1 h %2").arg(m / 60).arg(m % 60, 2, 10, QLatin1Char('0'));
    return (minutes < 0 ? QStringLiteral("il y a ") : QStringLiteral("dans ")) + span;
}

QString frameDistance(const RainFrameRef &frame, const QDateTime &nowFrame)
{
    const QString distance = frameDistance(frame.time, nowFrame);
    switch (frame.nature) {
    case RainFrameRef::Nature::Observed: return QStringLiteral("observée ") + distance;
    case RainFrameRef::Nature::Forecast: return QStringLiteral("prévue ") + distance;
    case RainFrameRef::Nature::Unsaid: break;
    }
    return distance;
}

QString cellWords(const std::optional<rain::Cell> &cell)
{
    if (!cell)
        return QStringLiteral("pas de données");
    if (cell->level == 0)
        return QStringLiteral("sec");
    const auto kind = Precipitation(int(cell->fall));  // the same four, in the same order
    return lowerFirst(precipitationSpell(kind, intensityOf(rain::mmPerHourOf(cell->level) / 4)));
}

QString placeOutlook(const QString &place, const QList<PlaceFrame> &frames)
{
    if (frames.isEmpty())
        return place + QStringLiteral(" : hors des images de la carte");
    const QString first = cellWords(frames.first().cell);
    const auto change = std::find_if(frames.begin(), frames.end(), [&first](const PlaceFrame &f) { return cellWords(f.cell) != first; });
    const QDateTime from = frames.first().time;
    if (change == frames.end())
        return place + QStringLiteral(" : %1 jusqu'à %2").arg(first, timeFrom(frames.last().time, from));
    const QString then = cellWords(change->cell), until = timeFrom(change->time, from);
    if (first == QStringLiteral("sec"))
        return place + QStringLiteral(" : sec jusqu'à %1, puis %2").arg(until, then);
    return place + QStringLiteral(" : %1 de %2 à %3, puis %4").arg(first, french::hour(from.time()), until, then);
}

QString citiesSentence(const QDateTime &frame, const QList<CityCell> &cities)
{
    QStringList wet, unknown;
    int dry = 0;
    QByteArray dryName;
    std::optional<rain::Fall> previous;
    for (const CityCell &c : cities) {
        const QString at = QString::fromUtf8(french::atPlace(c.name));
        if (!c.cell) {
            unknown << at;
        } else if (c.cell->level == 0) {
            ++dry;
            dryName = c.name;
        } else {
            QString words = cellWords(c.cell);
            const QString kind = QString::fromUtf8(precipitationWord(Precipitation(int(c.cell->fall))));
            if (previous == c.cell->fall && words.startsWith(kind + u' '))
                words = words.mid(kind.size() + 1);  // "pluie modérée à Brest, faible à Quimper"
            previous = c.cell->fall;
            wet << words + u' ' + at;
        }
    }
    QStringList parts;
    if (!wet.isEmpty())
        parts << wet.join(QStringLiteral(", "));
    if (dry > 0)
        parts << (!wet.isEmpty() || !unknown.isEmpty() ? QStringLiteral("sec dans vos autres villes")
                  : dry == 1 ? QStringLiteral("sec ") + QString::fromUtf8(french::atPlace(dryName))
                             : QStringLiteral("sec dans toutes vos villes"));
    if (!unknown.isEmpty())
        parts << QStringLiteral("pas de données ") + unknown.join(QStringLiteral(", "));
    if (parts.isEmpty())
        parts << QStringLiteral("aucune de vos villes sur la carte");
    return frameTimeText(frame) + QStringLiteral(" : ") + parts.join(QStringLiteral(" ; "));
}

} // namespace meteo
