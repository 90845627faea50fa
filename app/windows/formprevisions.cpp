// SPDX-License-Identifier: GPL-2.0-or-later
#include "formprevisions.h"

#include "app/storage/places.h"
#include "app/widgets/windowparts.h"
#include "app/widgets/receivedlabel.h"
#include "common/frenchtext.h"
#include "weather/display.h"

#include <QFile>
#include <QGridLayout>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QScrollArea>
#include <QVBoxLayout>
#include <cmath>

namespace meteo {
namespace {

struct Column {
    const char *name;
    const char *spoken;  // what a screen reader says the column is
    int width;           // in average character widths; 0 for an icon
};
constexpr Column kColumns[] = {{"Jour", "Jour", 14},          {"IconeJour", "Ciel de jour", 0}, {"IconeNuit", "Ciel de nuit", 0},
                               {"Ciel", "Ciel", 20},           {"Temp", "Températures", 28},     {"Pluie", "Risque de pluie", 6},
                               {"Vent", "Vent", 11},           {"Soleil", "Soleil", 18}};
const QRegularExpression kSeconds(QStringLiteral("(?<=\\d\\d:\\d\\d):\\d\\d"));

} // namespace

TemperatureBar::TemperatureBar(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

void TemperatureBar::setRange(std::optional<double> low, std::optional<double> high, double scaleLow, double scaleHigh)
{
    low_ = low;
    high_ = high;
    scaleLow_ = scaleLow;
    scaleHigh_ = std::max(scaleHigh, scaleLow + 1);
    update();
}

// The track between the two value texts, wide enough for "-88°" on either side.
QRectF TemperatureBar::track() const
{
    const double side = fontMetrics().horizontalAdvance(QStringLiteral("-88°")) + 8;
    return QRectF(side, height() / 2.0 - 4, std::max(1.0, width() - 2 * side), 8);
}

double TemperatureBar::xOf(double v) const
{
    const QRectF t = track();
    return t.left() + t.width() * (v - scaleLow_) / (scaleHigh_ - scaleLow_);
}

std::optional<double> TemperatureBar::lowX() const
{
    return low_ ? std::optional<double>(xOf(*low_)) : std::nullopt;
}

std::optional<double> TemperatureBar::highX() const
{
    return high_ ? std::optional<double>(xOf(*high_)) : std::nullopt;
}

void TemperatureBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF t = track();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 120));
    painter.drawRoundedRect(t, 4, 4);
    const double side = t.left() - 4;
    if (low_ && high_) {
        QLinearGradient warmth(xOf(*low_), 0, xOf(*high_), 0);
        warmth.setColorAt(0, QColor(60, 120, 210));
        warmth.setColorAt(1, QColor(215, 90, 50));
        painter.setBrush(warmth);
        painter.drawRoundedRect(QRectF(QPointF(xOf(*low_), t.top()), QPointF(std::max(xOf(*high_), xOf(*low_) + 8), t.bottom())), 4, 4);
    } else {  // one value alone: a dot, and no bar pretending to know the other
        for (const std::optional<double> &v : {low_, high_})
            if (v) {
                painter.setBrush(v == high_ ? QColor(215, 90, 50) : QColor(60, 120, 210));
                painter.drawEllipse(QPointF(xOf(*v), t.center().y()), 5, 5);
            }
    }
    painter.setPen(palette().color(QPalette::WindowText));
    const auto valueText = [&](const std::optional<double> &v, double x, bool before) {
        const QString text = french::shortDegrees(v);
        const QRectF box = before ? QRectF(x - side - 4, 0, side, height()) : QRectF(x + 4, 0, side, height());
        painter.drawText(box, Qt::AlignVCenter | (before ? Qt::AlignRight : Qt::AlignLeft), text);
    };
    valueText(low_, low_ ? xOf(*low_) : t.left(), true);
    valueText(high_, high_ ? std::max(xOf(*high_), low_ ? xOf(*low_) + 8 : 0) : t.right(), false);
}

FormPrevisions::FormPrevisions(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormPrevisions"));
    closeOnEscape(this);
    setStyleSheet(QStringLiteral("QWidget#FormPrevisions, QWidget#Lignes { background-color: #C5DBF3; }"));
    setWindowTitle(QStringLiteral("Prévisions"));
    rows_ = new QWidget;
    rows_->setObjectName(QStringLiteral("Lignes"));
    auto *grid = new QGridLayout(rows_);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(2);
    const int character = fontMetrics().averageCharWidth();
    for (int row = 1; row <= kRows; ++row)
        for (int column = 0; column < int(std::size(kColumns)); ++column) {
            const Column &c = kColumns[column];
            QLabel *label = QByteArray(c.name) == "Temp" ? new TemperatureBar(rows_) : new QLabel(rows_);
            label->setObjectName(QString::fromLatin1(c.name) + QString::number(row));
            label->setTextFormat(Qt::PlainText);  // texts from the network are never markup
            label->setAccessibleName(QString::fromUtf8(c.spoken));
            // Texts as wide as they are (the rows scroll rather than cut them), at least a column's width.
            label->setMinimumHeight(kIcon);
            if (c.width == 0)
                label->setMinimumWidth(kIcon);
            else if (QByteArray(c.name) == "Temp")
                label->setMinimumWidth(c.width * character);
            grid->addWidget(label, row - 1, column);
        }
    Message = new QLabel(rows_);
    Message->setObjectName(QStringLiteral("Message"));
    Message->setTextFormat(Qt::PlainText);
    grid->addWidget(Message, 0, 0, 1, int(std::size(kColumns)));
    grid->setRowStretch(kRows, 1);
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(rows_);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    Recues = new QLabel(this);
    Recues->setObjectName(QStringLiteral("Recues"));
    Recues->setTextFormat(Qt::PlainText);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(scroll_, 1);
    layout->addWidget(Recues);
}

// As large as its rows once filled; where the screen is smaller, the window is fitted to it and the
// rows scroll (openForecastWindow).
QSize FormPrevisions::sizeHint() const
{
    const QMargins m = layout()->contentsMargins();
    return rows_->sizeHint() + QSize(m.left() + m.right() + 2, m.top() + m.bottom() + layout()->spacing() + Recues->sizeHint().height() + 2);
}

QLabel *FormPrevisions::cell(const char *column, int row) const
{
    return rows_->findChild<QLabel *>(QString::fromLatin1(column) + QString::number(row), Qt::FindDirectChildrenOnly);
}

void FormPrevisions::showMessage(const QString &text)
{
    for (int row = 1; row <= kRows; ++row)
        for (const Column &c : kColumns)
            cell(c.name, row)->hide();
    Message->setText(text);
    Message->show();
    Recues->clear();
}

void FormPrevisions::setIcon(QLabel *label, const QByteArray &code, const QByteArray &sky)
{
    label->clear();
    label->setAccessibleName(QString::fromUtf8(sky));
    // Drawn for the screen's own pixels, so that it stays sharp at any scale; each picture decoded
    // once for the window's life (the icons are installed data; they do not change while it runs).
    const double ratio = devicePixelRatioF();
    const QByteArray key = code + '@' + QByteArray::number(ratio);
    auto it = icons_.find(key);
    if (it == icons_.end()) {
        QImage image;
        QFile file(sharpIconPath(iconPath(Places::current().programDir(), code), ratio));
        if (isSafeIconCode(code) && file.open(QIODevice::ReadOnly) && image.loadFromData(file.readAll(), "PNG")) {
            const int side = qRound(kIcon * ratio);
            image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            image.setDevicePixelRatio(ratio);
        }
        it = icons_.insert(key, image.isNull() ? QPixmap() : QPixmap::fromImage(image));
    }
    if (!it->isNull())
        label->setPixmap(*it);
}

void FormPrevisions::follow(CityWeather *weather)
{
    city_.follow(weather, this, &FormPrevisions::present);
    present();
}

void FormPrevisions::present()
{
    const std::shared_ptr<const CityReport> report = city_.report();
    if (!report) {
        setWindowTitle(QStringLiteral("Prévisions"));
        showMessage(beforeAnyReport(city_.downloading(), QStringLiteral("Aucune prévision : la météo n'a pas encore été téléchargée")));
        return;
    }
    const QDateTime now = clock();
    const Forecast &forecast = report->forecast;
    setWindowTitle(QStringLiteral("Prévisions — ") + QString::fromUtf8(forecast.place));
    showReceived(Recues, report->received, now, city_.downloading());
    Message->hide();
    // One scale for the nine bars: the coldest low to the warmest high, a degree beyond each.
    std::optional<double> coldest, warmest;
    for (const ForecastDay &d : forecast.days)
        for (const std::optional<double> &v : {d.low, d.high})
            if (v) {
                coldest = std::min(coldest.value_or(*v), *v);
                warmest = std::max(warmest.value_or(*v), *v);
            }
    for (int row = 1; row <= kRows; ++row) {
        const bool shown = row <= forecast.days.size();
        for (const Column &c : kColumns)
            cell(c.name, row)->setVisible(shown && !(compact_ && (QByteArray(c.name) == "Vent" || QByteArray(c.name) == "Soleil")));
        if (!shown)
            continue;
        const ForecastDay &d = forecast.days[row - 1];
        const QString day = QString::fromUtf8(relativeDayText(d, report->placeToday(now)));
        QString shownDay = day;  // compact: "vendredi" over "11 déc."
        if (const qsizetype space = day.indexOf(u' '); compact_ && space > 0)
            shownDay[space] = u'\n';
        cell("Jour", row)->setText(shownDay);
        setIcon(cell("IconeJour", row), d.dayIcon, d.sky);
        setIcon(cell("IconeNuit", row), d.nightIcon, d.nightSky);
        // Compact: the sun to the minute, under the sky with the wind.
        cell("Ciel", row)->setText(compact_ ? QString::fromUtf8(d.sky + '\n' + d.wind + " · ") + QString::fromUtf8(d.sun).remove(kSeconds)
                                            : QString::fromUtf8(d.sky));
        bar(row)->setText(QString::fromUtf8(d.temperatures));
        bar(row)->setRange(d.low, d.high, coldest.value_or(0) - 1, warmest.value_or(0) + 1);
        cell("Pluie", row)->setText(QString::fromUtf8(d.chance));
        cell("Vent", row)->setText(QString::fromUtf8(d.wind));
        cell("Soleil", row)->setText(QString::fromUtf8(d.sun));
    }
    fitColumnsToScreen();
}

void FormPrevisions::setCompact(bool compact)
{
    compact_ = compact;
    const int character = fontMetrics().averageCharWidth();
    for (int row = 1; row <= kRows; ++row)
        bar(row)->setMinimumWidth((compact ? 20 : 28) * character);  // compact: still a bar between its two values
    static_cast<QGridLayout *>(rows_->layout())->setHorizontalSpacing(compact ? 6 : 10);
}

// Every column where the screen holds them, else the compact rows; decided anew with each report.
void FormPrevisions::fitColumnsToScreen()
{
    const QScreen *shownOn = screen();
    const int room = roomWidth ? roomWidth() : shownOn ? shownOn->availableGeometry().width() : 0;
    if (room <= 0 || !Message->isHidden() || fitting_)
        return;
    fitting_ = true;
    if (compact_) {  // measured with every column
        setCompact(false);
        present();
    }
    // The frame's borders, and the rows' scroll bar when they are taller than the screen.
    const int around = 12 + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (sizeHint().width() + around > room) {
        setCompact(true);
        present();
    }
    fitting_ = false;
}

} // namespace meteo
