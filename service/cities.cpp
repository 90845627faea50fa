#include "cities.h"

namespace service {

const QList<City> &cities()
{
    static const QList<City> all{
        {"FR75056", "Paris", 48.8566, 2.3522},          {"FR69123", "Lyon", 45.7640, 4.8357},
        {"FR13055", "Marseille", 43.2965, 5.3698},      {"FR31555", "Toulouse", 43.6047, 1.4442},
        {"FR33063", "Bordeaux", 44.8378, -0.5792},      {"FR59350", "Lille", 50.6292, 3.0573},
        {"FR44109", "Nantes", 47.2184, -1.5536},        {"FR67482", "Strasbourg", 48.5734, 7.7521},
        {"FR35238", "Rennes", 48.1173, -1.6778},        {"FR29019", "Brest", 48.3904, -4.4861},
        {"FR38185", "Grenoble", 45.1885, 5.7245},       {"FR06088", "Nice", 43.7102, 7.2620},
        {"FR34172", "Montpellier", 43.6108, 3.8767},    {"FR63113", "Clermont-Ferrand", 45.7772, 3.0870},
        {"FR21231", "Dijon", 47.3220, 5.0415},          {"FR2A004", "Ajaccio", 41.9192, 8.7386},
        {"FR2B033", "Bastia", 42.6977, 9.4508},         {"FR87085", "Limoges", 45.8336, 1.2611},
        {"FR45234", "Orléans", 47.9030, 1.9093},        {"FR76540", "Rouen", 49.4432, 1.0999},
        {"FR51454", "Reims", 49.2583, 4.0317},          {"FR14118", "Caen", 49.1829, -0.3707},
        {"FR66136", "Perpignan", 42.6887, 2.8948},      {"FR25056", "Besançon", 47.2378, 6.0241},
        {"FR57463", "Metz", 49.1193, 6.1757},           {"FR54395", "Nancy", 48.6921, 6.1844},
        {"FR37261", "Tours", 47.3941, 0.6848},          {"FR86194", "Poitiers", 46.5802, 0.3404},
        {"FR17300", "La Rochelle", 46.1603, -1.1511},   {"FR64122", "Biarritz", 43.4832, -1.5586},
        {"FR64445", "Pau", 43.2951, -0.3708},           {"FR83137", "Toulon", 43.1242, 5.9280},
        {"FR84007", "Avignon", 43.9493, 4.8055},        {"FR30189", "Nîmes", 43.8367, 4.3601},
        {"FR42218", "Saint-Étienne", 45.4397, 4.3872},  {"FR72181", "Le Mans", 48.0061, 0.1996},
        {"FR49007", "Angers", 47.4784, -0.5632},        {"FR80021", "Amiens", 49.8941, 2.2958},
        {"FR76351", "Le Havre", 49.4944, 0.1079},       {"FR74010", "Annecy", 45.8992, 6.1294},
        {"FR74056", "Chamonix-Mont-Blanc", 45.9237, 6.8694}, {"FR29232", "Quimper", 47.9960, -4.1020},
        {"FR11069", "Carcassonne", 43.2130, 2.3491},    {"FR05023", "Briançon", 44.8986, 6.6435},
    };
    return all;
}

const City *findCity(const QByteArray &code)
{
    for (const City &c : cities())
        if (c.code == code)
            return &c;
    return nullptr;
}

} // namespace service
