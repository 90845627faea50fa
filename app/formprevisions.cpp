#include "formprevisions.h"

#include "places.h"
#include "receivedlabel.h"
#include "common/error.h"
#include "weather/forecast.h"
#include "weather/namevaluelist.h"
#include "weather/translation.h"

#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <cmath>

namespace meteo {
namespace {

struct Column {
    const char *name;
    int x, width;
    const char *spoken;  // what a screen reader says the column is
};
constexpr Column kColumns[] = {{"Jour", 12, 130, "Jour"},         {"IconeJour", 146, 40, "Ciel de jour"},
                               {"IconeNuit", 190, 40, "Ciel de nuit"}, {"Ciel", 240, 190, "Ciel"},
                               {"Temp", 436, 90, "Températures"},  {"Soleil", 530, 150, "Soleil"}};
constexpr int kChart = 110, kTop = 12 + kChart, kRowHeight = 42, kIcon = 40, kFooter = 28;

} // namespace

DaysChart::DaysChart(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Courbes"));
    setAccessibleName(QStringLiteral("Températures des neuf jours"));
}

void DaysChart::setDays(const QList<std::pair<std::optional<double>, std::optional<double>>> &highsAndLows)
{
    days_ = highsAndLows;
    std::optional<double> lo, hi;
    for (const auto &[h, l] : days_)
        for (const std::optional<double> &v : {h, l})
            if (v) {
                lo = std::min(lo.value_or(*v), *v);
                hi = std::max(hi.value_or(*v), *v);
            }
    low_ = lo.value_or(0) - 2;
    high_ = std::max(hi.value_or(1) + 2, low_ + 1);
    update();
}

QPointF DaysChart::point(int day, bool high) const
{
    if (day < 0 || day >= days_.size())
        return {};
    const std::optional<double> v = high ? days_[day].first : days_[day].second;
    if (!v)
        return {};
    // The columns of the rows below: each day's point over the middle of its row's width.
    const double column = double(width()) / FormPrevisions::kRows;
    const double top = 16, bottom = height() - 16;
    return {column * (day + 0.5), bottom - (bottom - top) * (*v - low_) / (high_ - low_)};
}

void DaysChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const bool high : {true, false}) {
        const QColor colour = high ? QColor(205, 70, 40) : QColor(40, 100, 200);
        QPointF last;
        for (int day = 0; day < days_.size(); ++day) {
            const QPointF p = point(day, high);
            if (p.isNull()) {
                last = {};  // a gap, never a zero
                continue;
            }
            painter.setPen(QPen(colour, 2));
            if (!last.isNull())
                painter.drawLine(last, p);
            painter.setBrush(colour);
            painter.drawEllipse(p, 3, 3);
            const double value = *(high ? days_[day].first : days_[day].second);
            painter.drawText(QRectF(p.x() - 30, high ? p.y() - 17 : p.y() + 3, 60, 14), Qt::AlignCenter,
                             QString::number(std::lround(value)) + QStringLiteral("°"));
            last = p;
        }
    }
}

FormPrevisions::FormPrevisions(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormPrevisions"));
    setStyleSheet(QStringLiteral("QWidget#FormPrevisions { background-color: #C5DBF3; }"));
    setFixedSize(690, kTop + kRows * kRowHeight + 12 + kFooter);
    setWindowTitle(QStringLiteral("Prévisions"));
    for (int row = 1; row <= kRows; ++row)
        for (const Column &c : kColumns) {
            auto *label = new QLabel(this);
            label->setObjectName(QString::fromLatin1(c.name) + QString::number(row));
            label->setTextFormat(Qt::PlainText);  // texts from the network are never markup
            label->setGeometry(c.x, kTop + (row - 1) * kRowHeight, c.width, kIcon);
            label->setAccessibleName(QString::fromUtf8(c.spoken));
        }
    Message = new QLabel(this);
    Message->setObjectName(QStringLiteral("Message"));
    Message->setTextFormat(Qt::PlainText);
    Message->setGeometry(12, kTop, width() - 24, kIcon);
    Courbes = new DaysChart(this);
    Courbes->setGeometry(12, 8, width() - 24, kChart - 8);
    Recues = new QLabel(this);
    Recues->setObjectName(QStringLiteral("Recues"));
    Recues->setTextFormat(Qt::PlainText);
    Recues->setGeometry(12, height() - kFooter - 4, width() - 24, kFooter);
}

void FormPrevisions::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        close();  // as a dialog closes
    else
        QWidget::keyPressEvent(event);
}

QLabel *FormPrevisions::cell(const char *column, int row) const
{
    return findChild<QLabel *>(QString::fromLatin1(column) + QString::number(row), Qt::FindDirectChildrenOnly);
}

void FormPrevisions::showMessage(const QString &text)
{
    for (int row = 1; row <= kRows; ++row)
        for (const Column &c : kColumns)
            cell(c.name, row)->hide();
    Message->setText(text);
    Message->show();
    Recues->clear();
    Courbes->setDays({});
}

void FormPrevisions::setIcon(QLabel *label, const QByteArray &code, const QByteArray &sky)
{
    label->clear();
    label->setAccessibleName(QString::fromUtf8(sky));
    QImage image;
    // Drawn for the screen's own pixels, so that it stays sharp at any scale.
    const double ratio = devicePixelRatioF();
    QFile file(sharpIconPath(iconPath(Places::current().programDir(), code), ratio));
    if (isSafeIconCode(code) && file.open(QIODevice::ReadOnly) && image.loadFromData(file.readAll(), "PNG")) {
        const int side = qRound(kIcon * ratio);
        image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        image.setDevicePixelRatio(ratio);
        label->setPixmap(QPixmap::fromImage(image));
    }
}

void FormPrevisions::refresh(const WeatherDocument *doc)
{
    const Places &places = Places::current();
    if (!doc && !QFile::exists(places.weatherFile())) {
        setWindowTitle(QStringLiteral("Prévisions"));
        showMessage(QStringLiteral("Aucune prévision : la météo n'a pas encore été téléchargée"));
        return;
    }
    Forecast forecast;
    try {
        NameValueList dictionary;
        dictionary.loadFromFile(places.programDir() + QStringLiteral("/Dictionnaire.ini"));
        const auto traduire = [&dictionary](const QByteArray &phrase) { return translate(phrase, dictionary); };
        forecast = doc ? readForecast(*doc, traduire) : readForecast(WeatherDocument(places.weatherFile()), traduire);
    } catch (const Error &e) {
        showMessage(QStringLiteral("Aucune prévision : ") + QString::fromUtf8(e.what()));
        return;
    }
    setWindowTitle(QStringLiteral("Prévisions — ") + QString::fromUtf8(forecast.place));
    showReceived(Recues, QFileInfo(places.weatherFile()).lastModified(), QDateTime::currentDateTime());
    Message->hide();
    QList<std::pair<std::optional<double>, std::optional<double>>> highsAndLows;
    for (const ForecastDay &d : forecast.days)
        highsAndLows.append({d.high, d.low});
    Courbes->setDays(highsAndLows);
    for (int row = 1; row <= kRows; ++row) {
        const bool shown = row <= forecast.days.size();
        for (const Column &c : kColumns)
            cell(c.name, row)->setVisible(shown);
        if (!shown)
            continue;
        const ForecastDay &d = forecast.days[row - 1];
        cell("Jour", row)->setText(QString::fromUtf8(d.day));
        setIcon(cell("IconeJour", row), d.dayIcon, d.sky);
        setIcon(cell("IconeNuit", row), d.nightIcon, d.nightSky);
        cell("Ciel", row)->setText(QString::fromUtf8(d.sky));
        cell("Temp", row)->setText(QString::fromUtf8(d.temperatures));
        cell("Soleil", row)->setText(QString::fromUtf8(d.sun));
    }
}

} // namespace meteo
