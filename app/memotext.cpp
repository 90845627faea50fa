#include "memotext.h"

#include "weather/error.h"

#include <QSaveFile>

namespace meteo {

void MemoText::SaveToFile(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text_) != text_.size() || !file.commit())
        throw Error(path + QStringLiteral(": écriture impossible (") + file.errorString() + u')');
}

} // namespace meteo
