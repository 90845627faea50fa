#include "translation.h"

namespace meteo {
namespace {

bool isEd(char a, char b)
{
    return (a == 'e' || a == 'E') && (b == 'd' || b == 'D');
}

// Replaces every occurrence of `name` (ASCII case ignored), resuming behind each inserted value so
// that an entry never rewrites its own output.
QByteArray replaceAll(const QByteArray &text, const QByteArray &name, const QByteArray &value)
{
    QByteArray out;
    qsizetype from = 0;
    for (;;) {
        qsizetype found = -1;
        for (qsizetype i = from; i + name.size() <= text.size(); ++i)
            if (qstrnicmp(text.constData() + i, name.size(), name.constData(), name.size()) == 0) {
                found = i;
                break;
            }
        if (found < 0)
            break;
        out += QByteArrayView(text).sliced(from, found - from);
        out += value;
        from = found + name.size();
    }
    if (from == 0)
        return text;
    out += QByteArrayView(text).sliced(from);
    return out;
}

} // namespace

QByteArray translate(const QByteArray &Phrase, const NameValueList &Traductions)
{
    QByteArray result = Phrase;
    const qsizetype I = Phrase.indexOf(' ') + 1;  // 1-based position of the first blank, 0 if none
    if (I > 3 && isEd(Phrase[I - 3], Phrase[I - 2]))
        result = Phrase.right(Phrase.size() - I) + ' ' + Phrase.left(I);

    for (int i = 0; i < Traductions.count(); ++i) {
        const QByteArray name = Traductions.name(i);
        if (!name.isEmpty())
            result = replaceAll(result, name, Traductions.value(name));
    }

    if (!result.isEmpty() && result[0] >= 'a' && result[0] <= 'z')
        result[0] = char(result[0] - 'a' + 'A');
    return result;
}

} // namespace meteo
