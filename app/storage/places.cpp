// SPDX-License-Identifier: GPL-2.0-or-later
#include "places.h"

#include "executable.h"
#include "common/error.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace meteo {
namespace {

// The XDG base directories must be absolute paths; a relative one is ignored, as if unset, rather
// than writing under whatever the current folder happens to be.
QString userFolder(QStandardPaths::StandardLocation where, const char *variable)
{
    const QByteArray value = qgetenv(variable);
    if (value.isEmpty() || QDir::isAbsolutePath(QFile::decodeName(value)))
        return QStandardPaths::writableLocation(where);
    qunsetenv(variable);
    const QString folder = QStandardPaths::writableLocation(where);
    qputenv(variable, value);
    return folder;
}

} // namespace

const Places &Places::current()
{
    static const Places places = forProgramFolder(executableDir());
    return places;
}

Places Places::forProgramFolder(const QString &programDir)
{
    Places p;
    p.programDir_ = programDir;
    p.installed_ = !QFileInfo(programDir).isWritable();
    if (p.installed_) {
        p.cacheDir_ = userFolder(QStandardPaths::CacheLocation, "XDG_CACHE_HOME");
        p.configDir_ = userFolder(QStandardPaths::AppConfigLocation, "XDG_CONFIG_HOME");
    }
    return p;
}

QString Places::weatherFile() const
{
    return (installed_ ? cacheDir_ : programDir_) + QStringLiteral("/weather.xml");
}

QString Places::noticesFile() const
{
    return (installed_ ? cacheDir_ : programDir_) + QStringLiteral("/annonces.txt");
}

QString Places::settingsFile() const
{
    return installed_ ? configDir_ + QStringLiteral("/meteo.ini") : QStringLiteral("meteo.ini");
}

QString Places::citiesCopy() const
{
    return (installed_ ? configDir_ : programDir_) + QStringLiteral("/villes.ini");
}

QString Places::citiesFile() const
{
    const QString own = citiesCopy();
    return installed_ && !QFileInfo::exists(own) ? programDir_ + QStringLiteral("/villes.ini") : own;
}

void Places::prepareFolderOf(const QString &file) const
{
    if (!installed_)
        return;  // a portable copy's folders are there; writing them reports its own errors
    const QString dir = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(dir) || !QFileInfo(dir).isWritable())
        throw Error(dir + QStringLiteral(" : dossier impossible à créer ou à écrire"));
}

} // namespace meteo
