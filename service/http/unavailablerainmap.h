// SPDX-License-Identifier: GPL-2.0-or-later
// The rain map of a source that has none to give (the live source without a Météo-France key): an
// index without frames that says so (src="indisponible"), rather than a map that is not the truth.
#pragma once
#include "source.h"

namespace service {

class UnavailableRainMap : public RainMapSource {
public:
    RainMapIndex index(const QDateTime &nowUtc) override
    {
        RainMapIndex index;
        index.made = nowUtc;
        index.source = "indisponible";
        return index;
    }
    void frame(qint64, const QDateTime &, std::function<void(Result<QByteArray>)> done) override
    {
        done(HttpError{404, "carte des pluies indisponible"});
    }
};

} // namespace service
