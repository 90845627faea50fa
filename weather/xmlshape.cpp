#include "xmlshape.h"

#include <cstring>

namespace meteo {
namespace {

// Index just past `end` from `from`, or the size when it never comes.
qsizetype skipPast(QByteArrayView bytes, qsizetype from, QByteArrayView end)
{
    const qsizetype at = bytes.indexOf(end, from);
    return at < 0 ? bytes.size() : at + end.size();
}

} // namespace

QString xmlShapeFault(QByteArrayView bytes, const XmlShapeLimits &limits)
{
    const char *data = bytes.data();
    const qsizetype size = bytes.size();
    int depth = 0, nodes = 0;
    const auto tooMany = [&] { return QStringLiteral("plus de %1 éléments et attributs").arg(limits.nodes); };
    qsizetype i = 0;
    while (i < size) {
        const void *lt = std::memchr(data + i, '<', size_t(size - i));
        if (!lt)
            break;
        i = static_cast<const char *>(lt) - data + 1;
        const QByteArrayView rest = bytes.sliced(i);
        if (rest.startsWith("!--")) {
            i = skipPast(bytes, i, "-->");
        } else if (rest.startsWith("![CDATA[")) {
            i = skipPast(bytes, i, "]]>");
        } else if (rest.startsWith("?")) {
            i = skipPast(bytes, i, "?>");
        } else if (rest.startsWith("!")) {
            // Entity declarations are how one short document becomes a deep or huge one.
            return QStringLiteral("déclaration de type de document (DOCTYPE) non acceptée");
        } else if (rest.startsWith("/")) {
            --depth;
            i = skipPast(bytes, i, ">");
        } else {
            if (++nodes > limits.nodes)
                return tooMany();
            if (++depth > limits.depth)
                return QStringLiteral("imbrication de plus de %1 niveaux").arg(limits.depth);
            // Attributes are counted by their '=' outside quoted values, up to the tag's '>'.
            int attributes = 0;
            char quote = 0;
            for (; i < size; ++i) {
                const char c = data[i];
                if (quote) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '=') {
                    if (++attributes > limits.attributes)
                        return QStringLiteral("élément avec plus de %1 attributs").arg(limits.attributes);
                    if (++nodes > limits.nodes)
                        return tooMany();
                } else if (c == '>') {
                    if (data[i - 1] == '/')
                        --depth;
                    ++i;
                    break;
                }
            }
        }
    }
    return {};
}

} // namespace meteo
