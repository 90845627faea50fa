// SPDX-License-Identifier: GPL-2.0-or-later
#include "seats.h"

#include <QHash>

namespace service {

// The seats (chefs-lieux) of the communes, from the official commune list's own names where GeoNames
// spells the place otherwise, and from the territories' administrative organisation: the village
// that is the seat of each atoll or island commune.
QByteArray seatName(const QByteArray &code)
{
    static const QHash<QByteArray, QByteArray> seats{
        // French Polynesia
        {"98714", "Vaitape"},    {"98719", "Rikitea"},  {"98722", "Hitiaa"},    {"98723", "Atuona"},
        {"98724", "Fare"},       {"98729", "Afareaitu"}, {"98731", "Taiohae"},   {"98742", "Tapuarava"},
        {"98744", "Moerai"},     {"98747", "Afaahiti"}, {"98748", "Vairao"},    {"98753", "Mataura"},
        {"98754", "Tevaitoa"},
        // New Caledonia
        {"98801", "Wala"},       {"98809", "Vao"},      {"98814", "Wé"},        {"98815", "Tadine"},
        {"98817", "Mont-Dore"},  {"98820", "Fayaoué"},  {"98832", "Yaté-Barrage"},
        // Wallis-et-Futuna, Saint-Pierre-et-Miquelon, Saint-Barthélemy, Saint-Martin
        {"98612", "Leava"},      {"98613", "Mata-Utu"}, {"97501", "Miquelon"},  {"97701", "Gustavia"},
        {"97801", "Marigot"},
    };
    return seats.value(code);
}

QByteArray territoryName(const QByteArray &department)
{
    static const QHash<QByteArray, QByteArray> names{
        {"971", "Guadeloupe"},          {"972", "Martinique"},       {"973", "Guyane"},
        {"974", "La Réunion"},          {"975", "Saint-Pierre-et-Miquelon"}, {"976", "Mayotte"},
        {"977", "Saint-Barthélemy"},    {"978", "Saint-Martin"},     {"984", "Terres australes et antarctiques françaises"},
        {"986", "Wallis-et-Futuna"},    {"987", "Polynésie française"}, {"988", "Nouvelle-Calédonie"},
    };
    return names.value(department);
}

} // namespace service
