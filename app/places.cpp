#include "places.h"

#include "executable.h"
#include "weather/error.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace meteo {

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
        p.cacheDir_ = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        p.configDir_ = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    }
    return p;
}

QString Places::weatherFile() const
{
    return (installed_ ? cacheDir_ : programDir_) + QStringLiteral("/weather.xml");
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
