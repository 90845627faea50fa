// The status bar texts that follow one download.
#pragma once
#include <QByteArray>

namespace meteo {

QByteArray headersStatus(int code, const QByteArray &reason);  // "Réponse: 200 OK"
QByteArray inputStatus(qint32 size);                            // "5..."
inline constexpr char kDoneStatus[] = "Fini.";
QByteArray disconnectStatus(const QByteArray &serviceHost);     // "Déconnecté du site " + host
QByteArray errorStatus(const QByteArray &msg);                  // msg + " Erreur..."
inline constexpr char kNoBodyStatus[] = "Aucune donnée reçue : la météo affichée n'a pas changé";

} // namespace meteo
