#include "receivedlabel.h"

#include "weather/forecast.h"

#include <QLabel>

namespace meteo {

void showReceived(QLabel *label, const QDateTime &received, const QDateTime &now)
{
    const bool stale = isStale(received, now);
    label->setText(QString::fromUtf8(receivedText(received)) + (stale ? QStringLiteral(" — données anciennes") : QString()));
    label->setStyleSheet(stale ? QStringLiteral("color: #B3261E; font-weight: bold;") : QString());
}

} // namespace meteo
