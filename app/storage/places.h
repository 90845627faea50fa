// SPDX-License-Identifier: GPL-2.0-or-later
// Where the viewer's files are. A portable copy (its program folder is writable: the build tree, a
// copied folder) keeps everything beside the executable and meteo.ini in the current directory. An
// installed copy never writes its program folder: the download goes to the user's cache folder, the
// settings and the user's own city list to the user's configuration folder.
#pragma once
#include <QString>

namespace meteo {

class Places {
public:
    // Decided once, at the first call (the program calls it at start), for the whole run.
    static const Places &current();

    // The shipped files: Dictionnaire.ini, icons/ and the shipped villes.ini.
    const QString &programDir() const { return programDir_; }
    QString weatherFile() const;   // weather.xml
    QString noticesFile() const;   // what the notices have said, beside weather.xml
    QString settingsFile() const;  // meteo.ini ("meteo.ini", in the current directory, when portable)
    QString citiesFile() const;    // the city list the program reads
    QString citiesCopy() const;    // where a change of the city list is written

    // In an installed copy, creates the user folder that will hold `file`; throws Error naming the
    // folder when it cannot be made or written. Nothing falls back to another place.
    void prepareFolderOf(const QString &file) const;

private:
    static Places forProgramFolder(const QString &programDir);
    bool installed_ = false;
    QString programDir_, cacheDir_, configDir_;
};

} // namespace meteo
