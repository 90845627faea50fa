// SPDX-License-Identifier: GPL-2.0-or-later
// Reading the stored weather document into the weather record: the file is parsed once per refresh,
// and each value is the text of one element reached by a path of element names below the document
// element.
#pragma once
#include "conditionmeteo.h"

#include <QDomDocument>
#include <QString>
#include <atomic>
#include <initializer_list>
#include <memory>

namespace meteo {

class WeatherDocument {
public:
    // Reads and parses `nam`; throws Error naming the file when it cannot be read, is not XML, or
    // has a shape the document model would take too long on (see xmlshape.h).
    explicit WeatherDocument(const QString &nam);
    // Parses `bytes` as the document that `nam` would hold: the same checks, errors naming `nam`.
    WeatherDocument(const QByteArray &bytes, const QString &nam);

    // Text of the first child node of the element at `path`; throws Error naming the file and the
    // path when the element is missing or empty.
    QByteArray text(std::initializer_list<const char *> path) const;
    QDomElement root() const { return doc_.documentElement(); }
    const QString &fileName() const { return nam_; }
    // How many documents this program has parsed: a download should cost one, whatever window is open.
    static quint64 parseCount() { return parses_; }

private:
    static std::atomic<quint64> parses_;
    void parse(const QByteArray &bytes);
    QString nam_;
    QDomDocument doc_;
};

QByteArray getGenerique2(const WeatherDocument &doc, const char *p1, const char *p2);
QByteArray getGenerique3(const WeatherDocument &doc, const char *p1, const char *p2, const char *p3);

// Fills `cond` in its fixed order of 22 lookups; stops at the first failing one, leaving the fields
// of that step and the later ones as they were. The file is read once, before the first lookup.
void assigneMeteo(const QString &nam, TConditionMeteo &cond);
void assigneMeteo(const WeatherDocument &doc, TConditionMeteo &cond);

// A body that passed the check: the one parse of its download and the 22 values read from it.
struct CheckedDocument {
    std::shared_ptr<const WeatherDocument> document;
    TConditionMeteo condition;
};

// Throws the Error the refresh would throw on `bytes` stored as `nam` (shape, XML, the 22 lookups),
// so that a body is checked before it replaces a good document; returns what it parsed and read,
// which the refresh and the city's report then take instead of reading the stored file again.
CheckedDocument checkWeatherDocument(const QByteArray &bytes, const QString &nam);

} // namespace meteo
