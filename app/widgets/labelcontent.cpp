// SPDX-License-Identifier: GPL-2.0-or-later
#include "labelcontent.h"

#include "common/error.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPalette>

namespace meteo {

void setLabelFont(QLabel *label, int pixels, bool bold, const QColor &colour)
{
    QFont font(QStringLiteral("Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

void setAreaBackground(QWidget *area, const QColor &colour)
{
    const QColor own = area->palette().color(QPalette::Window);
    QPalette palette = area->palette();
    palette.setColor(QPalette::Window, colour);
    area->setPalette(palette);
    area->setAutoFillBackground(true);
    for (QLabel *label : area->findChildren<QLabel *>()) {
        QPalette p = label->palette();
        p.setColor(QPalette::Window, own);
        label->setPalette(p);
    }
}

void setTextWithin(QLabel *label, const QString &text, int right)
{
    label->setText(text);
    label->adjustSize();
    const int room = right - label->x();
    const bool cut = label->width() > room && room > 0;
    if (cut) {
        label->setText(label->fontMetrics().elidedText(text, Qt::ElideRight, room - 2 * label->margin() - 2));
        label->adjustSize();
    }
    label->setToolTip(cut ? text : QString());
    label->setAccessibleName(text);
}

void PictureFile::show(QLabel *label, const QString &path, bool sharp)
{
    const QFileInfo info(path);
    const QString stamp = path + u'|' + QString::number(info.size()) + u'|' + QString::number(info.lastModified().toMSecsSinceEpoch());
    if (info.isFile() && stamp == stamp_ && !label->pixmap().isNull())
        return;  // the same unchanged file as last time: its picture is already shown
    stamp_.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(path + QStringLiteral(": fichier introuvable ou illisible"));
    QImage image;
    if (!image.loadFromData(file.readAll(), "PNG"))
        throw Error(path + QStringLiteral(": image PNG illisible"));
    if (sharp)
        image.setDevicePixelRatio(2);
    label->setPixmap(QPixmap::fromImage(image));
    label->adjustSize();
    stamp_ = stamp;
}

} // namespace meteo
