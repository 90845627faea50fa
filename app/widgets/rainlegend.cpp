// SPDX-License-Identifier: GPL-2.0-or-later
#include "rainlegend.h"

#include "common/frenchtext.h"
#include "common/raincells.h"
#include "rainmapview.h"

#include <QPainter>

namespace meteo {
namespace {

constexpr int kClasses = int(std::size(rain::kClassFloors));

// The byte of a class's floor, for its colour.
std::uint8_t byteOf(rain::Fall fall, int k)
{
    return rain::encode({fall, rain::levelOf(rain::kClassFloors[k])});
}

} // namespace

RainLegend::RainLegend(QWidget *parent) : QWidget(parent)
{
    QStringList floors;
    for (const double f : rain::kClassFloors)
        floors << french::number(f);
    setAccessibleName(QStringLiteral("Légende"));
    setAccessibleDescription(QStringLiteral("Pluie et neige à partir de %1 mm/h ; gris : pas de données").arg(floors.join(QStringLiteral(", "))));
}

QSize RainLegend::sizeHint() const
{
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(QStringLiteral("Neige")) + 8 + kClasses * fm.horizontalAdvance(QStringLiteral("00,0 ")) + fm.horizontalAdvance(QStringLiteral("mm/h  Pas de données")) + 40,
            fm.height() * 3 + 6};
}

void RainLegend::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QFontMetrics fm = p.fontMetrics();
    const int h = fm.height(), label = fm.horizontalAdvance(QStringLiteral("Neige")) + 8, cell = fm.horizontalAdvance(QStringLiteral("00,0 "));
    const auto row = [&](int y, const QString &name, rain::Fall fall) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(QRect(0, y, label, h), Qt::AlignVCenter, name);
        for (int k = 0; k < kClasses; ++k)
            p.fillRect(QRect(label + k * cell, y + 2, cell - 2, h - 4), QColor::fromRgba(RainMapView::colourOf(byteOf(fall, k))));
    };
    row(0, QStringLiteral("Pluie"), rain::Fall::Rain);
    row(h, QStringLiteral("Neige"), rain::Fall::Snow);
    p.setPen(palette().color(QPalette::WindowText));
    for (int k = 0; k < kClasses; ++k)
        p.drawText(QRect(label + k * cell, 2 * h, cell, h), Qt::AlignLeft | Qt::AlignVCenter, french::number(rain::kClassFloors[k]));
    const int x = label + kClasses * cell;
    p.drawText(QRect(x, 2 * h, fm.horizontalAdvance(QStringLiteral("mm/h")) + 4, h), Qt::AlignVCenter, QStringLiteral("mm/h"));
    const int gapX = x + fm.horizontalAdvance(QStringLiteral("mm/h")) + 16;
    p.fillRect(QRect(gapX, h + 2, cell - 2, h - 4), QColor(Qt::white));
    p.fillRect(QRect(gapX, h + 2, cell - 2, h - 4), QColor::fromRgba(RainMapView::colourOf(rain::kNoData)));
    p.drawText(QRect(gapX + cell, h, width() - gapX - cell, h), Qt::AlignVCenter, QStringLiteral("Pas de données"));
}

} // namespace meteo
