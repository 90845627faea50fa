// SPDX-License-Identifier: GPL-2.0-or-later
// The name=value text lists of the program (villes.ini, Dictionnaire.ini): one entry per line, the
// name before the first "=", nothing trimmed, look-up by name ignoring ASCII letter case.
#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>
#include <vector>

namespace meteo {

class NameValueList {
public:
    // Reads the whole file; throws Error naming the file when it cannot be read.
    void loadFromFile(const QString &path);
    void loadFromBytes(const QByteArray &text);

    int count() const { return int(entries_.size()); }
    // Forgets every entry after the first `n`.
    void keepFirst(int n)
    {
        if (n >= 0 && size_t(n) < entries_.size()) {
            entries_.resize(size_t(n));
            firstOfName_.clear();
        }
    }
    // Throws Error when the index is outside the list.
    QByteArray name(int index) const;
    QByteArray valueAt(int index) const;
    // Index of the first entry with this name (ASCII case ignored), or -1.
    int indexOfName(const QByteArray &name) const;
    // Value of the first entry with this name, empty when there is none.
    QByteArray value(const QByteArray &name) const;

private:
    struct Entry {
        QByteArray name, value;
    };
    const Entry &at(int index) const;
    std::vector<Entry> entries_;
    // The first entry of each name, its ASCII letters lowered: made at the first look-up by name, so
    // that a long dictionary is looked up in constant time per name.
    mutable QHash<QByteArray, int> firstOfName_;
};

bool equalsIgnoringAsciiCase(const QByteArray &a, const QByteArray &b);

// A line of such a list without its end: the LF and every CR before it, so that "\r\r\n" (left by
// an editor that converted line ends twice) ends a line as "\r\n" does. Reading and rewriting a list
// both cut lines here, so they agree on what a line holds.
QByteArrayView withoutLineEnd(QByteArrayView line);

} // namespace meteo
