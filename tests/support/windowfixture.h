// SPDX-License-Identifier: GPL-2.0-or-later
// What a test of the viewer's windows starts from: the error report on stderr alone (no dialog to
// wait for), and, when asked, the shipped dictionary and icons beside the test program.
#pragma once
#include "app/widgets/errorreport.h"
#include "testsupport.h"

namespace testing {

struct WindowFixture {
    meteo::ErrorReport report;
    BesideExe files;

    void prepare(bool shippedFiles = true)
    {
        report.setDialogsShown(false);
        if (shippedFiles)
            shipFiles();
    }
    void shipFiles()
    {
        files.copyShipped(QStringLiteral("Dictionnaire.ini"));
        files.copyShipped(QStringLiteral("icons"));
    }
};

} // namespace testing
