#include "citylistfile.h"

namespace meteo {

QByteArray withCityAdded(const QByteArray &file, const QByteArray &name, const QByteArray &code)
{
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
        QByteArrayView line = QByteArrayView(file).sliced(start, next - start);
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        const qsizetype eq = line.indexOf('=');
        if (eq >= 0 && line.sliced(eq + 1) == code)
            return QByteArray(file).remove(start, next - start);
        start = next;
    }
    return file;
}

} // namespace meteo
