// SPDX-License-Identifier: GPL-2.0-or-later
#include "translation.h"

#include <optional>

namespace meteo {
namespace {

bool isEd(char a, char b)
{
    return (a == 'e' || a == 'E') && (b == 'd' || b == 'D');
}

// Replaces every occurrence of `name` (ASCII case ignored), resuming behind each inserted value so
// that an entry never rewrites its own output. Nothing when the result would outgrow the limit.
// `folded` is `text` with its ASCII letters lowered, kept by the caller while the text is unchanged:
// a long dictionary's entries are mostly absent, and finding none costs no copy.
std::optional<QByteArray> replaceAll(const QByteArray &text, const QByteArray &folded, const QByteArray &name, const QByteArray &value)
{
    // Lowering ASCII letters keeps every byte in place, so positions found in the lowered copy are
    // positions in the text.
    const QByteArray foldedName = name.toLower();
    qsizetype found = folded.indexOf(foldedName);
    if (found < 0)
        return text;
    QByteArray out;
    qsizetype from = 0;
    for (; found >= 0; found = folded.indexOf(foldedName, from)) {
        out += QByteArrayView(text).sliced(from, found - from);
        out += value;
        from = found + name.size();
        if (out.size() > kMaxTranslatedBytes)
            return std::nullopt;
    }
    out += QByteArrayView(text).sliced(from);
    if (out.size() > kMaxTranslatedBytes)
        return std::nullopt;
    return out;
}

} // namespace

QByteArray translate(const QByteArray &Phrase, const NameValueList &Traductions)
{
    QByteArray result = Phrase;
    const qsizetype I = Phrase.indexOf(' ') + 1;  // 1-based position of the first blank, 0 if none
    if (I > 3 && isEd(Phrase[I - 3], Phrase[I - 2]))
        result = Phrase.right(Phrase.size() - I) + ' ' + Phrase.left(I);

    QByteArray folded = result.toLower();
    for (int i = 0; i < Traductions.count(); ++i) {
        const QByteArray name = Traductions.name(i);
        if (name.isEmpty() || !folded.contains(name.toLower()))
            continue;
        std::optional<QByteArray> replaced = replaceAll(result, folded, name, Traductions.value(name));
        if (!replaced)
            break;  // a dictionary whose entries keep multiplying the text stops here
        result = std::move(*replaced);
        folded = result.toLower();
    }

    if (!result.isEmpty() && result[0] >= 'a' && result[0] <= 'z')
        result[0] = char(result[0] - 'a' + 'A');
    return result;
}

} // namespace meteo
