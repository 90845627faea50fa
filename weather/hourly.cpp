#include "hourly.h"

#include "common/error.h"
#include "timetext.h"

#include <QDomElement>
#include <QLocale>
#include <algorithm>
#include <cmath>

namespace meteo {
namespace {

const QLocale french(QLocale::French);

std::optional<double> number(const QDomElement &parent, const char *name)
{
    bool ok = false;
    const double v = parent.firstChildElement(QString::fromLatin1(name)).text().trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

std::optional<int> whole(std::optional<double> v)
{
    return v ? std::optional<int>(int(std::lround(*v))) : std::nullopt;
}

QDateTime localTime(const QDomElement &e)
{
    return QDateTime::fromString(e.attribute(QStringLiteral("t")), QStringLiteral("yyyy-MM-ddTHH:mm"));
}

QByteArray decimal(double v, int decimals)
{
    return french.toString(v, 'f', decimals).toUtf8();
}

const char *intensityName(RainIntensity i)
{
    switch (i) {
    case RainIntensity::Light: return "faible";
    case RainIntensity::Moderate: return "modérée";
    case RainIntensity::Heavy: return "forte";
    default: return "";
    }
}

} // namespace

HourlyForecast readHourly(const WeatherDocument &doc)
{
    HourlyForecast f;
    const QDomElement root = doc.root(), hours = root.firstChildElement(QStringLiteral("hours"));
    f.present = !hours.isNull();
    for (QDomElement e = hours.firstChildElement(QStringLiteral("hour")); !e.isNull() && f.hours.size() < 48;
         e = e.nextSiblingElement(QStringLiteral("hour"))) {
        HourPoint h;
        h.time = localTime(e);
        if (!h.time.isValid())
            continue;
        h.temperature = whole(number(e, "tmp"));
        h.feelsLike = whole(number(e, "flik"));
        h.chance = whole(number(e, "ppcp"));
        h.precipitation = number(e, "prec");
        h.gust = whole(number(e.firstChildElement(QStringLiteral("wind")), "gust"));
        f.hours << h;
    }
    const QDomElement rain = root.firstChildElement(QStringLiteral("rain"));
    for (QDomElement e = rain.firstChildElement(QStringLiteral("q")); !e.isNull() && f.rain.size() < 8;
         e = e.nextSiblingElement(QStringLiteral("q")))
        if (const QDateTime start = localTime(e); start.isValid())
            f.rain << RainSlot{start, std::max(0.0, number(e, "prec").value_or(0))};
    if (f.hours.isEmpty())
        return f;
    // Nights from the days' sun times: day n of the forecast is the n-th date from the first hour's.
    QList<std::pair<QDateTime, QDateTime>> suns;  // sunrise, sunset of each day
    const QDomElement dayf = root.firstChildElement(QStringLiteral("dayf"));
    const QDate first = f.hours.first().time.date();
    for (QDomElement e = dayf.firstChildElement(QStringLiteral("day")); !e.isNull(); e = e.nextSiblingElement(QStringLiteral("day"))) {
        const QDate date = first.addDays(suns.size());
        try {
            suns.append({QDateTime(date, readTimeOfDay(e.firstChildElement(QStringLiteral("sunr")).text().toUtf8())),
                         QDateTime(date, readTimeOfDay(e.firstChildElement(QStringLiteral("suns")).text().toUtf8()))});
        } catch (const Error &) {
            suns.append({QDateTime(date, QTime(7, 0)), QDateTime(date, QTime(19, 0))});  // a usual day
        }
    }
    const QDateTime from = f.hours.first().time, to = f.hours.last().time.addSecs(3600);
    QDateTime dusk = QDateTime(first.addDays(-1), QTime(19, 0));
    for (const auto &[sunrise, sunset] : suns) {
        if (sunrise > from && dusk < to)
            f.nights.append({std::max(dusk, from), std::min(sunrise, to)});
        dusk = sunset;
    }
    if (dusk < to)
        f.nights.append({std::max(dusk, from), to});
    return f;
}

Scale niceScale(double lo, double hi, int steps)
{
    if (!(lo <= hi))
        std::swap(lo, hi);
    const double margin = std::max((hi - lo) * 0.08, 0.5);
    lo -= margin;
    hi += margin;
    const double raw = (hi - lo) / std::max(steps, 1);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power * 10;
    for (const double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (m * power >= raw) {
            step = m * power;
            break;
        }
    return {std::floor(lo / step) * step, std::ceil(hi / step) * step, step};
}

RainIntensity intensityOf(double mmInQuarter)
{
    const double rate = mmInQuarter * 4;
    return rate < 0.1 ? RainIntensity::None : rate < 2.5 ? RainIntensity::Light : rate < 7.6 ? RainIntensity::Moderate
                                                                                             : RainIntensity::Heavy;
}

QByteArray hourText(const QDateTime &t)
{
    return QByteArray::number(t.time().hour()) + " h " + QByteArray::number(t.time().minute()).rightJustified(2, '0');
}

QByteArray rainSentence(const QList<RainSlot> &rain)
{
    if (rain.isEmpty())
        return {};
    const auto wet = [](const RainSlot &s) { return intensityOf(s.mm) != RainIntensity::None; };
    const auto strongest = [&](qsizetype from, qsizetype to) {
        RainIntensity i = RainIntensity::None;
        for (qsizetype k = from; k < to; ++k)
            i = std::max(i, intensityOf(rain[k].mm));
        return intensityName(i);
    };
    const QDateTime end = rain.last().start.addSecs(900);
    const qsizetype start = std::find_if(rain.begin(), rain.end(), wet) - rain.begin();
    if (start == rain.size())
        return "Pas de pluie prévue d'ici " + hourText(end);
    const qsizetype stop = std::find_if_not(rain.begin() + start, rain.end(), wet) - rain.begin();
    if (start > 0)
        return QByteArray("Pluie ") + strongest(start, stop) + " à partir de " + hourText(rain[start].start);
    if (stop == rain.size())
        return QByteArray("Pluie ") + strongest(0, stop) + " en cours, sans fin prévue d'ici " + hourText(end);
    return QByteArray("Pluie ") + strongest(0, stop) + " en cours, fin vers " + hourText(rain[stop].start);
}

QByteArray hourTooltip(const HourPoint &h)
{
    const auto or_ = [](const std::optional<int> &v, const char *unit) {
        return v ? QByteArray::number(*v) + unit : QByteArray("—");
    };
    QByteArray text = french.dayName(h.time.date().dayOfWeek()).toUtf8() + ' ' + QByteArray::number(h.time.time().hour())
                      + " h : " + or_(h.temperature, " °C") + " (ressenti " + or_(h.feelsLike, " °C") + "), pluie ";
    text += h.precipitation ? decimal(*h.precipitation, 1) + " mm" : QByteArray("—");
    text += " (" + or_(h.chance, " %") + "), rafales " + or_(h.gust, " km/h");
    return text;
}

QByteArray hourlyDescription(const HourlyForecast &f)
{
    std::optional<int> lo, hi, gust;
    for (const HourPoint &h : f.hours) {
        if (h.temperature) {
            lo = std::min(lo.value_or(*h.temperature), *h.temperature);
            hi = std::max(hi.value_or(*h.temperature), *h.temperature);
        }
        if (h.gust)
            gust = std::max(gust.value_or(*h.gust), *h.gust);
    }
    QByteArray text = lo ? "Températures de " + QByteArray::number(*lo) + " à " + QByteArray::number(*hi) + " °C"
                         : QByteArray("Températures inconnues");
    QList<QByteArray> periods;
    for (qsizetype i = 0; i < f.hours.size(); ++i) {
        if (f.hours[i].precipitation.value_or(0) < 0.1 || (i > 0 && f.hours[i - 1].precipitation.value_or(0) >= 0.1))
            continue;
        qsizetype j = i;
        while (j + 1 < f.hours.size() && f.hours[j + 1].precipitation.value_or(0) >= 0.1)
            ++j;
        periods << french.dayName(f.hours[i].time.date().dayOfWeek()).toUtf8() + " de " + hourText(f.hours[i].time)
                       + " à " + hourText(f.hours[j].time.addSecs(3600));
    }
    text += periods.isEmpty() ? QByteArray(" ; pas de pluie") : " ; pluie " + periods.join(", ");
    if (gust)
        text += " ; rafales jusqu'à " + QByteArray::number(*gust) + " km/h";
    return text;
}

} // namespace meteo
