// SPDX-License-Identifier: GPL-2.0-or-later
// Writes the readers' seeds into DIR/radar and DIR/aromepi: a radar mosaic and an AROME-PI run of the
// fuzz targets' small products, made by the libraries, so that the fuzzer starts from files the
// readers accept rather than from bytes committed without their making.
#include "fuzzproducts.h"
#include "sourcefiles.h"

#include <QDir>
#include <QFile>
#include <QTimeZone>
#include <cstdio>

namespace {

bool write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "make_seeds DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QDateTime end(QDate(2026, 12, 10), QTime(10, 5), QTimeZone::utc());
    testing::MosaicPlan radar;
    radar.size = fuzzRadar().xsize;
    radar.scale = fuzzRadar().scale;
    radar.end = end;
    radar.rain = [](double x, double) { return std::uint16_t(x > 0 ? 120 : 0); };
    testing::RunPlan pi;
    const service::PiProduct p = fuzzPi();
    pi.ni = p.ni;
    pi.nj = p.nj;
    pi.firstLatitude = p.firstLatitude;
    pi.firstLongitude = p.firstLongitude;
    pi.increment = p.increment;
    pi.run = end.addSecs(-3900);
    pi.startMinutes = {0, 15};
    pi.mm = [](double latitude, double, int) { return latitude > 47 ? 1.5 : 0.0; };
    const bool ok = QDir().mkpath(dir + QStringLiteral("/radar")) && QDir().mkpath(dir + QStringLiteral("/aromepi"))
                    && write(dir + QStringLiteral("/radar/seed.h5"), testing::odimFile(radar))
                    && write(dir + QStringLiteral("/aromepi/seed.grib2"), testing::piFile(pi));
    return ok ? 0 : 1;
}
