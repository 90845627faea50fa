// SPDX-License-Identifier: GPL-2.0-or-later
// The user's cities: a list model over the lines of villes.ini (each row its name, its code, and its
// CityWeather). The "Villes" menu and "Mes villes" follow it, and adding or removing a city goes
// through it: one line of the file changes, every other byte stays, and one row comes or goes. It
// also knows which city the main window shows, which every other window follows.
#pragma once
#include "cityweather.h"
#include "weather/namevaluelist.h"

#include <QAbstractListModel>
#include <QHash>

namespace meteo {

class CityList : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { CodeRole = Qt::UserRole + 1, WeatherRole };
    // A menu of a thousand towns is already more than anyone reads: the rest of a larger file is
    // left out, and said.
    static constexpr int kMaxCities = 1000;

    explicit CityList(QObject *parent = nullptr);

    // Reads the list the program reads (Places); throws Error when the file cannot be read. Returns
    // what the user should be told of a file longer than is read, else empty.
    [[nodiscard]] QString load();
    // The list as these bytes of villes.ini hold it.
    void setBytes(const QByteArray &bytes);
    // Adds "name=code" at the end of the user's copy of the list, or removes the first line of that
    // code; throws Error when the file cannot be read or written (the list is then unchanged).
    void add(const QByteArray &name, const QByteArray &code);
    void remove(const QByteArray &code);
    // A commune found at the service, added once: named by `name`, or by `label` ("Valence (26)")
    // when another city of the list has that name; throws Error saying it was not added, and why.
    void addCommune(const QByteArray &name, const QByteArray &label, const QByteArray &code);
    // Removes the first line of `code`; throws Error saying it was not removed, and why.
    void removeCity(const QByteArray &code);

    // The lines as the name=value list reads them.
    int count() const { return lines_.count(); }
    QByteArray name(int row) const { return lines_.name(row); }
    QByteArray valueAt(int row) const { return lines_.valueAt(row); }
    QByteArray value(const QByteArray &name) const { return lines_.value(name); }
    // The first row of `code`, or -1.
    int rowOf(const QByteArray &code) const;

    // The weather of `code`, made the first time it is asked for and kept for the program's life
    // (a window may follow a city that leaves the list); named as the list names it. Every row's
    // is made with the row.
    CityWeather *weather(const QByteArray &code);
    // The weather of `code` if it was ever made, else null.
    CityWeather *find(const QByteArray &code) const { return weathers_.value(code); }

    // The city whose weather the main window shows.
    CityWeather *displayed() const { return displayed_; }
    void setDisplayed(CityWeather *weather);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

Q_SIGNALS:
    void displayedChanged(meteo::CityWeather *weather);

private:
    void replace(NameValueList lines);
    QByteArray fileBytes() const;
    void write(const QByteArray &bytes);
    NameValueList lines_;
    QHash<QByteArray, CityWeather *> weathers_;
    CityWeather *displayed_ = nullptr;
};

} // namespace meteo
