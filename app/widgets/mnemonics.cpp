// SPDX-License-Identifier: GPL-2.0-or-later
#include "mnemonics.h"

#include <QAction>
#include <QMenu>
#include <QSet>

namespace meteo {
namespace {

// The letter a text's "&" marks, folded to lower case; a null QChar when it has none.
QChar mnemonicOf(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i] == u'&') {
            if (text[i + 1] != u'&')
                return text[i + 1].toLower();
            ++i;  // "&&": a literal ampersand
        }
    return {};
}

// The base letter of an accented one ("É" -> "e"), so that Alt+E reaches "État".
QChar keyOf(QChar c)
{
    const QString decomposed = QString(c).normalized(QString::NormalizationForm_D);
    return decomposed.isEmpty() ? c : decomposed[0].toLower();
}

} // namespace

QString withoutMnemonic(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;  // "&x" is x; "&&" is "&"
        out += text[i];
    }
    return out;
}

void giveMnemonics(QMenu *menu)
{
    QSet<QChar> taken;
    const QList<QAction *> items = menu->actions();
    for (const QAction *a : items)
        if (const QChar m = mnemonicOf(a->text()); !m.isNull())
            taken << keyOf(m);
    for (QAction *a : items) {
        const QString text = a->text();
        if (a->isSeparator() || text.isEmpty() || !mnemonicOf(text).isNull())
            continue;
        // Positions in the text (as written, "&&" included) of the letters a key can reach: the
        // words' first letters first.
        QList<qsizetype> starts, others;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == u'&') {
                ++i;
                continue;
            }
            if (!text[i].isLetterOrNumber() || !keyOf(text[i]).isLetterOrNumber() || keyOf(text[i]).unicode() > 127)
                continue;
            (i == 0 || !text[i - 1].isLetterOrNumber() ? starts : others) << i;
        }
        // Every letter taken (a long city list): its first letter all the same, which Qt then
        // cycles through with the others of that letter.
        const QList<qsizetype> free = [&] {
            QList<qsizetype> out;
            for (const qsizetype i : starts + others)
                if (!taken.contains(keyOf(text[i])))
                    out << i;
            return out;
        }();
        if (const QList<qsizetype> choice = free.isEmpty() ? starts + others : free; !choice.isEmpty()) {
            const qsizetype i = choice.first();
            taken << keyOf(text[i]);
            a->setText(text.left(i) + u'&' + text.mid(i));
        }
    }
}

} // namespace meteo
