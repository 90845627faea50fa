// SPDX-License-Identifier: GPL-2.0-or-later
#include "searchkey.h"

#include <QString>

namespace service {

QByteArray searchKey(QStringView text, bool abbreviations)
{
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    QByteArray key;
    key.reserve(decomposed.size());
    auto endWord = [&key, abbreviations] {
        // Abbreviations are read whole, so both spellings meet.
        const qsizetype start = key.lastIndexOf(' ') + 1;
        const QByteArrayView word = QByteArrayView(key).sliced(start);
        if (abbreviations && word == "st")
            key.replace(start, 2, "saint");
        else if (abbreviations && word == "ste")
            key.replace(start, 3, "sainte");
        if (!key.isEmpty() && !key.endsWith(' '))
            key += ' ';
    };
    for (const QChar c : decomposed) {
        if (c.isMark())
            continue;  // the accents left apart by the decomposition
        const char16_t u = c.toLower().unicode();
        if ((u >= 'a' && u <= 'z') || (u >= '0' && u <= '9')) {
            key += char(u);
        } else if (u == u'œ') {
            key += "oe";
        } else if (u == u'æ') {
            key += "ae";
        } else {
            endWord();  // hyphens, apostrophes, blanks and anything else part words
        }
    }
    endWord();
    key.chop(key.endsWith(' ') ? 1 : 0);
    return key;
}

} // namespace service
