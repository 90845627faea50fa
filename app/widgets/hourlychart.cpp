// SPDX-License-Identifier: GPL-2.0-or-later
#include "hourlychart.h"

#include "app/storage/places.h"
#include "vigilancebadge.h"
#include "weather/display.h"

#include <QAccessible>
#include <QFile>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <cmath>

namespace meteo {
namespace {

using namespace chart;

} // namespace

HourlyChart::HourlyChart(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Graphique"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAccessibleName(QStringLiteral("Prochaines 48 heures"));
}

void HourlyChart::setForecast(const QList<HourPoint> &hours, const QList<std::pair<QDateTime, QDateTime>> &nights,
                              const QDateTime &now)
{
    hours_ = hours;
    nights_ = nights;
    now_ = now;
    if (cursor_ >= hours_.size())
        cursor_ = hours_.isEmpty() ? -1 : int(hours_.size()) - 1;
    layout();
    setAccessibleDescription(cursor_ >= 0 ? cursorText() : QString::fromUtf8(hourlyDescription(hours_)));
    update();
}

void HourlyChart::resizeEvent(QResizeEvent *)
{
    layout();
}

// Room for its texts at the font in use: 48 hours' worth of labels and about a dozen lines.
QSize HourlyChart::minimumSizeHint() const
{
    const QFontMetrics fm(font());
    return {fm.averageCharWidth() * 70, fm.height() * 17};
}

void HourlyChart::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        icons_.clear();
        updateGeometry();
        layout();
    }
    QWidget::changeEvent(event);
}

void HourlyChart::layout()
{
    layout_ = ChartLayout(hours_, font(), size());
}

void HourlyChart::setWarnings(const QList<OfficialWarning> &warnings)
{
    warnings_ = warnings;
    update();
}

QRectF HourlyChart::warningBand(int index) const
{
    if (index < 0 || index >= warnings_.size() || hours_.isEmpty())
        return {};
    const double left = std::max(layout_.x(warnings_[index].begin), layout_.plot.left()), right = std::min(layout_.x(warnings_[index].end), layout_.plot.right());
    return right > left ? QRectF(QPointF(left, layout_.plot.top()), QPointF(right, layout_.plot.bottom())) : QRectF();
}

QPointF HourlyChart::temperaturePoint(int hour) const
{
    return layout_.temperaturePoint(hours_, hour);
}

QRectF HourlyChart::precipitationBar(int hour) const
{
    return layout_.precipitationBar(hours_, hour);
}

QPixmap HourlyChart::icon(const QByteArray &code)
{
    const auto it = icons_.constFind(code);
    if (it != icons_.cend())
        return *it;
    QPixmap pixmap;
    const double ratio = devicePixelRatioF();
    QFile file(sharpIconPath(iconPath(Places::current().programDir(), code), ratio));
    QImage image;
    if (isSafeIconCode(code) && file.open(QIODevice::ReadOnly) && image.loadFromData(file.readAll(), "PNG")) {
        image = image.scaled(qRound(layout_.iconSide * ratio), qRound(layout_.iconSide * ratio), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        image.setDevicePixelRatio(ratio);
        pixmap = QPixmap::fromImage(image);
    }
    icons_.insert(code, pixmap);
    return pixmap;
}

void HourlyChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    for (const auto &[from, to] : nights_)
        painter.fillRect(QRectF(QPointF(std::max(layout_.x(from), layout_.plot.left()), layout_.plot.top()), QPointF(std::min(layout_.x(to), layout_.plot.right()), layout_.plot.bottom())), kNight);
    // Warnings: a light band of their colour over their hours, a strong edge along the top.
    for (int i = int(warnings_.size()) - 1; i >= 0; --i)
        if (const QRectF band = warningBand(i); !band.isEmpty()) {
            painter.fillRect(band, warningColour(warnings_[i].colour, 45));
            painter.fillRect(QRectF(band.left(), band.top(), band.width(), 4), warningColour(warnings_[i].colour, 220));
        }
    const int steps = layout_.steps();
    painter.setPen(kGrid);
    for (int i = 0; i <= steps; ++i) {
        const double yy = layout_.plot.bottom() - layout_.plot.height() * i / steps;
        painter.drawLine(QPointF(layout_.plot.left(), yy), QPointF(layout_.plot.right(), yy));
    }
    for (const HourPoint &h : hours_)
        if (h.time.time().hour() == 0) {
            painter.setPen(QColor(120, 120, 120));
            painter.drawLine(QPointF(layout_.x(h.time), layout_.plot.top()), QPointF(layout_.x(h.time), layout_.plot.bottom()));
        }
    // Bars: darker where rain is more likely.
    for (int i = 0; i < hours_.size(); ++i)
        if (const QRectF bar = precipitationBar(i); !bar.isEmpty()) {
            QColor c = kRain;
            c.setAlpha(60 + int(std::lround(195 * hours_[i].chance.value_or(100) / 100.0)));
            painter.fillRect(bar, c);
        }
    // Curves through the hours' middles, broken where a value is missing: the temperatures smooth
    // and never overshooting, the gusts as measured.
    const auto curve = [&](auto valueOf, const Scale &scale, const QPen &pen, bool smooth) {
        QPainterPath path;
        QList<QPointF> run;
        const auto flush = [&] {
            const QList<double> m = monotoneSlopes(run);
            for (qsizetype k = 0; k < run.size(); ++k) {
                if (k == 0) {
                    path.moveTo(run[0]);
                    continue;
                }
                const double h = run[k].x() - run[k - 1].x();
                if (smooth)
                    path.cubicTo(QPointF(run[k - 1].x() + h / 3, run[k - 1].y() + m[k - 1] * h / 3),
                                 QPointF(run[k].x() - h / 3, run[k].y() - m[k] * h / 3), run[k]);
                else
                    path.lineTo(run[k]);
            }
            run.clear();
        };
        for (const HourPoint &h : hours_) {
            if (const std::optional<double> v = valueOf(h))
                run.append(QPointF(layout_.x(h.time.addSecs(1800)), layout_.y(scale, *v)));
            else
                flush();
        }
        flush();
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    };
    if (layout_.gust)
        curve([](const HourPoint &h) { return h.gust; }, *layout_.gust, QPen(kGust, 1, Qt::DashLine), false);
    curve([](const HourPoint &h) { return h.feelsLike; }, layout_.temperature, QPen(kFeels, 1.5, Qt::DotLine), true);
    curve([](const HourPoint &h) { return h.temperature; }, layout_.temperature, QPen(kTemperature, 2.5), true);
    // Now, by the clock.
    painter.setPen(QPen(kNow, 2));
    if (const double now = layout_.x(now_); now >= layout_.plot.left() && now <= layout_.plot.right())
        painter.drawLine(QPointF(now, layout_.plot.top()), QPointF(now, layout_.plot.bottom()));
    // The legend's samples, the strip's icons, every text.
    for (const auto &[r, series] : layout_.legendSwatches) {
        const double mid = r.center().y();
        switch (series) {
        case Temperature: painter.setPen(QPen(kTemperature, 2.5)); painter.drawLine(QPointF(r.left(), mid), QPointF(r.right(), mid)); break;
        case Feels: painter.setPen(QPen(kFeels, 1.5, Qt::DotLine)); painter.drawLine(QPointF(r.left(), mid), QPointF(r.right(), mid)); break;
        case Gusts: painter.setPen(QPen(kGust, 1, Qt::DashLine)); painter.drawLine(QPointF(r.left(), mid), QPointF(r.right(), mid)); break;
        default: painter.fillRect(r.adjusted(r.width() / 4, 1, -r.width() / 4, -1), kRain); break;
        }
    }
    for (const ChartLayout::StripCell &c : layout_.strip)
        if (const QPixmap p = icon(hours_[c.hour].icon); !p.isNull())
            painter.drawPixmap(c.iconRect.topLeft(), p);
    for (const Label &l : layout_.labels) {
        painter.setPen(l.colour);
        painter.drawText(l.rect, Qt::AlignCenter, l.text);
    }
    // The cursor: its hour outlined, its temperature marked.
    if (cursor_ >= 0 && cursor_ < hours_.size()) {
        const double left = layout_.x(hours_[cursor_].time), w = layout_.plot.width() / 48;
        painter.setPen(QPen(QColor(0, 0, 0, 160), 1, hasFocus() ? Qt::SolidLine : Qt::DotLine));
        painter.setBrush(QColor(0, 0, 0, 18));
        painter.drawRect(QRectF(left, layout_.plot.top(), w, layout_.plot.height()));
        if (const QPointF p = temperaturePoint(cursor_); !p.isNull()) {
            painter.setBrush(kTemperature);
            painter.drawEllipse(p, 4, 4);
        }
    }
}

void HourlyChart::setCursor(int hour)
{
    hour = hours_.isEmpty() ? -1 : std::clamp(hour, -1, int(hours_.size()) - 1);
    if (hour == cursor_)
        return;
    cursor_ = hour;
    const QString text = cursorText();
    setAccessibleDescription(text.isEmpty() ? QString::fromUtf8(hourlyDescription(hours_)) : text);
    QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
    update();
    Q_EMIT cursorTextChanged(text);
}

QString HourlyChart::cursorText() const
{
    return cursor_ >= 0 && cursor_ < hours_.size() ? QString::fromUtf8(hourTooltip(hours_[cursor_])) : QString();
}

void HourlyChart::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left: setCursor(std::max(cursor_ - 1, 0)); break;
    case Qt::Key_Right: setCursor(cursor_ + 1); break;
    case Qt::Key_Home: setCursor(0); break;
    case Qt::Key_End: setCursor(int(hours_.size()) - 1); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void HourlyChart::focusInEvent(QFocusEvent *event)
{
    if (cursor_ < 0)
        setCursor(0);
    QWidget::focusInEvent(event);
    update();
}

void HourlyChart::mouseMoveEvent(QMouseEvent *event)
{
    if (const int hour = layout_.hourAt(event->position().x(), hours_.size()); hour >= 0)
        setCursor(hour);
    QWidget::mouseMoveEvent(event);
}

bool HourlyChart::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip && !hours_.isEmpty()) {
        const auto *help = static_cast<QHelpEvent *>(e);
        if (const int hour = layout_.hourAt(help->pos().x(), hours_.size()); hour >= 0)
            QToolTip::showText(help->globalPos(), QString::fromUtf8(hourTooltip(hours_[hour])), this);
        else
            QToolTip::hideText();
        return true;
    }
    if (e->type() == QEvent::FocusOut)
        update();
    return QWidget::event(e);
}

} // namespace meteo
