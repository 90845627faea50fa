// SPDX-License-Identifier: GPL-2.0-or-later
// Where the running executable lives: every data file of the window is found beside it.
#pragma once
#include <QString>

namespace meteo {
// The executable's directory, without a trailing separator.
QString executableDir();
}
