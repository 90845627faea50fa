// SPDX-License-Identifier: GPL-2.0-or-later
// Translation of an arbitrary phrase (first line) by an arbitrary dictionary (the rest).
#include "weather/translation.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype cut = input.indexOf('\n');
    const QByteArray phrase = cut < 0 ? input : input.left(cut);
    meteo::NameValueList dictionary;
    dictionary.loadFromBytes(cut < 0 ? QByteArray() : input.mid(cut + 1));
    const QByteArray french = meteo::translate(phrase, dictionary);
    // With no entry, the text keeps its length: reordering adds exactly one blank when it applies.
    if (dictionary.count() == 0 && french.size() != phrase.size() && french.size() != phrase.size() + 1)
        std::abort();
    return 0;
}
