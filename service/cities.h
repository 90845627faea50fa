// The cities the weather service knows: location code ("FR" + INSEE commune code), name and place.
#pragma once
#include <QByteArray>
#include <QList>

namespace service {

struct City {
    QByteArray code;
    QByteArray name;  // as shown: "Paris"
    double latitude;
    double longitude;
    QByteArray displayName() const { return name + ", France"; }
};

const QList<City> &cities();
const City *findCity(const QByteArray &code);  // exact code, or nullptr

// Every city keeps French legal time, Corsica included.
inline constexpr char kTimeZone[] = "Europe/Paris";

} // namespace service
