// SPDX-License-Identifier: GPL-2.0-or-later
#include "overseasseats.h"

#include <QHash>
#include <QSet>

namespace service {

bool placedBySeat(const QByteArray &department)
{
    static const QSet<QByteArray> territories{"975", "977", "978", "984", "986", "987", "988"};
    return territories.contains(department);
}

// Seats that cities-500 does not list: positions of the villages, to about 0.05 degree (a few km,
// well within an atoll), and their height, from the maps of the islands. The atolls are a few
// metres above the sea.
std::optional<KnownSeat> knownSeat(const QByteArray &code)
{
    static const QHash<QByteArray, KnownSeat> known{
        {"98711", {-17.35, -145.50, 3}},  // Anaa: Tukuhora
        {"98713", {-15.25, -146.75, 3}},  // Arutua: Rautini
        {"98716", {-16.05, -145.62, 3}},  // Fakarava: Rotoava
        {"98717", {-15.82, -140.87, 3}},  // Fangatau
        {"98718", {-10.50, -138.68, 10}},  // Fatu-Hiva: Omoa
        {"98720", {-18.07, -140.95, 3}},  // Hao: Otepa
        {"98721", {-17.55, -142.62, 3}},  // Hikueru
        {"98726", {-16.63, -143.57, 3}},  // Makemo: Pouheva
        {"98727", {-14.40, -145.95, 3}},  // Manihi: Paeua
        {"98728", {-16.45, -152.25, 5}},  // Maupiti: Vaiea
        {"98730", {-14.17, -141.22, 3}},  // Napuka
        {"98732", {-19.28, -138.78, 3}},  // Nukutavake
        {"98734", {-17.75, -149.53, 10}},  // Papara
        {"98737", {-14.82, -138.81, 3}},  // Pukapuka
        {"98739", {-23.87, -147.66, 5}},  // Raivavae: Rairua
        {"98740", {-14.95, -147.70, 3}},  // Rangiroa: Avatoru
        {"98741", {-27.61, -144.34, 5}},  // Rapa: Ahurei
        {"98743", {-22.64, -152.81, 5}},  // Rimatara: Amaru
        {"98745", {-16.60, -151.50, 5}},  // Tahaa: Patio
        {"98746", {-9.94, -139.10, 10}},  // Tahuata: Vaitahu
        {"98749", {-14.45, -145.03, 3}},  // Takaroa: Teavaroa
        {"98750", {-16.83, -151.36, 5}},  // Taputapuatea: Avera of Raiatea (Rurutu has another)
        {"98751", {-17.35, -138.40, 3}},  // Tatakoto
        {"98752", {-17.77, -149.42, 10}},  // Teva I Uta: Mataiea
        {"98755", {-20.78, -138.57, 3}},  // Tureia
        {"98756", {-8.93, -139.55, 10}},  // Ua-Huka: Vaipaee
        {"98757", {-9.36, -140.05, 10}},  // Ua-Pou: Hakahau
        {"98806", {-21.65, 165.77, 250}},  // Farino
        {"98833", {-21.40, 165.83, 10}},  // Kouaoua
        {"98411", {-37.80, 77.57, 30}},  // Saint-Paul et Nouvelle-Amsterdam: Martin-de-Viviès
        {"98412", {-49.35, 70.22, 30}},  // Kerguelen: Port-aux-Français
        {"98413", {-46.43, 51.86, 140}},  // Crozet: Alfred-Faure
        {"98414", {-66.66, 140.00, 40}},  // Terre-Adélie: Dumont-d'Urville
        {"98415", {-22.36, 40.36, 5}},  // Îles Éparses: Europa
    };
    const auto it = known.constFind(code);
    return it == known.cend() ? std::nullopt : std::optional<KnownSeat>(*it);
}

} // namespace service
