// SPDX-License-Identifier: GPL-2.0-or-later
#include "hourly.h"

#include "common/error.h"
#include "common/frenchtext.h"
#include "common/instanttext.h"
#include "timetext.h"

#include <QDomElement>
#include <algorithm>
#include <cmath>

namespace meteo {
namespace {

// Physical ranges: a value outside is a broken document, never drawn.
constexpr double kTemperature[] = {-90, 60}, kPrecipitation[] = {0, 500}, kPercent[] = {0, 100}, kWind[] = {0, 500};

std::optional<double> measure(const QDomElement &parent, const char *name, const double (&range)[2])
{
    return readMeasure(parent.firstChildElement(QString::fromLatin1(name)).text().toUtf8(), range[0], range[1]);
}

// The place's offset as loc/zone gives it in hours ("1", "-9.5"), for times written without one.
std::optional<int> zoneOffset(const QDomElement &root)
{
    const std::optional<double> hours =
        readMeasure(root.firstChildElement(QStringLiteral("loc")).firstChildElement(QStringLiteral("zone")).text().toUtf8(), -14, 14);
    return hours ? std::optional<int>(int(std::lround(*hours * 4)) * 900) : std::nullopt;
}

QByteArray whole(double v)
{
    return QByteArray::number(std::lround(v));
}


} // namespace

std::optional<double> readMeasure(const QByteArray &text, double lo, double hi)
{
    // A plain decimal, checked by hand (a document has some five hundred): an optional minus, 1 to 12
    // digits, optionally a dot and 1 to 12 more, blanks around.
    const QByteArray t = text.trimmed();
    qsizetype i = t.startsWith('-') ? 1 : 0;
    const auto run = [&t, &i] {
        const qsizetype from = i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9')
            ++i;
        return i - from;
    };
    const qsizetype whole = run();
    if (whole < 1 || whole > 12)
        return std::nullopt;
    if (i < t.size() && t[i] == '.') {
        ++i;
        if (const qsizetype fraction = run(); fraction < 1 || fraction > 12)
            return std::nullopt;
    }
    if (i != t.size())
        return std::nullopt;
    const double v = t.toDouble();
    return v >= lo && v <= hi ? std::optional<double>(v) : std::nullopt;
}

QDateTime HourlyForecast::placeTime(const QDateTime &now) const
{
    for (const HourPoint &h : hours)
        if (h.time <= now && now < h.time.addSecs(3600))
            return now.toOffsetFromUtc(h.time.offsetFromUtc());
    return zone ? now.toOffsetFromUtc(*zone) : now.toLocalTime();
}

namespace {
// Which of the October night's two hours the service says a time is: a document that begins with
// the second has no hour before it to tell.
ClockSide sideSaid(const QDomElement &e)
{
    const QString side = e.attribute(QStringLiteral("heure"));
    return side == QLatin1String("ete") ? ClockSide::Summer : side == QLatin1String("hiver") ? ClockSide::Winter : ClockSide::Once;
}
} // namespace

HourlyForecast readHourly(const WeatherDocument &doc)
{
    HourlyForecast f;
    const QDomElement root = doc.root(), hours = root.firstChildElement(QStringLiteral("hours"));
    f.present = !hours.isNull();
    f.place = root.firstChildElement(QStringLiteral("loc")).firstChildElement(QStringLiteral("dnam")).text().section(u',', 0, 0).trimmed().toUtf8();
    const std::optional<int> zone = zoneOffset(root);
    f.zone = zone;
    for (QDomElement e = hours.firstChildElement(QStringLiteral("hour")); !e.isNull() && f.hours.size() < 48;
         e = e.nextSiblingElement(QStringLiteral("hour"))) {
        const std::optional<QDateTime> time = readInstantText(e.attribute(QStringLiteral("t")), zone);
        if (!time)
            continue;
        HourPoint h;
        h.time = *time;
        h.temperature = measure(e, "tmp", kTemperature);
        h.feelsLike = measure(e, "flik", kTemperature);
        h.chance = measure(e, "ppcp", kPercent);
        h.precipitation = measure(e, "prec", kPrecipitation);
        h.gust = measure(e.firstChildElement(QStringLiteral("wind")), "gust", kWind);
        h.icon = e.firstChildElement(QStringLiteral("icon")).text().trimmed().toUtf8();
        h.side = sideSaid(e);
        f.hours << h;
    }
    const QDomElement rain = root.firstChildElement(QStringLiteral("rain"));
    for (QDomElement e = rain.firstChildElement(QStringLiteral("q")); !e.isNull() && f.rain.size() < 8;
         e = e.nextSiblingElement(QStringLiteral("q")))
        if (const std::optional<QDateTime> start = readInstantText(e.attribute(QStringLiteral("t")), zone)) {
            f.rain << RainSlot{*start, measure(e, "prec", kPrecipitation)};
            f.rain.last().side = sideSaid(e);
        }
    for (RainSlot &q : f.rain)
        for (const HourPoint &h : f.hours)
            if (h.time <= q.start && q.start < h.time.addSecs(3600))
                q.kind = precipitationOf(h.icon);
    // The night the clocks go back, as the hours show it: the offset falls between two of them, and
    // the wall-clock times of the span it falls by are shown twice.
    for (qsizetype i = 0; i + 1 < f.hours.size(); ++i) {
        const int before = f.hours[i].time.offsetFromUtc(), after = f.hours[i + 1].time.offsetFromUtc();
        if (after >= before || f.hours[i].time.secsTo(f.hours[i + 1].time) != 3600)
            continue;
        const QDateTime change = f.hours[i + 1].time;
        const auto sideOf = [&](const QDateTime &t) {
            return t >= change.addSecs(after - before) && t < change ? ClockSide::Summer
                   : t >= change && t < change.addSecs(before - after) ? ClockSide::Winter
                                                                        : ClockSide::Once;
        };
        for (HourPoint &h : f.hours)
            if (h.side == ClockSide::Once)
                h.side = sideOf(h.time);
        for (RainSlot &q : f.rain)
            if (q.side == ClockSide::Once)
                q.side = sideOf(q.start);
    }
    if (f.hours.isEmpty())
        return f;
    // Nights from the days' sun times: day n of the forecast is the n-th date from the first hour's,
    // each time at the offset in force then where the place is: that of the last hour of that date
    // begun by then (a day the clocks change has two), else of its first.
    const auto offsetAt = [&f](QDate date, QTime time) {
        const HourPoint *found = nullptr;
        for (const HourPoint &h : f.hours)
            if (h.time.date() == date && (!found || h.time.time() <= time))
                found = &h;
        if (found)
            return found->time.offsetFromUtc();
        return date < f.hours.first().time.date() ? f.hours.first().time.offsetFromUtc() : f.hours.last().time.offsetFromUtc();
    };
    const auto at = [&](QDate date, QTime time) { return QDateTime(date, time, Qt::OffsetFromUTC, offsetAt(date, time)); };
    QList<std::pair<QDateTime, QDateTime>> suns;  // sunrise, sunset of each day
    const QDomElement dayf = root.firstChildElement(QStringLiteral("dayf"));
    const QDate first = f.hours.first().time.date();
    for (QDomElement e = dayf.firstChildElement(QStringLiteral("day")); !e.isNull() && suns.size() < 16;
         e = e.nextSiblingElement(QStringLiteral("day"))) {
        const QDate date = first.addDays(suns.size());
        try {
            suns.append({at(date, readTimeOfDay(e.firstChildElement(QStringLiteral("sunr")).text().toUtf8())),
                         at(date, readTimeOfDay(e.firstChildElement(QStringLiteral("suns")).text().toUtf8()))});
        } catch (const Error &) {
            suns.append({at(date, QTime(7, 0)), at(date, QTime(19, 0))});  // a usual day
        }
    }
    const QDateTime from = f.hours.first().time, to = f.hours.last().time.addSecs(3600);
    QDateTime dusk = at(first.addDays(-1), QTime(19, 0));
    for (const auto &[sunrise, sunset] : suns) {
        if (sunrise > from && dusk < to)
            f.nights.append({std::max(dusk, from), std::min(sunrise, to)});
        dusk = sunset;
    }
    if (dusk < to)
        f.nights.append({std::max(dusk, from), to});
    return f;
}

double roundStep(double raw)
{
    if (!(raw > 0) || !std::isfinite(raw))
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 2.5, 5.0})
        if (m * power >= raw * (1 - 1e-9))
            return m * power;
    return 10 * power;
}

Scale niceScale(double lo, double hi, int steps)
{
    if (!(lo <= hi))
        std::swap(lo, hi);
    const double margin = std::max((hi - lo) * 0.08, 0.5);
    lo -= margin;
    hi += margin;
    const double step = roundStep((hi - lo) / std::max(steps, 1));
    return {std::floor(lo / step) * step, std::ceil(hi / step) * step, step};
}

QList<double> monotoneSlopes(const QList<QPointF> &p)
{
    const qsizetype n = p.size();
    QList<double> m(n, 0.0);
    if (n < 2)
        return m;
    QList<double> d(n - 1);
    for (qsizetype i = 0; i + 1 < n; ++i)
        d[i] = (p[i + 1].y() - p[i].y()) / (p[i + 1].x() - p[i].x());
    m[0] = d[0];
    m[n - 1] = d[n - 2];
    for (qsizetype i = 1; i + 1 < n; ++i)
        m[i] = d[i - 1] * d[i] <= 0 ? 0 : (d[i - 1] + d[i]) / 2;
    for (qsizetype i = 0; i + 1 < n; ++i) {
        if (d[i] == 0) {
            m[i] = m[i + 1] = 0;
            continue;
        }
        const double a = m[i] / d[i], b = m[i + 1] / d[i], r = a * a + b * b;
        if (r > 9) {  // the tangents would overshoot: scaled back onto the circle of radius 3
            const double t = 3 / std::sqrt(r);
            m[i] = t * a * d[i];
            m[i + 1] = t * b * d[i];
        }
    }
    return m;
}

RainIntensity intensityOf(double mmInQuarter)
{
    const double rate = mmInQuarter * 4;
    return rate < 0.1 ? RainIntensity::None : rate < 2.5 ? RainIntensity::Light : rate < 7.6 ? RainIntensity::Moderate
                                                                                             : RainIntensity::Heavy;
}

QByteArray intensityWord(RainIntensity intensity)
{
    switch (intensity) {
    case RainIntensity::Light: return "faible";
    case RainIntensity::Moderate: return "modérée";
    case RainIntensity::Heavy: return "forte";
    default: return {};
    }
}

QByteArray clockSuffix(ClockSide side)
{
    return side == ClockSide::Summer ? " (heure d'été)" : side == ClockSide::Winter ? " (heure d'hiver)" : QByteArray();
}

QByteArray hourText(const QDateTime &t, ClockSide side)
{
    return french::utf8(french::hourMinute(t.time())) + clockSuffix(side);
}

namespace {
// The items of `list` whose span of `seconds` from their `start` has not ended at `now`.
template <class T>
QList<T> notEnded(const QList<T> &list, QDateTime T::*start, qint64 seconds, const QDateTime &now)
{
    QList<T> out;
    std::copy_if(list.begin(), list.end(), std::back_inserter(out), [&](const T &item) { return (item.*start).addSecs(seconds) > now; });
    return out;
}
} // namespace

QList<HourPoint> hoursAhead(const QList<HourPoint> &hours, const QDateTime &now)
{
    return notEnded(hours, &HourPoint::time, 3600, now);
}

QList<RainSlot> quartersAhead(const QList<RainSlot> &rain, const QDateTime &now)
{
    return notEnded(rain, &RainSlot::start, 900, now);
}

QByteArray rainSentence(const QList<RainSlot> &all, const QDateTime &now)
{
    if (all.isEmpty())
        return {};
    if (std::any_of(all.begin(), all.end(), [](const RainSlot &s) { return !s.mm; }))
        return "Données de pluie illisibles";
    const QList<RainSlot> rain = quartersAhead(all, now);
    if (rain.isEmpty())
        return "Pas de prévision de pluie à jour";
    const auto wet = [](const RainSlot &s) { return intensityOf(*s.mm) != RainIntensity::None; };
    // The spell's strongest quarter, named as what falls in it.
    const auto spell = [&](qsizetype from, qsizetype to) {
        RainIntensity i = RainIntensity::None;
        QList<Precipitation> kinds;
        for (qsizetype k = from; k < to; ++k) {
            i = std::max(i, intensityOf(*rain[k].mm));
            kinds << rain[k].kind;
        }
        return precipitationSpell(commonPrecipitation(kinds), i);
    };
    const QDateTime end = rain.last().start.addSecs(900);
    const qsizetype start = std::find_if(rain.begin(), rain.end(), wet) - rain.begin();
    if (start == rain.size())
        return "Pas de pluie prévue d'ici " + hourText(end);
    const qsizetype stop = std::find_if_not(rain.begin() + start, rain.end(), wet) - rain.begin();
    if (start > 0 || rain[start].start > now)  // only what has begun is "en cours"
        return spell(start, stop) + " à partir de " + hourText(rain[start].start, rain[start].side);
    if (stop == rain.size())
        return spell(0, stop) + " en cours, sans fin prévue d'ici " + hourText(end);
    return spell(0, stop) + " en cours, fin vers " + hourText(rain[stop].start, rain[stop].side);
}

Precipitation wetHoursKind(const QList<HourPoint> &hours)
{
    QList<Precipitation> kinds;
    for (const HourPoint &h : hours)
        if (h.precipitation.value_or(0) >= 0.1)
            kinds << precipitationOf(h.icon);
    return commonPrecipitation(kinds);
}

Precipitation wetQuartersKind(const QList<RainSlot> &rain)
{
    QList<Precipitation> kinds;
    for (const RainSlot &q : rain)
        if (q.mm && intensityOf(*q.mm) != RainIntensity::None)
            kinds << q.kind;
    return commonPrecipitation(kinds);
}

QByteArray hourTooltip(const HourPoint &h)
{
    const auto or_ = [](const std::optional<double> &v, const char *unit) {
        return v ? whole(*v) + unit : QByteArray("—");
    };
    QByteArray text = french::utf8(french::dayAndHour(h.time)) + clockSuffix(h.side) + " : " + or_(h.temperature, " °C") + ", ressenti "
                      + or_(h.feelsLike, " °C") + ", " + precipitationWord(precipitationOf(h.icon)) + ' ';
    text += h.precipitation ? french::utf8(french::fixed(*h.precipitation, 1)) + " mm/h" : QByteArray("—");
    text += " (" + or_(h.chance, " %") + "), rafales " + or_(h.gust, " km/h");
    return text;
}

QByteArray hourlyDescription(const QList<HourPoint> &hours)
{
    std::optional<double> lo, hi, gust;
    for (const HourPoint &h : hours) {
        if (h.temperature) {
            lo = std::min(lo.value_or(*h.temperature), *h.temperature);
            hi = std::max(hi.value_or(*h.temperature), *h.temperature);
        }
        if (h.gust)
            gust = std::max(gust.value_or(*h.gust), *h.gust);
    }
    QByteArray text = lo ? "Températures de " + whole(*lo) + " à " + whole(*hi) + " °C" : QByteArray("Températures inconnues");
    const auto rainy = [&hours](qsizetype i) { return hours[i].precipitation.value_or(0) >= 0.1; };
    QList<QByteArray> periods;
    QList<Precipitation> kinds;
    for (qsizetype i = 0; i < hours.size(); ++i) {
        if (!rainy(i) || (i > 0 && rainy(i - 1)))
            continue;
        qsizetype j = i;
        while (j + 1 < hours.size() && rainy(j + 1))
            ++j;
        kinds << wetHoursKind(hours.mid(i, j - i + 1));
        periods << french::utf8(french::dayName(hours[i].time.date())) + " de " + hourText(hours[i].time, hours[i].side) + " à "
                       + (j + 1 < hours.size() ? hourText(hours[j + 1].time, hours[j + 1].side) : hourText(hours[j].time.addSecs(3600)));
    }
    // One word for all the periods when they agree ("neige lundi de…, mardi de…"), else one each.
    const bool agree = std::all_of(kinds.begin(), kinds.end(), [&kinds](Precipitation k) { return k == kinds.first(); });
    for (qsizetype p = 0; p < periods.size(); ++p)
        if (p == 0 || !agree)
            periods[p] = precipitationWord(kinds[p]) + ' ' + periods[p];
    text += periods.isEmpty() ? QByteArray(" ; pas de pluie") : " ; " + periods.join(", ");
    if (gust)
        text += " ; rafales jusqu'à " + whole(*gust) + " km/h";
    return text;
}

} // namespace meteo
