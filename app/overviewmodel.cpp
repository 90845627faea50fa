#include "overviewmodel.h"

#include "common/frenchtext.h"
#include "weather/outlook.h"

#include <numeric>

namespace meteo {
namespace {

QString degrees(const std::optional<double> &v)
{
    return v ? french::number(std::round(*v), 0) + QStringLiteral("°") : QStringLiteral("—");
}

QString lowerFirst(QString text)
{
    return text.isEmpty() ? text : text.left(1).toLower() + text.mid(1);
}

} // namespace

OverviewModel::OverviewModel(CityList *cities, QObject *parent) : QAbstractListModel(parent), cities_(cities)
{
    connect(cities_, &QAbstractItemModel::modelReset, this, &OverviewModel::refresh);
    refresh();
}

void OverviewModel::setDay(int day)
{
    day_ = day;
}

void OverviewModel::setOrdered(bool finestFirst)
{
    ordered_ = finestFirst;
}

void OverviewModel::refresh()
{
    beginResetModel();
    reorder();
    endResetModel();
}

void OverviewModel::reorder()
{
    order_.resize(cities_->count());
    std::iota(order_.begin(), order_.end(), 0);
    if (!ordered_)
        return;
    const QDateTime now = clock();
    QList<Outlook> outlooks;
    for (int row = 0; row < cities_->count(); ++row) {
        const std::shared_ptr<const CityReport> report = cities_->weather(cities_->valueAt(row))->report();
        outlooks << (report ? outlookOf(*report, day_, now) : Outlook());
    }
    std::stable_sort(order_.begin(), order_.end(), [&outlooks](int a, int b) { return finer(outlooks[a], outlooks[b]); });
}

int OverviewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(order_.size());
}

QVariant OverviewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= order_.size() || order_[index.row()] >= cities_->count())
        return {};
    const int row = order_[index.row()];
    const QByteArray code = cities_->valueAt(row);
    CityWeather *weather = cities_->weather(code);
    const std::shared_ptr<const CityReport> report = weather->report();
    const QDateTime now = clock();
    const QString name = QString::fromUtf8(cities_->name(row));
    const bool failed = weather->state(now) == CityWeather::State::Failed;
    // Days counted from the place's own today, which overseas is not this computer's.
    const ForecastDay *day = report && day_ >= 0 ? report->dayAhead(day_, now) : nullptr;
    const ForecastDay *today = report ? report->dayAhead(0, now) : nullptr;
    const auto range = [](const ForecastDay *d) { return d ? degrees(d->low) + QStringLiteral(" / ") + degrees(d->high) : QStringLiteral("—"); };
    const QList<OfficialWarning> warnings = report ? report->warningsInForce(now) : QList<OfficialWarning>();
    switch (role) {
    case NameRole: return name;
    case CodeRole: return code;
    case IconRole: return report ? (day_ < 0 ? report->condition.Icon_Jour : day ? day->dayIcon : QByteArray()) : QByteArray();
    case MainRole:
        if (!report)
            return QStringLiteral("—");
        if (day_ < 0)
            return report->temperature() ? QString::number(*report->temperature()) + QStringLiteral(" °C") : QStringLiteral("—");
        return range(day);
    case DetailRole: {
        if (!report)
            return QString();
        // The day's air class where the document has it.
        const QDate shownDate = report->placeToday(now).addDays(std::max(day_, 0));
        QString air;
        for (const AirDayReading &a : report->air.days)
            if (a.date == shownDate && a.atmo > 0)
                air = QStringLiteral(" · air ") + QString::fromUtf8(atmoWord(a.atmo));
        if (day_ < 0) {
            const QString rain = QString::fromUtf8(rainSentence(report->hourly.rain, now));
            return range(today) + (rain.isEmpty() ? QString() : QStringLiteral(" · ") + lowerFirst(rain)) + air;
        }
        return day ? QString::fromUtf8(day->chance + " · " + day->wind) + air : QStringLiteral("—");
    }
    case WarningRole: return warnings.isEmpty() ? QString() : QString::fromUtf8(badgeTexts(warnings).first);
    case ColourRole: return warnings.isEmpty() ? 0 : int(warnings.first().colour);
    case OldRole: return failed || (report && report->isOld(now));
    case AgeRole: {
        if (weather->state(now) == CityWeather::State::Downloading && !report)
            return QStringLiteral("Actualisation…");
        QString age = report ? QStringLiteral("Reçues à ") + report->received.toString(QStringLiteral("HH:mm")) : QString();
        if (report && report->isOld(now))
            age += QStringLiteral(" — données anciennes");
        if (failed)
            age = weather->failure() + (age.isEmpty() ? QString() : QStringLiteral(" ; ") + age);
        return age.isEmpty() ? QStringLiteral("Pas encore téléchargée") : age;
    }
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
        // One sentence a row: what a screen reader says of it.
        QStringList parts{name};
        if (report) {
            const QString sky = day_ < 0 ? QString::fromUtf8(report->sky) : day ? QString::fromUtf8(day->sky) : QString();
            parts << data(index, MainRole).toString() + (sky.isEmpty() ? QString() : QStringLiteral(", ") + lowerFirst(sky));
            parts << data(index, DetailRole).toString().replace(QStringLiteral(" · "), QStringLiteral(", ")).replace(QStringLiteral(" / "), QStringLiteral(" à "));
            if (!warnings.isEmpty())
                parts << lowerFirst(data(index, WarningRole).toString());
        }
        parts << data(index, AgeRole).toString();
        return parts.join(QStringLiteral(" ; "));
    }
    default: return {};
    }
}

} // namespace meteo
