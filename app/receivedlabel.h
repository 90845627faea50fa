// When the shown document came, said the same way in every forecast window, and plainly when that
// is too long ago to be today's weather (the service was unreachable since).
#pragma once
#include <QDateTime>

class QLabel;

namespace meteo {

// "Reçues le lundi 7 déc. à 05:04", with " — données anciennes" in red past three hours.
void showReceived(QLabel *label, const QDateTime &received, const QDateTime &now);

} // namespace meteo
