// SPDX-License-Identifier: GPL-2.0-or-later
#include "xmlshape.h"

#include <QRegularExpression>
#include <QStringConverter>
#include <cstring>

namespace meteo {
namespace {

// Index just past `end` from `from`, or the size when it never comes.
qsizetype skipPast(QByteArrayView bytes, qsizetype from, QByteArrayView end)
{
    const qsizetype at = bytes.indexOf(end, from);
    return at < 0 ? bytes.size() : at + end.size();
}

// Encodings in which every byte below 0x80 is the ASCII character: the byte scan below reads such a
// document as the XML reader does.
bool asciiCompatible(const QByteArray &name)
{
    static const QRegularExpression known(QStringLiteral(
        "^(utf-?8|us-ascii|ascii|latin-?1|iso[-_]?8859-([1-9]|1[0-6])|windows-125[0-8]|cp125[0-8])$"),
                                          QRegularExpression::CaseInsensitiveOption);
    return known.match(QString::fromLatin1(name)).hasMatch();
}

// The encoding the XML reader would read `bytes` in, when it is not ASCII-compatible; empty when it is.
// The reader takes it from a byte-order mark or a first '<' spread over two or four bytes (as Qt
// itself guesses it), then from the declaration's encoding.
QByteArray foreignEncoding(QByteArrayView bytes)
{
    if (const auto guessed = QStringConverter::encodingForData(bytes, u'<'); guessed && *guessed != QStringConverter::Utf8)
        return QStringConverter::nameForEncoding(*guessed);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    if (!bytes.startsWith("<?xml"))
        return {};
    const qsizetype end = bytes.indexOf("?>");
    const QByteArrayView declaration = bytes.first(end < 0 ? bytes.size() : end);
    // Every encoding named there must pass, whatever else the declaration holds.
    for (qsizetype at = declaration.indexOf("encoding"); at >= 0; at = declaration.indexOf("encoding", at + 1)) {
        qsizetype i = at + 8;
        const auto blanks = [&] {
            while (i < declaration.size() && (declaration[i] == ' ' || declaration[i] == '\t' || declaration[i] == '\r' || declaration[i] == '\n'))
                ++i;
        };
        blanks();
        if (i >= declaration.size() || declaration[i] != '=')
            continue;
        ++i;
        blanks();
        if (i >= declaration.size() || (declaration[i] != '"' && declaration[i] != '\''))
            continue;
        const qsizetype close = declaration.indexOf(declaration[i], i + 1);
        const QByteArray name = declaration.sliced(i + 1, (close < 0 ? declaration.size() : close) - i - 1).toByteArray();
        if (asciiCompatible(name))
            continue;
        QByteArray shown = name.left(40);  // a hostile name reaches the error report printable only
        for (char &c : shown)
            if (c < 0x21 || c > 0x7e)
                c = '?';
        return shown.isEmpty() ? QByteArray("(vide)") : shown;
    }
    return {};
}

} // namespace

QString xmlShapeFault(QByteArrayView bytes, const XmlShapeLimits &limits)
{
    if (bytes.size() > limits.bytes)
        return QStringLiteral("taille de plus de %1 Kio").arg(limits.bytes / 1024);
    if (const QByteArray encoding = foreignEncoding(bytes); !encoding.isEmpty())
        return QStringLiteral("encodage %1 non pris en charge").arg(QString::fromLatin1(encoding));
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
