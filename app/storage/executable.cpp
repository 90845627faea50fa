// SPDX-License-Identifier: GPL-2.0-or-later
#include "executable.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace meteo {

QString executableDir()
{
    // The full path as the platform reports it, less the file name: no normalisation.
    const QString path = QCoreApplication::applicationFilePath();
    return path.left(qMax<qsizetype>(0, path.lastIndexOf(u'/')));
}

} // namespace meteo
