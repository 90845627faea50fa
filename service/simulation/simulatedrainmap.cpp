// SPDX-License-Identifier: GPL-2.0-or-later
#include "simulatedrainmap.h"

#include "common/lambert93.h"
#include "common/raincells.h"
#include "service/communes/nearindex.h"
#include "simulatedweather.h"

namespace service {

struct SimulatedRainMap::Place {
    bool known = false;
    City city;  // the nearest commune's, at the cell's centre
    QTimeZone zone;
    std::optional<Climate> climate;
};

meteo::rain::Fall fallOf(int wmo)
{
    using meteo::rain::Fall;
    if ((wmo >= 71 && wmo <= 77) || wmo == 85 || wmo == 86)
        return Fall::Snow;
    if (wmo == 56 || wmo == 57 || wmo == 66 || wmo == 67)
        return Fall::Freezing;
    return Fall::Rain;
}

SimulatedRainMap::SimulatedRainMap(const CommuneTable &communes, const MapGrid &grid) : communes_(communes), grid_(grid)
{
    maker_.setMaxThreadCount(1);  // one frame at a time: the documents keep the other core
}

SimulatedRainMap::~SimulatedRainMap()
{
    maker_.waitForDone();
}

void SimulatedRainMap::placeCells()
{
    static const QTimeZone paris("Europe/Paris");  // reading a zone costs more than a cell's weather
    const double half = grid_.step / 2;
    places_.resize(size_t(grid_.columns) * size_t(grid_.rows));
    for (int row = 0; row < grid_.rows; ++row)
        for (int column = 0; column < grid_.columns; ++column) {
            const meteo::MapPoint centre{grid_.x0 + column * grid_.step, grid_.y0 - row * grid_.step};
            const meteo::GeoPoint p = meteo::fromLambert93(centre);
            // A cell that holds communes' seats has the weather of its most populated one, so that a
            // town reads on the map what its own document says; any other, that of its centre.
            const City *seat = nullptr;
            for (const NearCommune &n : communes_.nearest(p.latitude, p.longitude, 12, half * 1.5 / 1000)) {
                const meteo::MapPoint at = meteo::toLambert93({n.commune->latitude, n.commune->longitude});
                if (std::abs(at.x - centre.x) <= half && std::abs(at.y - centre.y) <= half
                    && (!seat || n.commune->population > seat->population))
                    seat = n.commune;
            }
            Place &place = places_[size_t(row) * size_t(grid_.columns) + size_t(column)];
            if (seat) {
                place.city = *seat;
            } else {
                const QList<NearCommune> near = communes_.nearest(p.latitude, p.longitude, 1, kReachKm);
                if (near.isEmpty())
                    continue;
                place.city = *near.first().commune;
                place.city.latitude = p.latitude;
                place.city.longitude = p.longitude;
                if (near.first().km > 10)
                    place.city.altitude = 0;  // the sea, or a plain abroad: not the commune's hills
            }
            place.known = true;
            place.zone = place.city.timeZone() == "Europe/Paris" ? paris : QTimeZone(place.city.timeZone());
            place.climate.emplace(place.city);
        }
}

std::optional<meteo::rain::Cell> SimulatedRainMap::cell(int column, int row, qint64 instant, bool quarter)
{
    std::call_once(placed_, [this] { placeCells(); });
    if (column < 0 || row < 0 || column >= grid_.columns || row >= grid_.rows)
        return std::nullopt;
    const Place &place = places_[size_t(row) * size_t(grid_.columns) + size_t(column)];
    if (!place.known)
        return std::nullopt;
    Weather weather(place.city, place.zone, *place.climate);
    double rate;
    int wmo;
    if (quarter) {
        // The rate of its middle; what falls, as its hour says it, as the document's reader takes it.
        rate = weather.at(instant + 450).sky.rain;
        wmo = weather.at(instant - instant % 3600).wmo;
    } else {
        const Weather::Hour start = weather.at(instant);  // a copy: the memo grows
        rate = (start.sky.rain + weather.at(instant + 1800).sky.rain) / 2;
        wmo = start.wmo;
        if (wet(wmo))
            rate = std::max(rate, 0.1);  // a wet hour is never dry, as in the document
    }
    return meteo::rain::Cell{fallOf(wmo), meteo::rain::levelOf(rate)};
}

QByteArray SimulatedRainMap::cells(qint64 instant, bool quarter)
{
    QByteArray out(qsizetype(grid_.columns) * grid_.rows, char(meteo::rain::kNoData));
    for (int row = 0; row < grid_.rows; ++row)
        for (int column = 0; column < grid_.columns; ++column)
            if (const std::optional<meteo::rain::Cell> c = cell(column, row, instant, quarter))
                out[qsizetype(row) * grid_.columns + column] = char(meteo::rain::encode(*c));
    return out;
}

RainMapIndex SimulatedRainMap::index(const QDateTime &nowUtc)
{
    RainMapIndex index;
    index.frames = rainFrameInstants(nowUtc);
    index.made = QDateTime::fromSecsSinceEpoch(nowUtc.toSecsSinceEpoch() / 900 * 900, QTimeZone::utc());
    index.source = "simulation";
    return index;
}

QByteArray SimulatedRainMap::makeFrame(qint64 instant, const QDateTime &nowUtc)
{
    return rainFramePng(cells(instant, isQuarterFrame(instant, nowUtc)), grid_);
}

void SimulatedRainMap::frame(qint64 instant, const QDateTime &nowUtc, std::function<void(Result<QByteArray>)> done)
{
    const QList<qint64> listed = rainFrameInstants(nowUtc);
    if (!listed.contains(instant)) {
        done(HttpError{404, "image absente de la carte"});
        return;
    }
    // Frames the index no longer lists go: the map keeps two days' worth at most.
    for (auto it = frames_.begin(); it != frames_.end();)
        it = listed.contains(it.key()) ? std::next(it) : frames_.erase(it);
    if (const auto kept = frames_.constFind(instant); kept != frames_.cend()) {
        done(*kept);
        return;
    }
    QList<std::function<void(Result<QByteArray>)>> &waiting = waiting_[instant];
    waiting << std::move(done);
    if (waiting.size() > 1)
        return;  // being made already
    const bool quarter = isQuarterFrame(instant, nowUtc);
    maker_.start([this, instant, quarter] {
        QByteArray png = rainFramePng(cells(instant, quarter), grid_);
        // The analyser loses the slot object Qt's queued call owns and deletes.
        // NOLINTNEXTLINE(clang-analyzer-cplusplus.NewDeleteLeaks)
        QMetaObject::invokeMethod(&home_, [this, instant, png = std::move(png)] {
            frames_.insert(instant, png);
            for (const auto &done : waiting_.take(instant))
                done(png);
        }, Qt::QueuedConnection);
    });
}

} // namespace service
