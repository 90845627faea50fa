// SPDX-License-Identifier: GPL-2.0-or-later
// The radar's and AROME-PI's files are read in a process of their own: libhdf5 and ecCodes are
// large C libraries, and a malformed file can crash them or make them ask for gigabytes. The
// service starts itself again as a reader (`meteo-service --lire radar|arome-pi`), gives it the
// product and the file on its input and takes the map's fields from its output; a reader that
// crashes, runs out of memory or time only loses that file.
#pragma once
#include "pirun.h"
#include "radarimage.h"

#include <QObject>
#include <functional>

namespace service {

// The reader's side: the product and the file from standard input, the result to standard output.
// `format` is "radar" or "arome-pi"; returns the exit status.
int readerMain(const QString &format);

// The service's side: `program` is the service's own executable. `done` is called once, on the
// event loop of `context`'s thread, unless `context` is gone.
void readRadarApart(const QString &program, const RadarProduct &product, const QByteArray &file, QObject *context,
                    std::function<void(Result<RainField>)> done);
void readRunApart(const QString &program, const PiProduct &product, const QByteArray &file, QObject *context,
                  std::function<void(Result<PiRun>)> done);

} // namespace service
