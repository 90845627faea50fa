// SPDX-License-Identifier: GPL-2.0-or-later
// Weather that moves: the rain and the cloud of any place at any instant, from systems that cross the
// country rather than from a clock. Atlantic fronts spawn at irregular intervals west of Brittany,
// sweep east at 30 to 60 km/h and die out inland, a few of them in winter as storms that blow
// hardest on the coast; heat waves settle over the country for days most summers; the Mediterranean rim has rarer, heavier episodes,
// mostly in autumn; the tropics, short afternoon showers, more in their wet season; warm afternoons,
// thunder cells. Everything is a function of position and instant alone: the same place and instant
// give the same sky, and neighbouring places nearly the same one.
#pragma once
#include "climate.h"

#include <QHash>

namespace service {

struct Sky {
    double rain = 0;         // mm of water an hour
    double cloud = 0;        // 0 clear .. 1 overcast
    bool convective = false;  // showers or a thunder cell rather than a front's steady rain
    bool freezingAloft = false;  // a warm layer above: rain that freezes on a ground below 0 °C
    double depression = 0;   // hPa below the pressure the place would have without systems
    double windBoost = 0;    // km/h added by the systems
    double veer = 0;         // -1 ahead of a front (south-westerly) .. 1 behind it (north-westerly)
    double airMass = 0;      // °C: warm sector ahead of a front, cooler air behind it, a heat wave
};

// The systems as one place meets them. What a system is at that place (when it passes, how strong it
// is there) is worked out once and kept, since a report asks for hundreds of instants.
class Systems {
public:
    Systems(const City &city, const Climate &climate);
    // `utcSeconds` is the instant; `localHour` the hour of the day at the place (0..24), for the
    // afternoon showers.
    Sky at(qint64 utcSeconds, double localHour);

    struct Front {
        bool formed = false;
        double passage = 0;  // hours since the epoch: when it is here
        double band = 0, rain = 0, fade = 0, wet = 0, depth = 0, wind = 0;
        bool freezing = false;
        double storm = 0;  // km/h more at the coast: one winter front in a dozen is a storm
        qint64 id = 0;
    };
    struct HeatWave {
        bool happens = false;
        double start = 0, length = 0, peak = 0;  // hours since the epoch; °C at its height
    };
    struct Episode {
        bool happens = false;
        double start = 0, length = 0, reach = 0, rate = 0;
    };

private:
    const Front &front(qint64 n);
    const Episode &episode(qint64 k);
    const HeatWave &heatWave(qint64 k);
    void addHeatWaves(Sky &sky, double hours);
    void addFronts(Sky &sky, double hours);
    void addEpisodes(Sky &sky, double hours);
    void addAfternoonShowers(Sky &sky, double hours, double localHour);

    const City &city_;
    const Climate &climate_;
    double east_ = 0, north_ = 0;
    QHash<qint64, Front> fronts_;
    QHash<qint64, Episode> episodes_;
    QHash<qint64, HeatWave> heatWaves_;
};

} // namespace service
