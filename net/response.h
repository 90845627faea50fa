// SPDX-License-Identifier: GPL-2.0-or-later
// The status bar texts that follow one download.
#pragma once
#include <QByteArray>
#include <QString>

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

// Why a download brought nothing, in the words every road of ours uses (the windows, "Mes villes",
// the searches): "Service météo injoignable (Connexion refusée)", "Le service a répondu 502 —
// Open-Meteo injoignable", "Aucune donnée reçue", "Adresse du service illisible : …".
QString unreachableText(const QByteArray &message);
QString refusalText(int code, const QByteArray &body);
QString noBodyText();
QString unreadableServiceText(const QByteArray &url);

} // namespace meteo
