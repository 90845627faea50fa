// SPDX-License-Identifier: GPL-2.0-or-later
#include "overviewmodel.h"

#include "common/frenchtext.h"
#include "weather/outlook.h"

#include <numeric>

namespace meteo {
namespace {

QString lowerFirst(QString text)
{
    return text.isEmpty() ? text : text.left(1).toLower() + text.mid(1);
}

} // namespace

// What a row says, in parts: the screen shows them with " · " and " / ", a screen reader hears them
// with ", " and " à ".
struct OverviewModel::Row {
    QString name, main, sky, low, high, rain, air, chance, wind, warning, age;
    QByteArray code, icon;
    int colour = 0;
    bool old = false, known = false, now = true, dayKnown = false;

    QString range(const QString &between) const { return low.isEmpty() ? QStringLiteral("—") : low + between + high; }
    QString detail(const QString &dot, const QString &between) const
    {
        if (!known)
            return {};
        QStringList parts;
        if (now) {
            parts << range(between);
            if (!rain.isEmpty())
                parts << rain;
        } else {
            if (!dayKnown)
                return QStringLiteral("—");
            parts << chance << wind;
        }
        if (!air.isEmpty())
            parts << air;
        return parts.join(dot);
    }
    // What the screen shows beside the main value, a line of its own: the rain ahead, or the day's.
    QString shownDetail() const
    {
        if (!known)
            return {};
        if (now)
            return rain.isEmpty() ? rain : rain.left(1).toUpper() + rain.mid(1);
        return dayKnown ? chance + QStringLiteral(" · ") + wind : QStringLiteral("—");
    }
    QString spoken() const
    {
        QStringList parts{name};
        if (known) {
            parts << main + (sky.isEmpty() ? QString() : QStringLiteral(", ") + lowerFirst(sky));
            parts << detail(QStringLiteral(", "), QStringLiteral(" à "));
            if (!warning.isEmpty())
                parts << lowerFirst(warning);
        }
        parts << age;
        return parts.join(QStringLiteral(" ; "));
    }
};

OverviewModel::OverviewModel(CityList *cities, QObject *parent) : QAbstractListModel(parent), cities_(cities)
{
    // A city added comes in its place in the list's order, or at the end of a sorted list, which is
    // then sorted again; a city removed leaves its row.
    connect(cities_, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int first, int last) {
        const int added = last - first + 1;
        const int at = ordered_ ? int(order_.size()) : first;
        beginInsertRows({}, at, at + added - 1);
        for (int &line : order_)
            line += line >= first ? added : 0;
        for (int k = 0; k < added; ++k)
            order_.insert(at + k, first + k);
        endInsertRows();
        follow();
        if (ordered_)
            reorder();
    });
    connect(cities_, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex &, int first, int last) {
        for (int line = last; line >= first; --line) {
            const int at = int(order_.indexOf(line));
            beginRemoveRows({}, at, at);
            order_.removeAt(at);
            endRemoveRows();
        }
        for (int &line : order_)
            line -= line > last ? last - first + 1 : 0;
    });
    connect(cities_, &QAbstractItemModel::modelReset, this, [this] {
        beginResetModel();
        order_ = ordered();
        endResetModel();
        follow();
    });
    order_ = ordered();
    follow();
}

void OverviewModel::follow()
{
    for (int row = 0; row < cities_->count(); ++row)
        if (CityWeather *weather = cities_->find(cities_->valueAt(row)))
            connect(weather, &CityWeather::changed, this, &OverviewModel::cityChanged, Qt::UniqueConnection);
}

void OverviewModel::cityChanged()
{
    const auto *weather = qobject_cast<const CityWeather *>(sender());
    if (!weather)
        return;
    if (ordered_) {
        reorder();
        return;
    }
    for (int i = 0; i < order_.size(); ++i)
        if (cities_->valueAt(order_[i]) == weather->code())
            Q_EMIT dataChanged(index(i), index(i));
}

void OverviewModel::setDay(int day)
{
    if (day == day_)
        return;
    day_ = day;
    retell();
}

void OverviewModel::setOrdered(bool finestFirst)
{
    if (finestFirst == ordered_)
        return;
    ordered_ = finestFirst;
    reorder();
}

void OverviewModel::retell()
{
    reorder();
    if (!order_.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(order_.size()) - 1));
}

QList<int> OverviewModel::ordered() const
{
    QList<int> order(cities_->count());
    std::iota(order.begin(), order.end(), 0);
    if (!ordered_)
        return order;
    const QDateTime now = clock();
    QList<Outlook> outlooks;
    for (int row = 0; row < cities_->count(); ++row) {
        const CityWeather *weather = cities_->find(cities_->valueAt(row));
        const std::shared_ptr<const CityReport> report = weather ? weather->report() : nullptr;
        outlooks << (report ? outlookOf(*report, day_, now) : Outlook());
    }
    std::stable_sort(order.begin(), order.end(), [&outlooks](int a, int b) { return finer(outlooks[a], outlooks[b]); });
    return order;
}

// The same rows in another order: the view's current row and selection follow their city.
void OverviewModel::reorder()
{
    const QList<int> order = ordered();
    if (order == order_) {
        if (!order_.isEmpty())
            Q_EMIT dataChanged(index(0), index(int(order_.size()) - 1));
        return;
    }
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex &i : before)
        after << index(int(order.indexOf(order_.value(i.row(), -1))), 0);
    order_ = order;
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    Q_EMIT dataChanged(index(0), index(int(order_.size()) - 1));
}

int OverviewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(order_.size());
}

OverviewModel::Row OverviewModel::rowOf(const QModelIndex &index) const
{
    Row r;
    const int line = order_[index.row()];
    r.code = cities_->valueAt(line);
    r.name = QString::fromUtf8(cities_->name(line));
    r.now = day_ < 0;
    const CityWeather *weather = cities_->find(r.code);
    const std::shared_ptr<const CityReport> report = weather ? weather->report() : nullptr;
    const QDateTime now = clock();
    const CityWeather::State state = weather ? weather->state(now) : CityWeather::State::Never;
    const bool failed = state == CityWeather::State::Failed;
    r.old = failed || (report && report->isOld(now));
    if (report) {
        r.known = true;
        // Days counted from the place's own today, which overseas is not this computer's.
        const ForecastDay *day = day_ >= 0 ? report->dayAhead(day_, now) : nullptr;
        const ForecastDay *today = report->dayAhead(0, now);
        const ForecastDay *ranged = r.now ? today : day;
        if (ranged) {
            r.low = french::shortDegrees(ranged->low);
            r.high = french::shortDegrees(ranged->high);
        }
        r.icon = r.now ? report->condition.Icon_Jour : day ? day->dayIcon : QByteArray();
        r.sky = QString::fromUtf8(r.now ? report->sky : day ? day->sky : QByteArray());
        r.main = r.now ? (report->temperature() ? french::degrees(*report->temperature()) : QStringLiteral("—"))
                       : r.range(QStringLiteral(" / "));
        r.dayKnown = day;
        if (day) {
            r.chance = QString::fromUtf8(day->chance);
            r.wind = QString::fromUtf8(day->wind);
        }
        r.rain = lowerFirst(QString::fromUtf8(rainSentence(report->hourly.rain, now)));
        const QDate shownDate = report->placeToday(now).addDays(std::max(day_, 0));
        for (const AirDayReading &a : report->air.days)
            if (a.date == shownDate && a.atmo > 0)
                r.air = QStringLiteral("air ") + QString::fromUtf8(atmoWord(a.atmo));
        const QList<OfficialWarning> warnings = report->warningsInForce(now);
        if (!warnings.isEmpty()) {
            r.warning = QString::fromUtf8(badgeTexts(warnings).first);
            r.colour = int(warnings.first().colour);
        }
    } else {
        r.main = QStringLiteral("—");
    }
    if (state == CityWeather::State::Downloading && !report) {
        r.age = QStringLiteral("Actualisation…");
    } else {
        QString age = report ? french::receivedAtTime(report->received) : QString();
        if (report && report->isOld(now))
            age += QStringLiteral(" — données anciennes");
        if (failed)
            age = weather->failure() + (age.isEmpty() ? QString() : QStringLiteral(" ; ") + age);
        r.age = age.isEmpty() ? QStringLiteral("Pas encore téléchargée") : age;
    }
    return r;
}

QVariant OverviewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= order_.size() || order_[index.row()] >= cities_->count())
        return {};
    const Row r = rowOf(index);
    switch (role) {
    case NameRole: return r.name;
    case CodeRole: return r.code;
    case IconRole: return r.icon;
    case MainRole: return r.main;
    case RangeRole: return r.known && r.now ? r.range(QStringLiteral(" / ")) : QString();
    case DetailRole: return r.shownDetail();
    case AirRole: return r.air;
    case WarningRole: return r.warning;
    case ColourRole: return r.colour;
    case OldRole: return r.old;
    case AgeRole: return r.age;
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return r.spoken();
    default: return {};
    }
}

} // namespace meteo
