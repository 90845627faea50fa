// SPDX-License-Identifier: GPL-2.0-or-later
// The rows of "Mes villes": one per city of the list, in its order or from the finest to the least
// fine for the day chosen, each with what that day holds (now: the sky, the temperature, today's low
// and high, the rain of the next two hours, the worst warning; a day: its sky, low and high, chance
// of rain and wind), its age or why its download failed, and one sentence for screen readers. It
// follows the list and each city's weather itself: a row changes when its city does.
#pragma once
#include "citylist.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <functional>

namespace meteo {

class OverviewModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        NameRole = Qt::UserRole + 1,
        IconRole,      // the sky's icon code
        MainRole,      // "8 °C", or the day's "3° / 9°"
        RangeRole,     // now: today's "3° / 9°"; empty for a day, whose main value it is
        DetailRole,    // "Pluie faible à partir de 14 h 15", or "60 % · 15 km/h SO"
        AirRole,       // "air moyen", empty when the document has no class for the day
        WarningRole,   // "Vigilance orange — vent violent", empty when none
        ColourRole,    // that warning's colour (WarningColour), 0 when none
        AgeRole,       // "Reçues à 14:05", "… — données anciennes", or why the download failed
        OldRole,       // whether the values shown are old (past three hours, or a failed download)
        CodeRole,
    };
    explicit OverviewModel(CityList *cities, QObject *parent = nullptr);
    // -1 for now, 0 today, 1 tomorrow …; the rows change at once, the current one staying current.
    void setDay(int day);
    int day() const { return day_; }
    void setOrdered(bool finestFirst);
    // Says every row anew and orders them again, for a clock that has moved on.
    void retell();
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    struct Row;
    Row rowOf(const QModelIndex &index) const;
    void cityChanged();  // from the CityWeather that sent it
    void follow();
    // The list's rows in the order shown; a layout change keeps the view's current row.
    QList<int> ordered() const;
    void reorder();
    CityList *cities_;
    QList<int> order_;
    int day_ = -1;
    bool ordered_ = false;
};

} // namespace meteo
