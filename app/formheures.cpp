#include "formheures.h"

#include "places.h"
#include "receivedlabel.h"
#include "common/error.h"

#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <cmath>

namespace meteo {
namespace {

const QColor kTemperature(200, 60, 40), kRain(30, 100, 200), kGust(90, 90, 90), kNight(20, 40, 90, 28);

QColor intensityColour(RainIntensity i)
{
    switch (i) {
    case RainIntensity::Light: return {150, 195, 240};
    case RainIntensity::Moderate: return {60, 130, 215};
    case RainIntensity::Heavy: return {20, 60, 160};
    default: return {235, 240, 245};
    }
}

} // namespace

HourlyChart::HourlyChart(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Graphique"));
    setMinimumSize(760, 260);
    setAccessibleName(QStringLiteral("Prochaines 48 heures"));
}

void HourlyChart::setForecast(const QList<HourPoint> &hours, const QList<std::pair<QDateTime, QDateTime>> &nights,
                              const QDateTime &now)
{
    hours_ = hours;
    nights_ = nights;
    now_ = now;
    // In double throughout: the values are range-checked, but no sum or product may overflow.
    std::optional<double> tLo, tHi;
    double pHi = 0, gHi = 0;
    for (const HourPoint &h : hours_) {
        if (h.temperature) {
            tLo = std::min(tLo.value_or(*h.temperature), *h.temperature);
            tHi = std::max(tHi.value_or(*h.temperature), *h.temperature);
        }
        pHi = std::max(pHi, h.precipitation.value_or(0));
        gHi = std::max(gHi, h.gust.value_or(0));
    }
    temperature_ = niceScale(tLo.value_or(0), tHi.value_or(0));
    precipitation_ = niceScale(0, std::max(pHi, 1.0));
    precipitation_.low = 0;
    gust_ = niceScale(0, std::max(gHi, 10.0));
    gust_.low = 0;
    setAccessibleDescription(QString::fromUtf8(hourlyDescription(hours_)));
    update();
}

QRectF HourlyChart::plot() const
{
    return QRectF(48, 14, width() - 48 - 104, height() - 14 - 40);
}

double HourlyChart::x(const QDateTime &t) const
{
    if (hours_.isEmpty())
        return plot().left();
    const double hours = hours_.first().time.secsTo(t) / 3600.0;
    return plot().left() + plot().width() * hours / 48.0;
}

QPointF HourlyChart::temperaturePoint(int hour) const
{
    if (hour < 0 || hour >= hours_.size() || !hours_[hour].temperature)
        return {};
    const QRectF p = plot();
    const double y = p.bottom() - p.height() * (*hours_[hour].temperature - temperature_.low)
                                        / (temperature_.high - temperature_.low);
    return {x(hours_[hour].time.addSecs(1800)), y};
}

QRectF HourlyChart::precipitationBar(int hour) const
{
    if (hour < 0 || hour >= hours_.size() || hours_[hour].precipitation.value_or(0) <= 0)
        return {};
    const QRectF p = plot();
    const double h = p.height() * std::min(1.0, *hours_[hour].precipitation / precipitation_.high);
    const double left = x(hours_[hour].time), w = p.width() / 48.0;
    return {left + 1, p.bottom() - h, w - 2, h};
}

void HourlyChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF p = plot();
    painter.fillRect(rect(), Qt::white);
    if (hours_.isEmpty())
        return;
    for (const auto &[from, to] : nights_)
        painter.fillRect(QRectF(QPointF(x(from), p.top()), QPointF(x(to), p.bottom())), kNight);
    // Scales: °C on the left, mm then km/h on the right, the same number of steps.
    painter.setPen(QColor(210, 210, 210));
    const int steps = int(std::lround((temperature_.high - temperature_.low) / temperature_.step));
    const QLocale french(QLocale::French);
    for (int i = 0; i <= steps; ++i) {
        const double y = p.bottom() - p.height() * i / steps;
        painter.setPen(QColor(215, 215, 215));
        painter.drawLine(QPointF(p.left(), y), QPointF(p.right(), y));
        painter.setPen(kTemperature);
        painter.drawText(QRectF(0, y - 8, p.left() - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(temperature_.low + i * temperature_.step) + QStringLiteral(" °C"));
        painter.setPen(kRain);
        painter.drawText(QRectF(p.right() + 4, y - 8, 44, 16), Qt::AlignLeft | Qt::AlignVCenter,
                         french.toString(precipitation_.high * i / steps, 'g', 3) + QStringLiteral(" mm"));
        painter.setPen(kGust);
        painter.drawText(QRectF(p.right() + 50, y - 8, 54, 16), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::number(std::lround(gust_.high * i / steps)) + QStringLiteral(" km/h"));
    }
    // Bars: darker where rain is more likely.
    for (int i = 0; i < hours_.size(); ++i)
        if (const QRectF bar = precipitationBar(i); !bar.isEmpty()) {
            QColor c = kRain;
            c.setAlpha(60 + int(std::lround(195 * hours_[i].chance.value_or(100) / 100.0)));
            painter.fillRect(bar, c);
        }
    // Curves, broken where a value is missing.
    const auto curve = [&](auto valueAt, const QPen &pen) {
        QPainterPath path;
        bool drawing = false;
        for (int i = 0; i < hours_.size(); ++i) {
            const std::optional<QPointF> pt = valueAt(i);
            if (!pt) {
                drawing = false;
                continue;
            }
            drawing ? path.lineTo(*pt) : path.moveTo(*pt);
            drawing = true;
        }
        painter.setPen(pen);
        painter.drawPath(path);
    };
    curve([&](int i) -> std::optional<QPointF> {
              if (!hours_[i].gust)
                  return std::nullopt;
              return QPointF(x(hours_[i].time.addSecs(1800)), p.bottom() - p.height() * *hours_[i].gust / gust_.high);
          },
          QPen(kGust, 1, Qt::DashLine));
    curve([&](int i) -> std::optional<QPointF> {
              const QPointF pt = temperaturePoint(i);
              return pt.isNull() ? std::nullopt : std::optional<QPointF>(pt);
          },
          QPen(kTemperature, 2.5));
    // Hours every 3 hours, the day's name at each midnight, the current time.
    painter.setPen(Qt::black);
    for (const HourPoint &h : hours_) {
        const int hour = h.time.time().hour();
        if (hour % 3 == 0)
            painter.drawText(QRectF(x(h.time) - 20, p.bottom() + 2, 40, 16), Qt::AlignCenter, QString::number(hour) + QStringLiteral(" h"));
        if (hour == 0) {
            painter.drawLine(QPointF(x(h.time), p.top()), QPointF(x(h.time), p.bottom() + 4));
            painter.drawText(QRectF(x(h.time) - 40, p.bottom() + 18, 80, 16), Qt::AlignCenter, french.dayName(h.time.date().dayOfWeek()));
        }
    }
    // Now, by the clock: the first hour is the one that holds it.
    painter.setPen(QPen(QColor(230, 120, 0), 2));
    const double now = x(now_);
    if (now >= p.left() && now <= p.right())
        painter.drawLine(QPointF(now, p.top()), QPointF(now, p.bottom()));
}

bool HourlyChart::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip && !hours_.isEmpty()) {
        const auto *help = static_cast<QHelpEvent *>(e);
        const double along = (help->pos().x() - plot().left()) / (plot().width() / 48.0);
        const int hour = along >= 0 && along < 48 ? int(along) : -1;
        if (hour >= 0 && hour < hours_.size())
            QToolTip::showText(help->globalPos(), QString::fromUtf8(hourTooltip(hours_[hour])), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(e);
}

RainStrip::RainStrip(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Pluie"));
    setMinimumHeight(52);
    setAccessibleName(QStringLiteral("Pluie dans les 2 heures"));
}

void RainStrip::setRain(const QList<RainSlot> &rain)
{
    rain_ = rain;
    update();
}

void RainStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (rain_.isEmpty())
        return;
    // Eight places whatever is left, so that a cell keeps its width as the quarters pass.
    const double w = double(width()) / 8;
    for (int i = 0; i < rain_.size(); ++i) {
        const QRectF cell(i * w + 1, 0, w - 2, 28);
        if (rain_[i].mm) {
            painter.fillRect(cell, intensityColour(intensityOf(*rain_[i].mm)));
        } else {  // unknown, plainly: never drawn as dry
            painter.fillRect(cell, QBrush(QColor(150, 150, 150), Qt::BDiagPattern));
            painter.drawText(cell, Qt::AlignCenter, QStringLiteral("?"));
        }
        painter.drawText(QRectF(i * w, 30, w, 20), Qt::AlignCenter, QString::fromUtf8(hourText(rain_[i].start)));
    }
}

FormHeures::FormHeures(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormHeures"));
    setWindowTitle(QStringLiteral("Prochaines 48 heures"));
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("Pluie dans les 2 heures"), this);
    title->setStyleSheet(QStringLiteral("font-weight: bold;"));
    Phrase = new QLabel(this);
    Phrase->setObjectName(QStringLiteral("Phrase"));
    Phrase->setTextFormat(Qt::PlainText);
    Pluie = new RainStrip(this);
    Graphique = new HourlyChart(this);
    Message = new QLabel(this);
    Message->setObjectName(QStringLiteral("Message"));
    Message->setTextFormat(Qt::PlainText);
    Recues = new QLabel(this);
    Recues->setObjectName(QStringLiteral("Recues"));
    Recues->setTextFormat(Qt::PlainText);
    // One by one: the static analyser loses the layout's owner in a loop.
    layout->addWidget(title);
    layout->addWidget(Phrase);
    layout->addWidget(Pluie);
    layout->addWidget(Graphique);
    layout->addWidget(Message);
    layout->addWidget(Recues);
    setFixedSize(sizeHint());
    // "Now" moves: the window says again what is ahead every minute, while it is shown.
    minute_ = new QTimer(this);
    minute_->setInterval(60 * 1000);
    connect(minute_, &QTimer::timeout, this, &FormHeures::present);
}

void FormHeures::showMessage(const QString &text)
{
    for (QWidget *w : std::initializer_list<QWidget *>{Phrase, Pluie, Graphique})
        w->hide();
    Message->setText(text);
    Message->show();
}

void FormHeures::refresh(const WeatherDocument *doc)
{
    const Places &places = Places::current();
    forecast_ = {};
    received_ = {};
    setWindowTitle(QStringLiteral("Prochaines 48 heures"));
    if (!doc && !QFile::exists(places.weatherFile())) {
        Recues->clear();
        showMessage(QStringLiteral("Aucune prévision : la météo n'a pas encore été téléchargée"));
        return;
    }
    try {
        forecast_ = doc ? readHourly(*doc) : readHourly(WeatherDocument(places.weatherFile()));
    } catch (const Error &e) {
        Recues->clear();
        showMessage(QStringLiteral("Aucune prévision : ") + QString::fromUtf8(e.what()));
        return;
    }
    received_ = QFileInfo(places.weatherFile()).lastModified();
    if (!forecast_.place.isEmpty())
        setWindowTitle(QStringLiteral("Prochaines 48 heures — ") + QString::fromUtf8(forecast_.place));
    present();
}

void FormHeures::present()
{
    if (!received_.isValid())
        return;  // nothing was read
    const QDateTime now = clock();
    showReceived(Recues, received_, now);
    if (!forecast_.present || forecast_.hours.isEmpty()) {
        showMessage(QStringLiteral("Pas de prévision horaire dans ce document"));
        return;
    }
    const QList<HourPoint> ahead = hoursAhead(forecast_.hours, now);
    if (ahead.isEmpty()) {
        showMessage(QStringLiteral("Pas de prévision horaire à jour : toutes ses heures sont passées"));
        return;
    }
    Message->hide();
    Phrase->setText(QString::fromUtf8(rainSentence(forecast_.rain, now)));
    Pluie->setRain(quartersAhead(forecast_.rain, now));
    Graphique->setForecast(ahead, forecast_.nights, now);
    for (QWidget *w : std::initializer_list<QWidget *>{Phrase, Pluie, Graphique})
        w->show();
}

void FormHeures::showEvent(QShowEvent *event)
{
    present();
    minute_->start();
    QWidget::showEvent(event);
}

void FormHeures::hideEvent(QHideEvent *event)
{
    minute_->stop();
    QWidget::hideEvent(event);
}

void FormHeures::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

} // namespace meteo
