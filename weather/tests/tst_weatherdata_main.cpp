// SPDX-License-Identifier: GPL-2.0-or-later
// The weather-data subsystem's tests in one program: record, translation, the display refresh and
// the readings of the hours ahead.
#include "testsupport.h"

#include <QApplication>

METEO_TEST_MAIN(QApplication)
