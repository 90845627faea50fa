// SPDX-License-Identifier: GPL-2.0-or-later
#include "formair.h"

#include "app/widgets/windowparts.h"
#include "app/widgets/receivedlabel.h"
#include "common/frenchtext.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace meteo {
namespace {

// A value on its colour, at least `chars` characters wide: the hours' values are short, so that
// 16 columns of them fit beside the main window on a laptop's screen.
QLabel *cell(QWidget *parent, const QString &text, quint32 rgb, bool darkText, const QString &spoken, int chars)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().averageCharWidth() * chars);
    label->setStyleSheet(QStringLiteral("background-color: #%1; color: %2; padding: 2px 3px; border-radius: 3px;")
                             .arg(rgb, 6, 16, QLatin1Char('0'))
                             .arg(darkText ? QStringLiteral("black") : QStringLiteral("white")));
    label->setAccessibleName(spoken);
    return label;
}

QString utf(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}

} // namespace

FormAir::FormAir(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormAir"));
    closeOnEscape(this);
    setWindowTitle(QStringLiteral("Air et pollens"));
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    Indice = new QLabel(page);
    Indice->setObjectName(QStringLiteral("Indice"));
    Indice->setTextFormat(Qt::PlainText);
    Indice->setStyleSheet(QStringLiteral("font-size: 16pt; font-weight: bold; padding: 8px; border-radius: 6px;"));
    Jours = new QLabel(page);
    Jours->setObjectName(QStringLiteral("Jours"));
    Jours->setTextFormat(Qt::PlainText);
    Jours->setWordWrap(true);
    auto *pollutantsTitle = new QLabel(QStringLiteral("Les 48 prochaines heures (µg/m³)"), page);
    pollutantsTitle->setStyleSheet(QStringLiteral("font-weight: bold;"));
    Polluants = new QGridLayout;
    auto *pollensTitle = new QLabel(QStringLiteral("Pollens"), page);
    pollensTitle->setStyleSheet(QStringLiteral("font-weight: bold;"));
    Pollens = new QGridLayout;
    Message = new QLabel(page);
    Message->setObjectName(QStringLiteral("Message"));
    Message->setTextFormat(Qt::PlainText);
    Credit = new QLabel(page);
    Credit->setObjectName(QStringLiteral("Credit"));
    Credit->setTextFormat(Qt::PlainText);
    Credit->setWordWrap(true);
    Recues = new QLabel(page);
    Recues->setObjectName(QStringLiteral("Recues"));
    Recues->setTextFormat(Qt::PlainText);
    layout->addWidget(Indice);
    layout->addWidget(Jours);
    layout->addWidget(pollutantsTitle);
    layout->addLayout(Polluants);
    layout->addWidget(pollensTitle);
    layout->addLayout(Pollens);
    layout->addWidget(Message);
    layout->addStretch(1);
    layout->addWidget(Credit);
    layout->addWidget(Recues);
    fillWithScrolledPage(this, page);
    resize(820, 560);
}

void FormAir::follow(CityWeather *weather)
{
    city_.follow(weather, this, &FormAir::present);
    present();
}

void FormAir::clearGrid(QGridLayout *grid)
{
    while (QLayoutItem *item = grid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

void FormAir::present()
{
    clearGrid(Polluants);
    clearGrid(Pollens);
    const std::shared_ptr<const CityReport> report = city_.report();
    const QDateTime now = clock();
    const bool shown = report && report->air.present && !report->air.days.isEmpty();
    for (QWidget *w : std::initializer_list<QWidget *>{Indice, Jours})
        w->setVisible(shown);
    if (!shown) {
        setWindowTitle(QStringLiteral("Air et pollens"));
        Message->setText(report ? QStringLiteral("Pas de données sur l'air pour cette ville")
                                : beforeAnyReport(city_.downloading(), QStringLiteral("Aucune donnée : la météo n'a pas encore été téléchargée")));
        Credit->clear();
        if (report)
            showReceived(Recues, report->received, now, city_.downloading());
        return;
    }
    const Air &air = report->air;
    setWindowTitle(QStringLiteral("Air et pollens — ") + utf(report->hourly.place));
    const QDate placeToday = report->placeToday(now);
    const AirDayReading &today = air.days.first();
    const std::optional<Pollutant> decisive = air.decisive(0);
    const QString word = utf(atmoWord(today.atmo));
    Indice->setText(QStringLiteral("%1 : indice ATMO %2, %3").arg(french::relativeDay(today.date, placeToday)).arg(today.atmo).arg(word)
                    + (decisive ? QStringLiteral(" (") + utf(pollutantName(*decisive)) + u')' : QString()));
    Indice->setStyleSheet(Indice->styleSheet().section(QStringLiteral(" background"), 0, 0)
                          + QStringLiteral(" background-color: #%1; color: %2;").arg(atmoRgb(today.atmo), 6, 16, QLatin1Char('0'))
                                .arg(darkTextOnAtmo(today.atmo) ? QStringLiteral("black") : QStringLiteral("white")));
    Indice->setAccessibleName(QStringLiteral("Qualité de l'air ") + french::relativeDay(today.date, placeToday).toLower() + QStringLiteral(" : ") + word
                              + (decisive ? QStringLiteral(", à cause de ") + utf(pollutantName(*decisive)) : QString()));
    QStringList next;
    for (qsizetype d = 1; d < air.days.size(); ++d)
        next << french::relativeDay(air.days[d].date, placeToday) + QStringLiteral(" : ") + utf(atmoWord(air.days[d].atmo));
    Jours->setText(next.join(QStringLiteral(" · ")));

    // The pollutants, every third hour still ahead, each value on the colour of its class.
    QList<AirHourReading> ahead;
    for (const AirHourReading &h : air.hours)
        if (h.time.addSecs(3600) > now)
            ahead << h;
    for (int p = 0; p < kPollutants; ++p)
        Polluants->addWidget(new QLabel(utf(pollutantName(Pollutant(p))), this), p + 1, 0);
    for (qsizetype i = 0, column = 1; i < ahead.size(); i += 3, ++column) {
        Polluants->addWidget(new QLabel(french::dayAndHour(ahead[i].time).section(u' ', 1), this), 0, int(column));
        for (int p = 0; p < kPollutants; ++p) {
            const std::optional<double> v = ahead[i].pollutants[p];
            const int c = v ? atmoSubIndex(Pollutant(p), *v) : 0;
            Polluants->addWidget(v ? cell(this, french::number(*v, 0), atmoRgb(c), darkTextOnAtmo(c),
                                          utf(pollutantName(Pollutant(p))) + QStringLiteral(" ") + french::number(*v, 0)
                                              + QStringLiteral(" µg/m³, ") + utf(atmoWord(c)), 4)
                                   : new QLabel(QStringLiteral("—"), this),
                                 p + 1, int(column));
        }
    }
    // The pollens: today and the next three days, "nul" where there is none.
    const bool pollen = std::any_of(air.days.begin(), air.days.end(), [](const AirDayReading &d) { return d.pollen.has_value(); });
    Message->setText(pollen ? QString() : QStringLiteral("Pas de relevé de pollens pour ce territoire"));
    Message->setVisible(!pollen);
    for (qsizetype d = 0; pollen && d < air.days.size(); ++d)
        Pollens->addWidget(new QLabel(french::relativeDay(air.days[d].date, placeToday), this), 0, int(d + 1));
    for (int t = 0; pollen && t < kTaxa; ++t) {
        const QString name = utf(taxonName(Taxon(t)));
        Pollens->addWidget(new QLabel(name.left(1).toUpper() + name.mid(1), this), t + 1, 0);
        for (qsizetype d = 0; d < air.days.size(); ++d) {
            const int level = air.days[d].pollen ? (*air.days[d].pollen)[t] : 0;
            Pollens->addWidget(cell(this, utf(pollenWord(level)), pollenRgb(level), level != 5,
                                    name + QStringLiteral(" ") + french::relativeDay(air.days[d].date, placeToday).toLower() + QStringLiteral(" : ")
                                        + utf(pollenWord(level)), 9),
                               t + 1, int(d + 1));
        }
    }
    const QString year = QString::number(air.updated.isValid() ? air.updated.date().year() : now.date().year());
    Credit->setText(air.source == "CAMS"
                        ? QStringLiteral("Source : Open-Meteo, CAMS. Contains modified Copernicus Atmosphere Monitoring Service information ")
                              + year + QStringLiteral(". Neither the European Commission nor ECMWF is responsible for any use that may be made of "
                                                      "the information it contains. Niveaux de pollens : barème de Météo.")
                        : QStringLiteral("Source : simulation de Météo (indice ATMO selon l'arrêté du 10 juillet 2020, niveaux de pollens "
                                         "selon le barème de Météo)."));
    showReceived(Recues, report->received, now, city_.downloading());
}

} // namespace meteo
