// SPDX-License-Identifier: GPL-2.0-or-later
#include "vigilancebadge.h"

namespace meteo {

QColor warningColour(WarningColour colour, int alpha)
{
    QColor c = QColor::fromRgb(colourRgb(colour));
    c.setAlpha(alpha);
    return c;
}

VigilanceBadge::VigilanceBadge(QWidget *parent) : QPushButton(parent)
{
    setObjectName(QStringLiteral("Vigilance"));
    setAccessibleName(QStringLiteral("Vigilance"));
    hide();
}

void VigilanceBadge::follow(CityWeather *weather)
{
    city_.follow(weather, this, &VigilanceBadge::present);
    present();
}

void VigilanceBadge::present()
{
    const std::shared_ptr<const CityReport> report = city_.report();
    const QDateTime now = clock();
    const QList<OfficialWarning> warnings = report ? report->warningsInForce(now) : QList<OfficialWarning>();
    const auto [first, second] = badgeTexts(warnings);
    setVisible(!first.isEmpty());
    if (first.isEmpty())
        return;
    setText(QString::fromUtf8(second.isEmpty() ? first : first + '\n' + second));
    const WarningColour worst = warnings.first().colour;
    setStyleSheet(QStringLiteral("QPushButton#Vigilance { background-color: %1; color: %2; font-weight: bold; "
                                 "border: 1px solid #555; border-radius: 6px; padding: 4px; }")
                      .arg(warningColour(worst).name(), darkTextOn(worst) ? QStringLiteral("black") : QStringLiteral("white")));
    const QString spoken = QString::fromUtf8(spokenWarnings(warnings, now));
    setAccessibleDescription(spoken);
    setToolTip(QString(spoken).replace(QStringLiteral(" ; "), QStringLiteral("\n")));
}

} // namespace meteo
