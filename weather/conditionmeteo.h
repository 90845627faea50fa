// SPDX-License-Identifier: GPL-2.0-or-later
// The weather record, filled from the stored weather document and read by the display refresh.
#pragma once
#include <QByteArray>

// A value as read from the document, and the French caption shown before it.
struct TTextes {
    QByteArray Texte;
    QByteArray LLabel;
    bool operator==(const TTextes &) const = default;
};

struct TConditionMeteo {
    QByteArray Unite_Pression;
    QByteArray Nuages;
    QByteArray Date_Mesure;
    QByteArray Unite_Temp;
    QByteArray Icon_Jour;
    TTextes Humidite;
    QByteArray Visibilite;
    TTextes Temperature_Ressentie;
    TTextes Temperature_Low;
    TTextes Temperature_Hi;
    TTextes Coucher_du_Soleil;
    TTextes Lever_du_Soleil;
    QByteArray Etat_Pression;
    TTextes Pression;
    TTextes Temperature;
    QByteArray Ville_M;
    QByteArray Latitude;
    QByteArray Longitude;
    TTextes Station;
    TTextes Vent;
    TTextes UV;
    bool operator==(const TConditionMeteo &) const = default;
};
