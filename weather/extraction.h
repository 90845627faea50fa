// Reading the stored weather document into the weather record: each value is the text of one element
// reached by a path of element names below the document element, read anew from the file each time.
#pragma once
#include "conditionmeteo.h"

#include <QString>
#include <initializer_list>

namespace meteo {

// Text of the first child node of the element at `path`; throws Error naming the file and the path
// when the file cannot be read or parsed, or the element is missing or empty.
QByteArray elementText(const QString &nam, std::initializer_list<const char *> path);

QByteArray getGenerique2(const QString &nam, const char *p1, const char *p2);
QByteArray getGenerique3(const QString &nam, const char *p1, const char *p2, const char *p3);

// Fills `cond` in its fixed order of 22 lookups; stops at the first failing one, leaving the fields
// of that step and the later ones as they were.
void assigneMeteo(const QString &nam, TConditionMeteo &cond);

} // namespace meteo
