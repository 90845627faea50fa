// SPDX-License-Identifier: GPL-2.0-or-later
// One drawing per icon code of the weather service, composed from the shared primitives.
#include "shapes.h"

#include <QImage>
#include <QString>
#include <functional>
#include <map>

namespace art {
namespace {
using Draw = std::function<void(QPainter &)>;
const QList<QPointF> twoDrops{{38, 78}, {58, 84}};
const QList<QPointF> threeDrops{{30, 78}, {48, 86}, {66, 78}};
const QList<QPointF> manyDrops{{26, 76}, {40, 88}, {54, 76}, {68, 88}, {78, 74}};
const QList<QPointF> smallDrops{{32, 78}, {48, 84}, {64, 78}};
const QList<QPointF> twoFlakes{{36, 80}, {62, 84}};
const QList<QPointF> threeFlakes{{28, 80}, {50, 86}, {72, 80}};

// A cloud with something falling from it, the common shape of precipitation icons.
Draw precipitation(bool dark, std::function<void(QPainter &)> falling)
{
    return [dark, falling](QPainter &p) {
        cloud(p, {50, 42}, 74, dark);
        falling(p);
    };
}

// Sun (day) or moon (night) peeking behind a cloud, with an optional fall below.
Draw peeking(bool night, bool dark, std::function<void(QPainter &)> falling = {})
{
    return [=](QPainter &p) {
        night ? moon(p, {32, 28}, 17) : sun(p, {32, 30}, 15);
        cloud(p, {56, 46}, 66, dark);
        if (falling)
            falling(p);
    };
}

const std::map<QString, Draw> &drawings()
{
    static const std::map<QString, Draw> all{
        {QStringLiteral("0"), [](QPainter &p) { funnel(p); }},
        {QStringLiteral("1"), [](QPainter &p) { spiral(p, {50, 44}, 32, QColor(70, 110, 170)); drops(p, {{24, 86}, {76, 86}}); }},
        {QStringLiteral("2"), [](QPainter &p) { spiral(p, {50, 50}, 40, QColor(200, 60, 50)); }},
        {QStringLiteral("3"), precipitation(true, [](QPainter &p) { bolt(p, {40, 56}); bolt(p, {66, 58}, 0.9); drops(p, {{24, 82}, {82, 80}}); })},
        {QStringLiteral("4"), precipitation(true, [](QPainter &p) { bolt(p, {54, 56}); })},
        {QStringLiteral("5"), precipitation(false, [](QPainter &p) { drops(p, {{34, 80}}); flakes(p, {{62, 82}}); })},
        {QStringLiteral("6"), precipitation(false, [](QPainter &p) { drops(p, {{34, 80}}); pellets(p, {{58, 78}, {70, 88}}); })},
        {QStringLiteral("7"), precipitation(false, [](QPainter &p) { flakes(p, {{34, 82}}); pellets(p, {{58, 78}, {70, 88}}); })},
        {QStringLiteral("8"), precipitation(false, [](QPainter &p) { drops(p, smallDrops, 0.6); frostCrystal(p, {80, 84}, 8); })},
        {QStringLiteral("9"), precipitation(false, [](QPainter &p) { drops(p, smallDrops, 0.6); })},
        {QStringLiteral("10"), precipitation(false, [](QPainter &p) { drops(p, {{30, 80}, {50, 86}}); frostCrystal(p, {74, 82}, 10); })},
        {QStringLiteral("11"), precipitation(false, [](QPainter &p) { drops(p, twoDrops); })},
        {QStringLiteral("12"), precipitation(false, [](QPainter &p) { drops(p, threeDrops); })},
        {QStringLiteral("13"), precipitation(false, [](QPainter &p) { flakes(p, {{50, 82}}, 0.8); })},
        {QStringLiteral("14"), peeking(false, false, [](QPainter &p) { flakes(p, {{46, 84}, {68, 84}}, 0.8); })},
        {QStringLiteral("15"), [](QPainter &p) { windLines(p, 30, 3); flakes(p, {{30, 82}, {56, 86}, {80, 80}}); }},
        {QStringLiteral("16"), precipitation(false, [](QPainter &p) { flakes(p, threeFlakes); })},
        {QStringLiteral("17"), precipitation(false, [](QPainter &p) { hail(p, {{30, 78}, {48, 88}, {66, 78}, {80, 88}}); })},
        {QStringLiteral("18"), precipitation(false, [](QPainter &p) { pellets(p, {{30, 78}, {48, 86}, {66, 78}, {78, 88}}); })},
        {QStringLiteral("19"), [](QPainter &p) { fogBands(p, 30, 5, QColor(190, 150, 90)); }},
        {QStringLiteral("20"), [](QPainter &p) { cloud(p, {50, 30}, 62); fogBands(p, 58, 4); }},
        {QStringLiteral("21"), [](QPainter &p) { sun(p, {50, 36}, 16); fogBands(p, 62, 3, QColor(200, 180, 130)); }},
        {QStringLiteral("22"), [](QPainter &p) { fogBands(p, 34, 2, QColor(120, 120, 120)); cloud(p, {50, 66}, 56, true); }},
        {QStringLiteral("23"), [](QPainter &p) { cloud(p, {54, 30}, 60); windLines(p, 66, 2); }},
        {QStringLiteral("24"), [](QPainter &p) { windLines(p, 34, 3); }},
        {QStringLiteral("25"), [](QPainter &p) { thermometer(p, {34, 14}, QColor(40, 120, 230), 0.2); frostCrystal(p, {70, 50}, 20); }},
        {QStringLiteral("26"), [](QPainter &p) { cloud(p, {40, 36}, 56, true); cloud(p, {56, 54}, 74); }},
        {QStringLiteral("27"), [](QPainter &p) { moon(p, {30, 30}, 18); cloud(p, {54, 52}, 82); }},
        {QStringLiteral("28"), [](QPainter &p) { sun(p, {32, 32}, 16); cloud(p, {54, 52}, 82); }},
        {QStringLiteral("29"), [](QPainter &p) { moon(p, {40, 40}, 24); cloud(p, {66, 66}, 46); }},
        {QStringLiteral("30"), [](QPainter &p) { sun(p, {40, 40}, 20); cloud(p, {66, 66}, 46); }},
        {QStringLiteral("31"), [](QPainter &p) { moon(p, {48, 52}, 30); stars(p, {{78, 22}, {20, 24}, {84, 70}}); }},
        {QStringLiteral("32"), [](QPainter &p) { sun(p, {50, 50}, 24); }},
        {QStringLiteral("33"), [](QPainter &p) { moon(p, {46, 48}, 26); stars(p, {{80, 24}}); cloud(p, {72, 76}, 30); }},
        {QStringLiteral("34"), [](QPainter &p) { sun(p, {46, 46}, 21); cloud(p, {72, 76}, 30); }},
        {QStringLiteral("35"), precipitation(false, [](QPainter &p) { drops(p, {{30, 80}, {62, 82}}); hail(p, {{46, 88}, {78, 86}}); })},
        {QStringLiteral("36"), [](QPainter &p) { sun(p, {40, 40}, 20); thermometer(p, {76, 18}, QColor(220, 40, 30), 0.9); }},
        {QStringLiteral("37"), peeking(false, false, [](QPainter &p) { bolt(p, {58, 62}, 0.9); })},
        {QStringLiteral("38"), peeking(false, true, [](QPainter &p) { bolt(p, {60, 62}, 0.9); drops(p, {{40, 82}, {80, 80}}); })},
        {QStringLiteral("39"), peeking(false, false, [](QPainter &p) { drops(p, {{46, 80}, {68, 84}}); })},
        {QStringLiteral("40"), precipitation(true, [](QPainter &p) { drops(p, manyDrops); })},
        {QStringLiteral("41"), peeking(false, false, [](QPainter &p) { flakes(p, {{46, 82}, {70, 84}}); })},
        {QStringLiteral("42"), precipitation(true, [](QPainter &p) { flakes(p, {{24, 78}, {42, 88}, {60, 78}, {78, 88}}); })},
        {QStringLiteral("43"), [](QPainter &p) { cloud(p, {50, 30}, 66, true); windLines(p, 62, 1, QColor(70, 80, 100));
                                                 flakes(p, {{22, 82}, {46, 88}, {66, 78}, {86, 88}}, 0.9); }},
        {QStringLiteral("44"), [](QPainter &p) { question(p); }},
        {QStringLiteral("45"), peeking(true, false, [](QPainter &p) { drops(p, {{46, 80}, {68, 84}}); })},
        {QStringLiteral("46"), peeking(true, false, [](QPainter &p) { flakes(p, {{46, 82}, {70, 84}}); })},
        {QStringLiteral("47"), peeking(true, true, [](QPainter &p) { bolt(p, {60, 62}, 0.9); })},
        {QStringLiteral("na"), [](QPainter &p) { question(p); }},
    };
    return all;
}
} // namespace

QStringList iconCodes()
{
    QStringList codes;
    for (const auto &[code, draw] : drawings())
        codes << code;
    return codes;
}

QImage drawIcon(const QString &code, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);
    drawings().at(code)(p);
    return image;
}

} // namespace art
