// SPDX-License-Identifier: GPL-2.0-or-later
#include "chartlayout.h"

#include "common/frenchtext.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace meteo {
namespace {

// A scale from 0 over `steps` round steps that holds `highest`.
Scale fromZero(double highest, int steps)
{
    const double step = roundStep(std::max(highest, 1e-9) / steps);
    return {0, step * steps, step};
}

QString degrees(double v)
{
    return french::degrees(v, 1);
}

} // namespace

bool ChartLayout::place(const QString &text, QRectF rect, const QColor &colour)
{
    // Kept inside the widget, and refused where it would cover another text.
    rect.moveLeft(std::clamp(rect.left(), 0.0, std::max(0.0, size_.width() - rect.width())));
    rect.moveTop(std::clamp(rect.top(), 0.0, std::max(0.0, size_.height() - rect.height())));
    for (const Label &l : labels)
        if (l.rect.intersects(rect))
            return false;
    labels.append({text, rect, colour});
    return true;
}

// Where everything goes, from the font: margins as wide as the widest label of each axis, rows as
// high as a line of text, as many grid steps as the height holds.
ChartLayout::ChartLayout(const QList<HourPoint> &hours, const QFont &font, QSizeF size) : size_(size)
{
    if (!hours.isEmpty())
        start_ = hours.first().time;
    const QFontMetricsF fm(font);
    const double line = fm.height(), pad = std::ceil(line / 3);
    const auto width = [&fm](const QString &t) { return std::ceil(fm.horizontalAdvance(t)) + 2; };

    // Series present: temperature always; the others only where the hours have them.
    std::optional<double> tLo, tHi;
    double pHi = 0, gHi = 0;
    bool feels = false, gusts = false;
    for (const HourPoint &h : hours) {
        for (const std::optional<double> &v : {h.temperature, h.feelsLike})
            if (v) {
                tLo = std::min(tLo.value_or(*v), *v);
                tHi = std::max(tHi.value_or(*v), *v);
            }
        feels = feels || h.feelsLike;
        pHi = std::max(pHi, h.precipitation.value_or(0));
        gusts = gusts || h.gust;
        gHi = std::max(gHi, h.gust.value_or(0));
    }

    // The legend, one row (two when narrow), at the top.
    QList<std::pair<QString, int>> legend{{QStringLiteral("température"), chart::Temperature}};
    if (feels)
        legend.append({QStringLiteral("ressenti"), chart::Feels});
    legend.append({pHi > 0 ? QString::fromUtf8(precipitationWord(wetHoursKind(hours))) + QStringLiteral(" (mm/h)")
                           : QStringLiteral("Pas de pluie sur 48 heures"),
                   pHi > 0 ? chart::Rain : -1});
    if (gusts)
        legend.append({QStringLiteral("rafales (km/h)"), chart::Gusts});
    double lx = pad, ly = pad;
    const double swatch = 2 * line;
    for (const auto &[text, series] : legend) {
        const double w = (series >= 0 ? swatch + pad : 0) + width(text);
        if (lx + w > size.width() - pad && lx > pad) {
            lx = pad;
            ly += line + pad / 2;
        }
        if (series >= 0)
            legendSwatches.append({QRectF(lx, ly, swatch, line), series});
        place(text, QRectF(lx + (series >= 0 ? swatch + pad : 0), ly, width(text), line), series == chart::Rain ? chart::kRain : chart::kText);
        lx += w + 2 * pad;
    }
    const double stripTop = ly + line + pad;
    iconSide = int(std::round(line * 1.6));
    const double stripHeight = line + iconSide + line;
    const double top = stripTop + stripHeight + pad, bottom = size.height() - 2 * line - pad;

    // As many steps as the height holds, each at least a line and a half apart.
    const double height = std::max(bottom - top, line);
    for (int s = 4; s >= 1; --s) {
        temperature = niceScale(tLo.value_or(0), tHi.value_or(0), s);
        if (height / std::lround((temperature.high - temperature.low) / temperature.step) >= 1.5 * line)
            break;
    }
    const int steps = this->steps();
    // Drizzle looks like drizzle: the axis reaches 2 mm/h at least; and the wettest hour stays under
    // its top, with a little room.
    precipitation = pHi > 0 ? std::optional<Scale>(fromZero(std::max(pHi * 1.1, 2.0), steps)) : std::nullopt;
    gust = gusts ? std::optional<Scale>(fromZero(std::max(gHi, 10.0), steps)) : std::nullopt;

    // Margins from the widest label of each axis.
    double left = 0, rainWidth = 0, gustWidth = 0;
    for (int i = 0; i <= steps; ++i) {
        left = std::max(left, width(degrees(temperature.low + i * temperature.step)));
        if (precipitation)
            rainWidth = std::max(rainWidth, width(french::number(i * precipitation->step, 2) + QStringLiteral(" mm/h")));
        if (gust)
            gustWidth = std::max(gustWidth, width(french::number(i * gust->step, 1) + QStringLiteral(" km/h")));
    }
    const double right = (rainWidth > 0 ? rainWidth + pad : 0) + (gustWidth > 0 ? gustWidth + pad : 0) + pad;
    plot = QRectF(QPointF(left + 2 * pad, top), QPointF(std::max(left + 3 * pad, size.width() - right), top + height));

    for (int i = 0; i <= steps; ++i) {
        const double yy = plot.bottom() - plot.height() * i / steps;
        const QRectF row(0, yy - line / 2, 0, line);
        place(degrees(temperature.low + i * temperature.step), row.adjusted(plot.left() - pad - left, 0, plot.left() - pad, 0), chart::kTemperature);
        if (precipitation)
            place(french::number(i * precipitation->step, 2) + QStringLiteral(" mm/h"),
                  row.adjusted(plot.right() + pad, 0, plot.right() + pad + rainWidth, 0), chart::kRain);
        if (gust) {
            const double at = plot.right() + pad + (rainWidth > 0 ? rainWidth + pad : 0);
            place(french::number(i * gust->step, 1) + QStringLiteral(" km/h"), row.adjusted(at, 0, at + gustWidth, 0), chart::kGust);
        }
    }
    if (hours.isEmpty())
        return;

    // Hours under the plot, every 3 hours, or 6 when narrow; the day's name under its midnight.
    const double perHour = hourWidth();
    const int labelEvery = perHour * 3 >= width(QStringLiteral("00 h")) + pad ? 3 : 6;
    for (const HourPoint &h : hours) {
        const int hour = h.time.time().hour();
        if (hour % labelEvery == 0) {
            const QString text = QString::number(hour) + QStringLiteral(" h");
            place(text, QRectF(x(h.time) - width(text) / 2, plot.bottom() + pad / 2, width(text), line), chart::kText);
        }
        if (hour == 0) {
            const QString day = french::dayName(h.time.date());
            place(day, QRectF(x(h.time) - width(day) / 2, plot.bottom() + pad / 2 + line, width(day), line), chart::kText);
        }
    }

    // The strip: every 3 hours, every 2 where the width allows; hour, icon, temperature.
    const double cell = std::max({width(QStringLiteral("23 h")), double(iconSide), width(QStringLiteral("-88°"))}) + pad;
    const int stripEvery = perHour * 2 >= cell ? 2 : perHour * 3 >= cell ? 3 : 6;
    for (int i = 0; i < hours.size(); ++i) {
        const HourPoint &h = hours[i];
        if (h.time.time().hour() % stripEvery != 0)
            continue;
        const double cx = x(h.time.addSecs(1800));
        const QString hour = QString::number(h.time.time().hour()) + QStringLiteral(" h");
        if (!place(hour, QRectF(cx - width(hour) / 2, stripTop, width(hour), line), chart::kText))
            continue;
        strip.append({i, QRectF(cx - iconSide / 2.0, stripTop + line, iconSide, iconSide)});
        if (h.temperature) {
            const QString t = french::shortDegrees(h.temperature);
            place(t, QRectF(cx - width(t) / 2, stripTop + line + iconSide, width(t), line), chart::kTemperature);
        }
    }

    // The warmest and the coldest hour, named on the curve.
    int warmest = -1, coldest = -1;
    for (int i = 0; i < hours.size(); ++i)
        if (hours[i].temperature) {
            if (warmest < 0 || *hours[i].temperature > *hours[warmest].temperature)
                warmest = i;
            if (coldest < 0 || *hours[i].temperature < *hours[coldest].temperature)
                coldest = i;
        }
    // Within the plot, so that they never reach an axis.
    const auto onCurve = [&](int hour, bool above) {
        const QPointF p = temperaturePoint(hours, hour);
        const QString t = degrees(std::round(*hours[hour].temperature));
        const double w = width(t);
        const double left = std::clamp(p.x() - w / 2, plot.left(), std::max(plot.left(), plot.right() - w));
        const double top = above ? std::max(plot.top(), p.y() - line - 2) : std::min(plot.bottom() - line, p.y() + 2);
        place(t, QRectF(left, top, w, line), chart::kTemperature);
    };
    if (warmest >= 0) {
        onCurve(warmest, true);
        if (*hours[coldest].temperature < *hours[warmest].temperature)
            onCurve(coldest, false);
    }
}

double ChartLayout::x(const QDateTime &t) const
{
    if (!start_.isValid())
        return plot.left();
    return plot.left() + hourWidth() * (start_.secsTo(t) / 3600.0);
}

double ChartLayout::y(const Scale &scale, double v) const
{
    return plot.bottom() - plot.height() * (v - scale.low) / (scale.high - scale.low);
}

QPointF ChartLayout::temperaturePoint(const QList<HourPoint> &hours, int hour) const
{
    if (hour < 0 || hour >= hours.size() || !hours[hour].temperature)
        return {};
    return {x(hours[hour].time.addSecs(1800)), y(temperature, *hours[hour].temperature)};
}

QRectF ChartLayout::precipitationBar(const QList<HourPoint> &hours, int hour) const
{
    if (!precipitation || hour < 0 || hour >= hours.size() || hours[hour].precipitation.value_or(0) <= 0)
        return {};
    const double top = y(*precipitation, std::min(*hours[hour].precipitation, precipitation->high));
    const double left = x(hours[hour].time);
    return QRectF(QPointF(left + 1, top), QPointF(left + hourWidth() - 1, plot.bottom()));
}

int ChartLayout::hourAt(double px, qsizetype count) const
{
    const double along = (px - plot.left()) / hourWidth();
    const int hour = along >= 0 ? int(along) : -1;
    return hour < count ? hour : -1;
}

} // namespace meteo
