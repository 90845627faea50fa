// SPDX-License-Identifier: GPL-2.0-or-later
#include "citylist.h"

#include "app/storage/atomicfile.h"
#include "app/storage/citylistfile.h"
#include "app/storage/places.h"
#include "common/error.h"

#include <QFile>

namespace meteo {

CityList::CityList(QObject *parent) : QAbstractListModel(parent) {}

QString CityList::load()
{
    NameValueList lines;
    lines.loadFromFile(Places::current().citiesFile());
    const int all = lines.count();
    replace(lines);
    if (all <= kMaxCities)
        return {};
    return QStringLiteral("%1 : %2 lignes, seules les %3 premières sont lues, les autres sont ignorées")
        .arg(Places::current().citiesFile())
        .arg(all)
        .arg(kMaxCities);
}

void CityList::setBytes(const QByteArray &bytes)
{
    NameValueList lines;
    lines.loadFromBytes(bytes);
    replace(lines);
}

namespace {
bool sameLine(const NameValueList &a, int i, const NameValueList &b, int j)
{
    return a.name(i) == b.name(j) && a.valueAt(i) == b.valueAt(j);
}

// The row that `after` lacks or adds compared with `before`, when they differ by that one line; else -1.
int oneLineApart(const NameValueList &shorter, const NameValueList &longer)
{
    if (longer.count() != shorter.count() + 1)
        return -1;
    int row = 0;
    while (row < shorter.count() && sameLine(shorter, row, longer, row))
        ++row;
    for (int k = row; k < shorter.count(); ++k)
        if (!sameLine(shorter, k, longer, k + 1))
            return -1;
    return row;
}
} // namespace

// One line added or removed moves one row; anything else says the list anew.
void CityList::replace(NameValueList lines)
{
    lines.keepFirst(kMaxCities);
    if (const int added = oneLineApart(lines_, lines); added >= 0) {
        beginInsertRows({}, added, added);
        lines_ = std::move(lines);
        weather(valueAt(added));
        endInsertRows();
    } else if (const int removed = oneLineApart(lines, lines_); removed >= 0) {
        beginRemoveRows({}, removed, removed);
        lines_ = std::move(lines);
        endRemoveRows();
    } else {
        beginResetModel();
        lines_ = std::move(lines);
        for (int row = 0; row < count(); ++row)
            weather(valueAt(row));
        endResetModel();
    }
    for (int row = 0; row < count(); ++row)
        weathers_.value(valueAt(row))->setName(name(row));
}

void CityList::setDisplayed(CityWeather *weather)
{
    if (weather == displayed_)
        return;
    displayed_ = weather;
    Q_EMIT displayedChanged(weather);
}

QByteArray CityList::fileBytes() const
{
    QFile file(Places::current().citiesFile());
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw Error(file.fileName() + QStringLiteral(" : fichier illisible (") + file.errorString() + u')');
    return file.readAll();
}

// Written whole or not at all (to the user's own copy in an installed program), then read back.
void CityList::write(const QByteArray &bytes)
{
    const Places &places = Places::current();
    places.prepareFolderOf(places.citiesCopy());
    writeFileAtomically(places.citiesCopy(), bytes);
    setBytes(bytes);
}

void CityList::add(const QByteArray &name, const QByteArray &code)
{
    write(withCityAdded(fileBytes(), name, code));
}

void CityList::remove(const QByteArray &code)
{
    write(withCityRemoved(fileBytes(), code));
}

void CityList::addCommune(const QByteArray &name, const QByteArray &label, const QByteArray &code)
{
    if (rowOf(code) >= 0)
        return;
    const auto notAdded = [&name](const QString &why) {
        return Error(QString::fromUtf8(name) + QStringLiteral(" n'a pas été ajoutée à la liste des villes : ") + why);
    };
    // A line past those read would never be shown, nor found again: it is not written.
    NameValueList all;
    all.loadFromBytes(fileBytes());
    if (all.count() >= kMaxCities)
        throw notAdded(QStringLiteral("elle en compte déjà %1, le plus que Météo lit").arg(all.count()));
    bool nameTaken = false;
    for (int i = 0; i < count() && !nameTaken; ++i)
        nameTaken = equalsIgnoringAsciiCase(this->name(i), name);
    try {
        add(nameTaken ? label : name, code);
    } catch (const Error &e) {
        throw notAdded(QString::fromUtf8(e.what()));
    }
}

void CityList::removeCity(const QByteArray &code)
{
    const QByteArray named = name(rowOf(code));
    try {
        remove(code);
    } catch (const Error &e) {
        throw Error(QString::fromUtf8(named) + QStringLiteral(" n'a pas été retirée de la liste des villes : ") + QString::fromUtf8(e.what()));
    }
}

int CityList::rowOf(const QByteArray &code) const
{
    for (int row = 0; !code.isEmpty() && row < count(); ++row)
        if (valueAt(row) == code)
            return row;
    return -1;
}

CityWeather *CityList::weather(const QByteArray &code)
{
    CityWeather *&w = weathers_[code];
    if (!w)
        w = new CityWeather(code, this);
    if (const int row = rowOf(code); row >= 0)
        w->setName(name(row));
    return w;
}

int CityList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant CityList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    switch (role) {
    case Qt::DisplayRole: return QString::fromUtf8(name(index.row()));
    case CodeRole: return valueAt(index.row());
    case WeatherRole: return QVariant::fromValue(static_cast<QObject *>(find(valueAt(index.row()))));
    default: return {};
    }
}

QHash<int, QByteArray> CityList::roleNames() const
{
    return {{Qt::DisplayRole, "name"}, {CodeRole, "code"}, {WeatherRole, "weather"}};
}

} // namespace meteo
