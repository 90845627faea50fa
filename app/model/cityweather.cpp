// SPDX-License-Identifier: GPL-2.0-or-later
#include "cityweather.h"

namespace meteo {

CityWeather::CityWeather(const QByteArray &code, QObject *parent) : QObject(parent), code_(code) {}

QByteArray CityWeather::name() const
{
    if (!name_.isEmpty() || !report_)
        return name_;
    return report_->hourly.place;
}

CityWeather::State CityWeather::state(const QDateTime &now) const
{
    if (downloading_)
        return State::Downloading;
    if (!failure_.isEmpty())
        return State::Failed;
    if (!report_)
        return State::Never;
    return report_->isOld(now) ? State::Old : State::Fresh;
}

void CityWeather::startDownload()
{
    downloading_ = true;
    Q_EMIT changed();
}

void CityWeather::stopDownload()
{
    if (!downloading_)
        return;
    downloading_ = false;
    Q_EMIT changed();
}

void CityWeather::receive(std::shared_ptr<const CityReport> report)
{
    report_ = std::move(report);
    downloading_ = false;
    failure_.clear();
    Q_EMIT changed();
}

void CityWeather::fail(const QString &reason)
{
    downloading_ = false;
    failure_ = reason;
    Q_EMIT changed();
}

} // namespace meteo
