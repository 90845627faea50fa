// SPDX-License-Identifier: GPL-2.0-or-later
// The simulation's rain map: each cell's rain is the simulation's weather at the seat of the most
// populated commune in the cell, so that a town reads on the map what its document says, or where
// no seat lies, at the cell's centre (with the nearest commune's climate and legal time). A frame is
// made once, at its first request, and kept for everyone while the index lists it.
#pragma once
#include "common/raincells.h"
#include "service/http/source.h"

#include <QHash>
#include <QObject>
#include <QThreadPool>
#include <mutex>
#include <optional>
#include <vector>

namespace service {

// What falls under a WMO condition code: snow, freezing rain, else rain.
[[nodiscard]] meteo::rain::Fall fallOf(int wmo);

class SimulatedRainMap : public RainMapSource {
public:
    explicit SimulatedRainMap(const CommuneTable &communes, const MapGrid &grid = kFranceGrid);
    ~SimulatedRainMap() override;

    RainMapIndex index(const QDateTime &nowUtc) override;
    // A frame not yet made is made on a thread of its own, one at a time, while the service answers
    // other requests; those who ask for it meanwhile wait for the same making.
    void frame(qint64 instant, const QDateTime &nowUtc, std::function<void(Result<QByteArray>)> done) override;
    // The frame's PNG, made here and now (for the benchmark).
    [[nodiscard]] QByteArray makeFrame(qint64 instant, const QDateTime &nowUtc);

    // The frame's cells (on any one thread at a time), columns × rows bytes from the north-west: a quarter hour's rate is that of
    // its middle, as the document's quarters; an hour's, the mean of its start and middle, as its hours.
    [[nodiscard]] QByteArray cells(qint64 instant, bool quarter);
    // One of them, by its column and row; nothing where the map has no data.
    [[nodiscard]] std::optional<meteo::rain::Cell> cell(int column, int row, qint64 instant, bool quarter);
    // How far from a commune a cell still has weather: the sea off the coasts, the borders.
    static constexpr double kReachKm = 60;

private:
    void placeCells();
    struct Place;
    const CommuneTable &communes_;
    MapGrid grid_;
    std::once_flag placed_;
    std::vector<Place> places_;  // one per cell; a cell far from every commune has none
    // On the event-loop thread only: the frames made, by instant, and who waits for those being made.
    QHash<qint64, QByteArray> frames_;
    QHash<qint64, QList<std::function<void(Result<QByteArray>)>>> waiting_;
    QObject home_;  // the event-loop thread, where a frame made comes back
    QThreadPool maker_;
};

} // namespace service
