// SPDX-License-Identifier: GPL-2.0-or-later
#include "citylistfile.h"

#include "common/error.h"
#include "weather/namevaluelist.h"

namespace meteo {

QByteArray withCityAdded(const QByteArray &file, const QByteArray &name, const QByteArray &code)
{
    // One entry is one line: a name or code that would split it, or move the "=", is never written.
    if (name.isEmpty() || code.isEmpty() || name.contains('=') || (name + code).contains('\n') || (name + code).contains('\r'))
        throw Error(QStringLiteral("villes.ini : entrée refusée (nom ou code vide, ou contenant un saut de ligne ou « = »)"));
    const QByteArray end = file.contains("\r\n") ? "\r\n" : "\n";
    QByteArray out = file;
    if (!out.isEmpty() && !out.endsWith('\n') && out != "\xEF\xBB\xBF")
        out += end;  // the last line had no end; it gets one, its bytes stay
    return out + name + '=' + code + end;
}

QByteArray withCityRemoved(const QByteArray &file, const QByteArray &code)
{
    qsizetype start = file.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (start < file.size()) {
        const qsizetype newline = file.indexOf('\n', start);
        const qsizetype next = newline < 0 ? file.size() : newline + 1;
        const QByteArrayView line = withoutLineEnd(QByteArrayView(file).sliced(start, next - start));
        const qsizetype eq = line.indexOf('=');
        if (eq >= 0 && line.sliced(eq + 1) == code)
            return QByteArray(file).remove(start, next - start);
        start = next;
    }
    return file;
}

} // namespace meteo
