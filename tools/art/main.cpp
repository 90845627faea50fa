// SPDX-License-Identifier: GPL-2.0-or-later
// meteo-art ICONS_DIR GENERATED_DIR: draws every weather icon into ICONS_DIR and the window icon
// (ICO for the window, PNG for the desktop entry) into GENERATED_DIR.
#include "icowriter.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

namespace art {
QStringList iconCodes();
QImage drawIcon(const QString &code, int size);
QImage drawAppIcon(int size);
} // namespace art

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: meteo-art ICONS_DIR GENERATED_DIR\n");
        return 2;
    }
    const QDir icons(args[1]), generated(args[2]);
    if (!QDir().mkpath(icons.path()) || !QDir().mkpath(generated.path()))
        return 1;
    // Each icon also at twice the size, for screens of two device pixels per pixel and more.
    for (const QString &code : art::iconCodes())
        if (!art::drawIcon(code, 100).save(icons.filePath(code + QStringLiteral(".png")), "PNG")
            || !art::drawIcon(code, 200).save(icons.filePath(code + QStringLiteral("@2x.png")), "PNG"))
            return 1;
    const QImage appIcon = art::drawAppIcon(128);
    QFile ico(generated.filePath(QStringLiteral("meteo.ico")));
    if (!ico.open(QIODevice::WriteOnly) || ico.write(art::icoBytes(appIcon)) < 0)
        return 1;
    return appIcon.save(generated.filePath(QStringLiteral("meteo.png")), "PNG") ? 0 : 1;
}
