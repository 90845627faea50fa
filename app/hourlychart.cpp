#include "hourlychart.h"

#include "places.h"
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

const QColor kTemperature(200, 60, 40), kFeels(200, 60, 40, 150), kRain(30, 100, 200), kGust(90, 90, 90),
    kNight(20, 40, 90, 28), kNow(230, 120, 0), kGrid(215, 215, 215), kText(40, 40, 40);
enum Series { Temperature, Feels, Rain, Gusts };

// A scale from 0 over `steps` round steps that holds `highest`.
Scale fromZero(double highest, int steps)
{
    const double step = roundStep(std::max(highest, 1e-9) / steps);
    return {0, step * steps, step};
}

QString degrees(double v)
{
    return frenchNumber(v, 1) + QStringLiteral(" °C");
}

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

bool HourlyChart::place(const QString &text, QRectF rect, const QColor &colour)
{
    // Kept inside the widget, and refused where it would cover another text.
    rect.moveLeft(std::clamp(rect.left(), 0.0, std::max(0.0, width() - rect.width())));
    rect.moveTop(std::clamp(rect.top(), 0.0, std::max(0.0, height() - rect.height())));
    for (const Label &l : labels_)
        if (l.rect.intersects(rect))
            return false;
    labels_.append({text, rect, colour});
    return true;
}

// Where everything goes, from the font: margins as wide as the widest label of each axis, rows as
// high as a line of text, as many grid steps as the height holds.
void HourlyChart::layout()
{
    labels_.clear();
    strip_.clear();
    legendSwatches_.clear();
    const QFontMetricsF fm(font());
    const double line = fm.height(), pad = std::ceil(line / 3);
    const auto width = [&fm](const QString &t) { return std::ceil(fm.horizontalAdvance(t)) + 2; };

    // Series present: temperature always; the others only where the hours have them.
    std::optional<double> tLo, tHi;
    double pHi = 0, gHi = 0;
    bool feels = false, gusts = false;
    for (const HourPoint &h : hours_) {
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
    QList<std::pair<QString, int>> legend{{QStringLiteral("température"), Temperature}};
    if (feels)
        legend.append({QStringLiteral("ressenti"), Feels});
    legend.append({pHi > 0 ? QStringLiteral("pluie (mm/h)") : QStringLiteral("Pas de pluie sur 48 heures"), pHi > 0 ? Rain : -1});
    if (gusts)
        legend.append({QStringLiteral("rafales (km/h)"), Gusts});
    double lx = pad, ly = pad;
    const double swatch = 2 * line;
    for (const auto &[text, series] : legend) {
        const double w = (series >= 0 ? swatch + pad : 0) + width(text);
        if (lx + w > this->width() - pad && lx > pad) {
            lx = pad;
            ly += line + pad / 2;
        }
        if (series >= 0)
            legendSwatches_.append({QRectF(lx, ly, swatch, line), series});
        place(text, QRectF(lx + (series >= 0 ? swatch + pad : 0), ly, width(text), line), series == Rain ? kRain : kText);
        lx += w + 2 * pad;
    }
    const double stripTop = ly + line + pad;
    iconSide_ = int(std::round(line * 1.6));
    const double stripHeight = line + iconSide_ + line;
    const double top = stripTop + stripHeight + pad, bottom = height() - 2 * line - pad;

    // As many steps as the height holds, each at least a line and a half apart.
    const double height = std::max(bottom - top, line);
    steps_ = 4;
    for (int s = 4; s >= 1; --s) {
        steps_ = s;
        temperature_ = niceScale(tLo.value_or(0), tHi.value_or(0), s);
        if (height / std::lround((temperature_.high - temperature_.low) / temperature_.step) >= 1.5 * line)
            break;
    }
    const int steps = int(std::lround((temperature_.high - temperature_.low) / temperature_.step));
    precipitation_ = pHi > 0 ? std::optional<Scale>(fromZero(pHi, steps)) : std::nullopt;
    gust_ = gusts ? std::optional<Scale>(fromZero(std::max(gHi, 10.0), steps)) : std::nullopt;

    // Margins from the widest label of each axis.
    double left = 0, rainWidth = 0, gustWidth = 0;
    for (int i = 0; i <= steps; ++i) {
        left = std::max(left, width(degrees(temperature_.low + i * temperature_.step)));
        if (precipitation_)
            rainWidth = std::max(rainWidth, width(frenchNumber(i * precipitation_->step, 2) + QStringLiteral(" mm/h")));
        if (gust_)
            gustWidth = std::max(gustWidth, width(frenchNumber(i * gust_->step, 1) + QStringLiteral(" km/h")));
    }
    const double right = (rainWidth > 0 ? rainWidth + pad : 0) + (gustWidth > 0 ? gustWidth + pad : 0) + pad;
    plot_ = QRectF(QPointF(left + 2 * pad, top), QPointF(std::max(left + 3 * pad, this->width() - right), top + height));

    for (int i = 0; i <= steps; ++i) {
        const double yy = plot_.bottom() - plot_.height() * i / steps;
        const QRectF row(0, yy - line / 2, 0, line);
        place(degrees(temperature_.low + i * temperature_.step), row.adjusted(plot_.left() - pad - left, 0, plot_.left() - pad, 0), kTemperature);
        if (precipitation_)
            place(frenchNumber(i * precipitation_->step, 2) + QStringLiteral(" mm/h"),
                  row.adjusted(plot_.right() + pad, 0, plot_.right() + pad + rainWidth, 0), kRain);
        if (gust_) {
            const double at = plot_.right() + pad + (rainWidth > 0 ? rainWidth + pad : 0);
            place(frenchNumber(i * gust_->step, 1) + QStringLiteral(" km/h"), row.adjusted(at, 0, at + gustWidth, 0), kGust);
        }
    }
    if (hours_.isEmpty())
        return;

    // Hours under the plot, every 3 hours, or 6 when narrow; the day's name under its midnight.
    const double perHour = plot_.width() / 48;
    const int labelEvery = perHour * 3 >= width(QStringLiteral("00 h")) + pad ? 3 : 6;
    for (const HourPoint &h : hours_) {
        const int hour = h.time.time().hour();
        if (hour % labelEvery == 0) {
            const QString text = QString::number(hour) + QStringLiteral(" h");
            place(text, QRectF(x(h.time) - width(text) / 2, plot_.bottom() + pad / 2, width(text), line), kText);
        }
        if (hour == 0) {
            const QString day = QLocale(QLocale::French).dayName(h.time.date().dayOfWeek());
            place(day, QRectF(x(h.time) - width(day) / 2, plot_.bottom() + pad / 2 + line, width(day), line), kText);
        }
    }

    // The strip: every 3 hours, every 2 where the width allows; hour, icon, temperature.
    const double cell = std::max({width(QStringLiteral("23 h")), double(iconSide_), width(QStringLiteral("-88°"))}) + pad;
    const int stripEvery = perHour * 2 >= cell ? 2 : perHour * 3 >= cell ? 3 : 6;
    for (int i = 0; i < hours_.size(); ++i) {
        const HourPoint &h = hours_[i];
        if (h.time.time().hour() % stripEvery != 0)
            continue;
        const double cx = x(h.time.addSecs(1800));
        const QString hour = QString::number(h.time.time().hour()) + QStringLiteral(" h");
        if (!place(hour, QRectF(cx - width(hour) / 2, stripTop, width(hour), line), kText))
            continue;
        strip_.append({i, QRectF(cx - iconSide_ / 2.0, stripTop + line, iconSide_, iconSide_)});
        if (h.temperature) {
            const QString t = QString::number(std::lround(*h.temperature)) + QStringLiteral("°");
            place(t, QRectF(cx - width(t) / 2, stripTop + line + iconSide_, width(t), line), kTemperature);
        }
    }

    // The warmest and the coldest hour, named on the curve.
    int warmest = -1, coldest = -1;
    for (int i = 0; i < hours_.size(); ++i)
        if (hours_[i].temperature) {
            if (warmest < 0 || *hours_[i].temperature > *hours_[warmest].temperature)
                warmest = i;
            if (coldest < 0 || *hours_[i].temperature < *hours_[coldest].temperature)
                coldest = i;
        }
    // Within the plot, so that they never reach an axis.
    const auto onCurve = [&](int hour, bool above) {
        const QPointF p = temperaturePoint(hour);
        const QString t = degrees(std::round(*hours_[hour].temperature));
        const double w = width(t);
        const double left = std::clamp(p.x() - w / 2, plot_.left(), std::max(plot_.left(), plot_.right() - w));
        const double top = above ? std::max(plot_.top(), p.y() - line - 2) : std::min(plot_.bottom() - line, p.y() + 2);
        place(t, QRectF(left, top, w, line), kTemperature);
    };
    if (warmest >= 0) {
        onCurve(warmest, true);
        if (*hours_[coldest].temperature < *hours_[warmest].temperature)
            onCurve(coldest, false);
    }
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
    const double left = std::max(x(warnings_[index].begin), plot_.left()), right = std::min(x(warnings_[index].end), plot_.right());
    return right > left ? QRectF(QPointF(left, plot_.top()), QPointF(right, plot_.bottom())) : QRectF();
}

QColor warningColour(int colour, int alpha)
{
    QColor c = colour == 4 ? QColor(225, 0, 0) : colour == 3 ? QColor(255, 140, 0) : QColor(240, 210, 0);
    c.setAlpha(alpha);
    return c;
}

double HourlyChart::x(const QDateTime &t) const
{
    if (hours_.isEmpty())
        return plot_.left();
    return plot_.left() + plot_.width() * (hours_.first().time.secsTo(t) / 3600.0) / 48.0;
}

double HourlyChart::y(const Scale &scale, double v) const
{
    return plot_.bottom() - plot_.height() * (v - scale.low) / (scale.high - scale.low);
}

QPointF HourlyChart::temperaturePoint(int hour) const
{
    if (hour < 0 || hour >= hours_.size() || !hours_[hour].temperature)
        return {};
    return {x(hours_[hour].time.addSecs(1800)), y(temperature_, *hours_[hour].temperature)};
}

QRectF HourlyChart::precipitationBar(int hour) const
{
    if (!precipitation_ || hour < 0 || hour >= hours_.size() || hours_[hour].precipitation.value_or(0) <= 0)
        return {};
    const double top = y(*precipitation_, std::min(*hours_[hour].precipitation, precipitation_->high));
    const double left = x(hours_[hour].time), w = plot_.width() / 48.0;
    return QRectF(QPointF(left + 1, top), QPointF(left + w - 1, plot_.bottom()));
}

int HourlyChart::hourAt(double px) const
{
    const double along = (px - plot_.left()) / (plot_.width() / 48.0);
    const int hour = along >= 0 ? int(along) : -1;
    return hour < hours_.size() ? hour : -1;
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
        image = image.scaled(qRound(iconSide_ * ratio), qRound(iconSide_ * ratio), Qt::KeepAspectRatio, Qt::SmoothTransformation);
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
        painter.fillRect(QRectF(QPointF(std::max(x(from), plot_.left()), plot_.top()), QPointF(std::min(x(to), plot_.right()), plot_.bottom())), kNight);
    // Warnings: a light band of their colour over their hours, a strong edge along the top.
    for (int i = int(warnings_.size()) - 1; i >= 0; --i)
        if (const QRectF band = warningBand(i); !band.isEmpty()) {
            painter.fillRect(band, warningColour(warnings_[i].colour, 45));
            painter.fillRect(QRectF(band.left(), band.top(), band.width(), 4), warningColour(warnings_[i].colour, 220));
        }
    const int steps = int(std::lround((temperature_.high - temperature_.low) / temperature_.step));
    painter.setPen(kGrid);
    for (int i = 0; i <= steps; ++i) {
        const double yy = plot_.bottom() - plot_.height() * i / steps;
        painter.drawLine(QPointF(plot_.left(), yy), QPointF(plot_.right(), yy));
    }
    for (const HourPoint &h : hours_)
        if (h.time.time().hour() == 0) {
            painter.setPen(QColor(120, 120, 120));
            painter.drawLine(QPointF(x(h.time), plot_.top()), QPointF(x(h.time), plot_.bottom()));
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
                run.append(QPointF(x(h.time.addSecs(1800)), y(scale, *v)));
            else
                flush();
        }
        flush();
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    };
    if (gust_)
        curve([](const HourPoint &h) { return h.gust; }, *gust_, QPen(kGust, 1, Qt::DashLine), false);
    curve([](const HourPoint &h) { return h.feelsLike; }, temperature_, QPen(kFeels, 1.5, Qt::DotLine), true);
    curve([](const HourPoint &h) { return h.temperature; }, temperature_, QPen(kTemperature, 2.5), true);
    // Now, by the clock.
    painter.setPen(QPen(kNow, 2));
    if (const double now = x(now_); now >= plot_.left() && now <= plot_.right())
        painter.drawLine(QPointF(now, plot_.top()), QPointF(now, plot_.bottom()));
    // The legend's samples, the strip's icons, every text.
    for (const auto &[r, series] : legendSwatches_) {
        const double mid = r.center().y();
        switch (series) {
        case Temperature: painter.setPen(QPen(kTemperature, 2.5)); painter.drawLine(QPointF(r.left(), mid), QPointF(r.right(), mid)); break;
        case Feels: painter.setPen(QPen(kFeels, 1.5, Qt::DotLine)); painter.drawLine(QPointF(r.left(), mid), QPointF(r.right(), mid)); break;
        case Gusts: painter.setPen(QPen(kGust, 1, Qt::DashLine)); painter.drawLine(QPointF(r.left(), mid), QPointF(r.right(), mid)); break;
        default: painter.fillRect(r.adjusted(r.width() / 4, 1, -r.width() / 4, -1), kRain); break;
        }
    }
    for (const StripCell &c : strip_)
        if (const QPixmap p = icon(hours_[c.hour].icon); !p.isNull())
            painter.drawPixmap(c.iconRect.topLeft(), p);
    for (const Label &l : labels_) {
        painter.setPen(l.colour);
        painter.drawText(l.rect, Qt::AlignCenter, l.text);
    }
    // The cursor: its hour outlined, its temperature marked.
    if (cursor_ >= 0 && cursor_ < hours_.size()) {
        const double left = x(hours_[cursor_].time), w = plot_.width() / 48;
        painter.setPen(QPen(QColor(0, 0, 0, 160), 1, hasFocus() ? Qt::SolidLine : Qt::DotLine));
        painter.setBrush(QColor(0, 0, 0, 18));
        painter.drawRect(QRectF(left, plot_.top(), w, plot_.height()));
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
    if (const int hour = hourAt(event->position().x()); hour >= 0)
        setCursor(hour);
    QWidget::mouseMoveEvent(event);
}

bool HourlyChart::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip && !hours_.isEmpty()) {
        const auto *help = static_cast<QHelpEvent *>(e);
        if (const int hour = hourAt(help->pos().x()); hour >= 0)
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
