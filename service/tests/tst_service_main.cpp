// SPDX-License-Identifier: GPL-2.0-or-later
// The weather service's tests in one program: the HTTP face, the simulation, the live source, the
// warnings, the nearest communes, the air.
#include "testsupport.h"

#include <QCoreApplication>

METEO_TEST_MAIN(QCoreApplication)
