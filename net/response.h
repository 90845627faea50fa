// The status bar texts that follow one download.
#pragma once
#include <QByteArray>

namespace meteo {

QByteArray headersStatus(int code, const QByteArray &reason);  // "Réponse: 200 OK"
QByteArray inputStatus(qint32 size);                            // "5..."
inline constexpr char kDoneStatus[] = "Fini.";
QByteArray disconnectStatus(const QByteArray &serviceHost);     // "Déconnecté du site " + host
QByteArray errorStatus(const QByteArray &msg);                  // msg + " Erreur..."
#define METEO_UNCHANGED " : la météo affichée n'a pas changé"
inline constexpr char kNoBodyStatus[] = "Aucune donnée reçue" METEO_UNCHANGED;
// An answer outside 200-299 is shown, never stored: "Réponse: 404 Not Found : la météo affichée…",
// with the service's reason when its body gives one plainly ("Réponse: 502 Bad Gateway — Open-Meteo
// injoignable : la météo affichée…").
QByteArray notStoredStatus(int code, const QByteArray &reason, const QByteArray &body = {});
// The text of an error document (<error>text</error>, or its <message>), when it is plain: no
// control character, at most 100 characters. Empty otherwise.
[[nodiscard]] QByteArray serviceErrorText(const QByteArray &body);
inline bool isSuccess(int code) { return code >= 200 && code <= 299; }

} // namespace meteo
