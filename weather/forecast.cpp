// SPDX-License-Identifier: GPL-2.0-or-later
#include "forecast.h"

#include "common/englishdates.h"
#include "common/error.h"
#include "common/frenchtext.h"
#include "hourly.h"
#include "timetext.h"

#include <QDomElement>
#include <algorithm>
#include <cctype>
#include <cmath>

namespace meteo {
namespace {

constexpr int kMaxDays = 9;

// The text of a child element, or empty when it is absent, empty or "N/A".
QByteArray childText(const QDomElement &parent, const char *name)
{
    const QByteArray text = parent.firstChildElement(QString::fromLatin1(name)).text().trimmed().toUtf8();
    return text == "N/A" ? QByteArray() : text;
}

QByteArray orMissing(const QByteArray &text)
{
    return text.isEmpty() ? QByteArray(kMissing) : text;
}

QByteArray timeOrMissing(const QByteArray &text)
{
    try {
        return text.isEmpty() ? QByteArray(kMissing) : convertTimeText(text);
    } catch (const Error &) {
        return kMissing;
    }
}

QDomElement part(const QDomElement &day, const char *p)
{
    for (QDomElement e = day.firstChildElement(QStringLiteral("part")); !e.isNull(); e = e.nextSiblingElement(QStringLiteral("part")))
        if (e.attribute(QStringLiteral("p")) == QLatin1String(p))
            return e;
    return {};
}

} // namespace

QByteArray frenchDayText(const QByteArray &weekday, const QByteArray &monthDay)
{
    const std::optional<int> day = english::weekdayOf(weekday);
    const auto date = english::monthDayOf(monthDay);
    return (day ? french::utf8(french::weekdayName(*day)) : QByteArray(kMissing)) + ' '
           + (date ? QByteArray::number(date->second) + ' ' + french::utf8(french::monthAbbreviation(date->first))
                   : QByteArray(kMissing));
}

namespace {

// "Dec 7" in the year that puts it nearest to `today` (a forecast of early January read in December).
QDate dateOf(const QByteArray &monthDay, QDate today)
{
    const auto md = english::monthDayOf(monthDay);
    QDate best;
    for (const int year : {today.year() - 1, today.year(), today.year() + 1})
        if (const QDate d = md ? QDate(year, md->first, md->second) : QDate();
            d.isValid() && (!best.isValid() || std::abs(today.daysTo(d)) < std::abs(today.daysTo(best))))
            best = d;
    return best;
}

} // namespace

QByteArray relativeDayText(const ForecastDay &day, QDate today)
{
    return day.date.isValid() && today.daysTo(day.date) <= 1 && today.daysTo(day.date) >= 0
               ? french::utf8(french::relativeDay(day.date, today))
               : day.day;
}

Forecast readForecast(const WeatherDocument &doc, const Translator &traduire, QDate today)
{
    const QDomElement root = doc.root();
    Forecast f;
    f.place = orMissing(childText(root.firstChildElement(QStringLiteral("loc")), "dnam"));
    const QByteArray unit = childText(root.firstChildElement(QStringLiteral("head")), "ut");
    auto degrees = [&unit](const QByteArray &value) { return value.isEmpty() ? QByteArray(kMissing) : value + "°" + unit; };
    const QDomElement dayf = root.firstChildElement(QStringLiteral("dayf"));
    for (QDomElement e = dayf.firstChildElement(QStringLiteral("day")); !e.isNull() && f.days.size() < kMaxDays;
         e = e.nextSiblingElement(QStringLiteral("day"))) {
        ForecastDay d;
        d.day = frenchDayText(e.attribute(QStringLiteral("t")).toUtf8(), e.attribute(QStringLiteral("dt")).toUtf8());
        const QDomElement dayPart = part(e, "d"), nightPart = part(e, "n");
        d.dayIcon = childText(dayPart, "icon");
        d.nightIcon = childText(nightPart, "icon");
        const QByteArray sky = childText(dayPart, "t"), nightSky = childText(nightPart, "t");
        d.sky = sky.isEmpty() ? QByteArray(kMissing) : traduire(sky);
        d.nightSky = nightSky.isEmpty() ? QByteArray(kMissing) : traduire(nightSky);
        // Temperatures on Earth only: anything else is shown as missing, never as a value.
        d.high = readMeasure(childText(e, "hi"), -90, 60);
        d.low = readMeasure(childText(e, "low"), -90, 60);
        d.temperatures = degrees(d.high ? childText(e, "hi") : QByteArray()) + " / " + degrees(d.low ? childText(e, "low") : QByteArray());
        d.sun = timeOrMissing(childText(e, "sunr")) + " – " + timeOrMissing(childText(e, "suns"));
        d.date = dateOf(e.attribute(QStringLiteral("dt")).toUtf8(), today);
        std::optional<double> chance;
        for (const QDomElement &p : {dayPart, nightPart})
            if (const std::optional<double> c = readMeasure(childText(p, "ppcp"), 0, 100))
                chance = std::max(chance.value_or(0), *c);
        d.chance = chance ? QByteArray::number(std::lround(*chance)) + " %" : QByteArray(kMissing);
        d.chanceOfRain = chance;
        const QDomElement wind = dayPart.firstChildElement(QStringLiteral("wind"));
        const std::optional<double> speed = readMeasure(childText(wind, "s"), 0, 500);
        const QByteArray towards = childText(wind, "t");
        // The compass letters are shown as the service writes them, when they are letters.
        const bool letters = !towards.isEmpty() && towards.size() <= 12
                             && std::all_of(towards.begin(), towards.end(), [](char c) { return std::isalpha(uchar(c)); });
        d.wind = speed ? QByteArray::number(std::lround(*speed)) + " km/h" + (letters ? " " + towards : QByteArray()) : QByteArray(kMissing);
        f.days << d;
    }
    return f;
}

QByteArray receivedText(const QDateTime &received)
{
    return "Reçues le " + french::utf8(french::receivedAt(received));
}

bool isStale(const QDateTime &received, const QDateTime &now)
{
    return received.secsTo(now) > 3 * 3600;
}

} // namespace meteo
