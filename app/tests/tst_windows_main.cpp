// SPDX-License-Identifier: GPL-2.0-or-later
// The windows that follow a city's weather, and "Mes villes", in one program.
#include "testsupport.h"

#include <QApplication>

METEO_TEST_MAIN(QApplication)
