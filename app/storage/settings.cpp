// SPDX-License-Identifier: GPL-2.0-or-later
#include "settings.h"

#include "places.h"
#include "common/error.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <fcntl.h>
#include <unistd.h>

namespace meteo {

QString Settings::pollensText() const
{
    QStringList taxa;
    for (int t = 0; t < kTaxa; ++t)
        if (pollens_.contains(Taxon(t)))
            taxa << QString::fromLatin1(taxonAttribute(Taxon(t)));
    return taxa.join(u',');
}

void Settings::setRainWanted(bool on)
{
    if (on == rainWanted_)
        return;
    rainWanted_ = on;
    Q_EMIT rainWantedChanged(on);
}

void Settings::setPollensText(const QString &taxa)
{
    const QStringList names = taxa.split(u',', Qt::SkipEmptyParts);
    QSet<Taxon> chosen;
    for (int t = 0; t < kTaxa; ++t)
        if (names.contains(QString::fromLatin1(taxonAttribute(Taxon(t)))))
            chosen << Taxon(t);
    if (chosen == pollens_)
        return;
    pollens_ = chosen;
    Q_EMIT pollensChanged(pollens_);
}

void Settings::chooseRainWanted(bool on)
{
    if (on == rainWanted_)
        return;
    setRainWanted(on);
    userChanged(QStringLiteral("Le réglage « Avertir de la pluie » ne sera pas retenu"));
    Q_EMIT chosen();
}

void Settings::choosePollen(Taxon taxon, bool on)
{
    if (pollens_.contains(taxon) == on)
        return;
    if (on)
        pollens_ << taxon;
    else
        pollens_.remove(taxon);
    Q_EMIT pollensChanged(pollens_);
    userChanged(QStringLiteral("Le choix des pollens ne sera pas retenu"));
    Q_EMIT chosen();
}

void Settings::chooseCity()
{
    userChanged(QStringLiteral("La ville mémorisée ne sera pas retenue"));
}

void Settings::userChanged(const QString &what)
{
    if (warned_)
        return;
    const QString file = Places::current().settingsFile();
    QString why;
    try {
        Places::current().prepareFolderOf(file);
    } catch (const Error &e) {
        why = QString::fromUtf8(e.what());
    }
    const QFileInfo ini(file);
    // Written beside itself and renamed over: its folder must be writable, whatever the file is.
    // Asked as the process is, with its effective rights (QFileInfo grants root everything).
    if (why.isEmpty() && ::faccessat(AT_FDCWD, QFile::encodeName(ini.absolutePath()).constData(), W_OK, AT_EACCESS) != 0)
        why = ini.absolutePath() + QStringLiteral(" : dossier impossible à écrire");
    if (why.isEmpty())
        return;
    warned_ = true;
    Q_EMIT notKept(what + QStringLiteral(" au prochain lancement de Météo (") + why + u')');
}

} // namespace meteo
