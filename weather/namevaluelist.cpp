// SPDX-License-Identifier: GPL-2.0-or-later
#include "namevaluelist.h"

#include "common/error.h"

#include <QFile>

namespace meteo {

bool equalsIgnoringAsciiCase(const QByteArray &a, const QByteArray &b)
{
    return a.size() == b.size() && qstrnicmp(a.constData(), a.size(), b.constData(), b.size()) == 0;
}

QByteArrayView withoutLineEnd(QByteArrayView line)
{
    if (line.endsWith('\n'))
        line.chop(1);
    while (line.endsWith('\r'))
        line.chop(1);
    return line;
}

void NameValueList::loadFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(path + QStringLiteral(" : fichier introuvable ou illisible (") + file.errorString() + u')');
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(path + QStringLiteral(" : lecture impossible (") + file.errorString() + u')');
    loadFromBytes(text);
}

void NameValueList::loadFromBytes(const QByteArray &input)
{
    entries_.clear();
    firstOfName_.clear();
    QByteArrayView text(input);
    if (text.startsWith("\xEF\xBB\xBF"))  // an editor's byte-order mark is not part of the first name
        text = text.sliced(3);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        const qsizetype next = end < 0 ? text.size() : end + 1;
        if (end < 0)
            end = text.size();
        const QByteArrayView line = withoutLineEnd(text.sliced(start, end - start));
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            entries_.push_back({QByteArray(), QByteArray()});
        else
            entries_.push_back({line.first(eq).toByteArray(), line.sliced(eq + 1).toByteArray()});
        start = next;
    }
}

const NameValueList::Entry &NameValueList::at(int index) const
{
    if (index < 0 || index >= count())
        throw Error(QStringLiteral("liste de %1 ligne(s) : pas de ligne %2").arg(count()).arg(index));
    return entries_[size_t(index)];
}

QByteArray NameValueList::name(int index) const { return at(index).name; }
QByteArray NameValueList::valueAt(int index) const { return at(index).value; }

int NameValueList::indexOfName(const QByteArray &name) const
{
    if (firstOfName_.isEmpty() && count() > 0) {
        firstOfName_.reserve(count());
        for (int i = count() - 1; i >= 0; --i)  // backwards: the first of a name is written last
            firstOfName_.insert(entries_[size_t(i)].name.toLower(), i);
    }
    return firstOfName_.value(name.toLower(), -1);
}

QByteArray NameValueList::value(const QByteArray &name) const
{
    const int i = indexOfName(name);
    return i < 0 ? QByteArray() : entries_[size_t(i)].value;
}

} // namespace meteo
