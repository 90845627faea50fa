// SPDX-License-Identifier: GPL-2.0-or-later
#include "receivedlabel.h"

#include "weather/forecast.h"

#include <QLabel>

namespace meteo {

void showReceived(QLabel *label, const QDateTime &received, const QDateTime &now, bool updating)
{
    const bool stale = isStale(received, now);
    label->setText(QString::fromUtf8(receivedText(received)) + (stale ? QStringLiteral(" — données anciennes") : QString())
                   + (updating ? QStringLiteral(" — Actualisation…") : QString()));
    label->setStyleSheet(stale ? QStringLiteral("color: %1; font-weight: bold;").arg(oldDataColour().name()) : QString());
}

QString beforeAnyReport(bool updating, const QString &never)
{
    return updating ? QStringLiteral("Actualisation…") : never;
}

} // namespace meteo
