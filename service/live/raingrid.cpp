// SPDX-License-Identifier: GPL-2.0-or-later
#include "raingrid.h"

#include "common/raincells.h"

namespace service {

std::optional<QByteArray> QuarterRain::add(const RainField &field)
{
    const qint64 quarter = field.start / 900 * 900;
    if (field.end <= field.start || field.end > quarter + 900)
        return QByteArray("accumulation du " + QByteArray::number(field.start) + " au " + QByteArray::number(field.end)
                          + " à cheval sur deux quarts d'heure");
    if (holds(field.start, field.end))
        return std::nullopt;  // already counted: a publication read twice adds nothing
    Quarter &q = quarters_[quarter];
    q.spans.insert(field.start, field.end);
    if (q.mm.empty())
        q.mm = field.mm;
    else
        for (size_t i = 0; i < q.mm.size() && i < field.mm.size(); ++i)
            q.mm[i] += field.mm[i];  // NaN stays NaN: no data for part of the quarter is no data
    return std::nullopt;
}

bool QuarterRain::holds(qint64 start, qint64 end) const
{
    const auto q = quarters_.constFind(start / 900 * 900);
    if (q == quarters_.cend())
        return false;
    for (auto it = q->spans.cbegin(); it != q->spans.cend(); ++it)
        if (start < it.value() && it.key() < end)
            return true;
    return false;
}

bool QuarterRain::whole(qint64 quarter) const
{
    const auto q = quarters_.constFind(quarter);
    if (q == quarters_.cend())
        return false;
    qint64 covered = 0;
    for (auto it = q->spans.cbegin(); it != q->spans.cend(); ++it)
        covered += it.value() - it.key();
    return covered >= 900;
}

std::optional<QByteArray> QuarterRain::cells(qint64 quarter) const
{
    if (!whole(quarter))
        return std::nullopt;
    const std::vector<float> &mm = quarters_[quarter].mm;
    QByteArray out(qsizetype(mm.size()), char(meteo::rain::kNoData));
    for (size_t i = 0; i < mm.size(); ++i)
        if (!std::isnan(mm[i]))
            out[qsizetype(i)] = char(meteo::rain::encode({meteo::rain::Fall::Rain, meteo::rain::levelOf(double(mm[i]) * 4)}));
    return out;
}

void QuarterRain::dropBefore(qint64 instant)
{
    while (!quarters_.isEmpty() && quarters_.firstKey() < instant)
        quarters_.erase(quarters_.begin());
}

} // namespace service
