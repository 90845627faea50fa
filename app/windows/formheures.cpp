// SPDX-License-Identifier: GPL-2.0-or-later
#include "formheures.h"

#include "app/widgets/windowparts.h"
#include "app/widgets/receivedlabel.h"

#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <cmath>

namespace meteo {
namespace {

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

RainStrip::RainStrip(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Pluie"));
    setMinimumHeight(52);
    setAccessibleName(QStringLiteral("Pluie dans les 2 heures"));
}

void RainStrip::setRain(const QList<RainSlot> &rain)
{
    rain_ = rain;
    const bool twice = std::any_of(rain.begin(), rain.end(), [](const RainSlot &q) { return q.side != ClockSide::Once; });
    setMinimumHeight(twice ? 70 : 52);
    QStringList said;
    for (const RainSlot &q : rain)
        said << QString::fromUtf8(hourText(q.start, q.side)) + QStringLiteral(" : ")
                    + (q.mm ? QString::fromUtf8(intensityOf(*q.mm) == RainIntensity::None ? QByteArray("sec") : intensityWord(intensityOf(*q.mm)))
                            : QStringLiteral("inconnu"));
    setAccessibleDescription(said.join(QStringLiteral(", ")));
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
        // The night the clocks go back, the repeated quarters say which of the two they are.
        if (const QByteArray side = clockSuffix(rain_[i].side); !side.isEmpty())
            painter.drawText(QRectF(i * w, 48, w, 20), Qt::AlignCenter, QString::fromUtf8(side.trimmed()));
    }
}

FormHeures::FormHeures(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormHeures"));
    closeOnEscape(this);
    setWindowTitle(QStringLiteral("Prochaines 48 heures"));
    // Everything in one page that scrolls when the screen is smaller than its minimum.
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    Titre = new QLabel(QStringLiteral("Pluie dans les 2 heures"), page);
    Titre->setObjectName(QStringLiteral("Titre"));
    auto *title = Titre;
    title->setStyleSheet(QStringLiteral("font-weight: bold;"));
    Phrase = new QLabel(page);
    Phrase->setObjectName(QStringLiteral("Phrase"));
    Phrase->setTextFormat(Qt::PlainText);
    Pluie = new RainStrip(page);
    Vigilances = new QLabel(page);
    Vigilances->setObjectName(QStringLiteral("Vigilances"));
    Vigilances->setTextFormat(Qt::PlainText);
    Vigilances->setStyleSheet(QStringLiteral("font-weight: bold;"));
    Vigilances->hide();
    Graphique = new HourlyChart(page);
    Message = new QLabel(page);
    Message->setObjectName(QStringLiteral("Message"));
    Message->setTextFormat(Qt::PlainText);
    Recues = new QLabel(page);
    Recues->setObjectName(QStringLiteral("Recues"));
    Recues->setTextFormat(Qt::PlainText);
    Detail = new QLabel(page);
    Detail->setObjectName(QStringLiteral("Detail"));
    Detail->setTextFormat(Qt::PlainText);
    const QString hint = QStringLiteral("← → : les valeurs d'une heure");
    Detail->setText(hint);
    connect(Graphique, &HourlyChart::cursorTextChanged, Detail, [this, hint](const QString &text) {
        Detail->setText(text.isEmpty() ? hint : text);
    });
    // One by one: the static analyser loses the layout's owner in a loop.
    layout->addWidget(title);
    layout->addWidget(Phrase);
    layout->addWidget(Pluie);
    layout->addWidget(Vigilances);
    layout->addWidget(Graphique, 1);
    layout->addWidget(Detail);
    layout->addWidget(Message);
    layout->addWidget(Recues);
    fillWithScrolledPage(this, page);
    // Resizable: the chart lays itself out for any size down to its minimum.
    resize(std::max(page->sizeHint().width(), 900), std::max(page->sizeHint().height(), 560));
    // "Now" moves: the window says again what is ahead every minute, while it is shown.
    minute_ = new QTimer(this);
    minute_->setInterval(60 * 1000);
    connect(minute_, &QTimer::timeout, this, &FormHeures::present);
}

void FormHeures::showMessage(const QString &text)
{
    for (QWidget *w : std::initializer_list<QWidget *>{Phrase, Pluie, Graphique, Detail})
        w->hide();
    Message->setText(text);
    Message->show();
}

void FormHeures::follow(CityWeather *weather)
{
    city_.follow(weather, this, &FormHeures::present);
    present();
}

void FormHeures::present()
{
    const std::shared_ptr<const CityReport> report = city_.report();
    if (!report) {
        setWindowTitle(QStringLiteral("Prochaines 48 heures"));
        Recues->clear();
        showMessage(beforeAnyReport(city_.downloading(), QStringLiteral("Aucune prévision : la météo n'a pas encore été téléchargée")));
        return;
    }
    if (report != shown_) {
        // Another document, perhaps of another city: nothing of the last one stays under the cursor.
        shown_ = report;
        Graphique->setCursor(-1);
    }
    const HourlyForecast &forecast_ = report->hourly;
    setWindowTitle(forecast_.place.isEmpty() ? QStringLiteral("Prochaines 48 heures")
                                             : QStringLiteral("Prochaines 48 heures — ") + QString::fromUtf8(forecast_.place));
    const QDateTime now = clock();
    showReceived(Recues, report->received, now, city_.downloading());
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
    // The warnings still in force, one line each, worst first.
    const QList<OfficialWarning> current = report->warningsInForce(now);
    QStringList lines;
    for (const OfficialWarning &w : current)
        lines << QString::fromUtf8(warningLine(w, now));
    Vigilances->setText(lines.join(u'\n'));
    Vigilances->setVisible(!lines.isEmpty());
    Vigilances->setAccessibleDescription(QString::fromUtf8(spokenWarnings(current, now)));
    Graphique->setWarnings(current);
    Phrase->setText(QString::fromUtf8(rainSentence(forecast_.rain, now)));
    const QList<RainSlot> quarters = quartersAhead(forecast_.rain, now);
    // Named as what falls: "Neige dans les 2 heures" at Mende in February.
    const QString heading = QString::fromUtf8(capitalised(precipitationWord(wetQuartersKind(quarters)))) + QStringLiteral(" dans les 2 heures");
    Titre->setText(heading);
    Pluie->setAccessibleName(heading);
    Pluie->setRain(quarters);
    Graphique->setForecast(ahead, forecast_.nights, now);
    for (QWidget *w : std::initializer_list<QWidget *>{Phrase, Pluie, Graphique, Detail})
        w->show();
}

void FormHeures::showEvent(QShowEvent *event)
{
    // The chart takes the keys at once: Left and Right move its hour cursor.
    Graphique->setFocus(Qt::ActiveWindowFocusReason);
    present();
    minute_->start();
    QWidget::showEvent(event);
}

void FormHeures::hideEvent(QHideEvent *event)
{
    minute_->stop();
    QWidget::hideEvent(event);
}

} // namespace meteo
