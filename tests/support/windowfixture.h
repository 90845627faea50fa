// SPDX-License-Identifier: GPL-2.0-or-later
// What a test of the viewer's windows starts from: the error report on stderr alone (no dialog to
// wait for), and, when asked, the shipped dictionary and icons beside the test program.
#pragma once
#include "app/widgets/errorreport.h"
#include "testsupport.h"

#include <memory>

namespace testing {

struct WindowFixture {
    meteo::ErrorReport report;
    BesideExe files;
    std::unique_ptr<TempCurrentDir> cwd;  // a current folder for the whole test, when asked for

    void prepare(bool shippedFiles = true, bool ownFolder = false)
    {
        report.setDialogsShown(false);
        if (shippedFiles)
            shipFiles();
        if (ownFolder)
            cwd = std::make_unique<TempCurrentDir>();
    }
    // What one test stores never reaches the next.
    void forgetStored()
    {
        files.remove(QStringLiteral("weather.xml"));
        files.remove(QStringLiteral("villes.ini"));
    }
    void shipFiles()
    {
        files.copyShipped(QStringLiteral("Dictionnaire.ini"));
        files.copyShipped(QStringLiteral("icons"));
        files.copyShipped(QStringLiteral("carte-france.txt"));
    }
};

} // namespace testing
