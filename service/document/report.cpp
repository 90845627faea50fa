// SPDX-License-Identifier: GPL-2.0-or-later
#include "report.h"

#include "conditions.h"
#include "common/englishdates.h"
#include "common/instanttext.h"

#include <QTimeZone>
#include <QXmlStreamWriter>
#include <cmath>

namespace service {
namespace {

QString text(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

// "6.4", "-3", "0": a tenth of a degree, without a "-0" or a needless ".0".
QString tenths(double value)
{
    const double v = std::round(value * 10) / 10;
    return v == std::round(v) ? QString::number(qint64(std::lround(v))) : QString::number(v, 'f', 1);
}

void element(QXmlStreamWriter &w, const char *name, const QString &value)
{
    w.writeTextElement(QString::fromLatin1(name), value);
}

void element(QXmlStreamWriter &w, const char *name, const QByteArray &value)
{
    element(w, name, text(value));
}

void element(QXmlStreamWriter &w, const char *name, int value)
{
    element(w, name, QString::number(value));
}


} // namespace

QByteArray twelveHourText(QTime t)
{
    const int h12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    return QByteArray::number(h12) + ':' + QByteArray::number(t.minute()).rightJustified(2, '0')
           + (t.hour() < 12 ? " AM" : " PM");
}

// "07/12/2026 03:54 heure locale": the window shows it as it stands, and French readers read
// day/month.
QByteArray updateText(const QDateTime &local)
{
    return local.toString(QStringLiteral("dd/MM/yyyy HH:mm")).toLatin1() + " heure locale";
}

// The hour that the clocks repeat in October: which of its two a time is ("ete", the first, or
// "hiver"), so that a document beginning with the second still says it; null for any other time.
static const char *repeatedSide(const QDateTime &instant, const QDateTime &observed)
{
    if (observed.timeSpec() != Qt::TimeZone)
        return nullptr;
    const QDateTime t = instant.toTimeZone(observed.timeZone());
    for (const int apart : {-3600, 3600}) {
        const QDateTime other = t.addSecs(apart);
        if (other.offsetFromUtc() != t.offsetFromUtc() && other.date() == t.date() && other.time().hour() == t.time().hour())
            return apart < 0 ? "hiver" : "ete";
    }
    return nullptr;
}

QByteArray toXml(const WeatherReport &r, int days)
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("weather"));
    w.writeAttribute(QStringLiteral("ver"), QStringLiteral("2.0"));

    w.writeStartElement(QStringLiteral("head"));
    element(w, "locale", QStringLiteral("fr_FR"));
    element(w, "form", QStringLiteral("MEDIUM"));
    element(w, "ut", QStringLiteral("C"));
    element(w, "ud", QStringLiteral("km"));
    element(w, "us", QStringLiteral("km/h"));
    element(w, "up", QStringLiteral("mb"));
    element(w, "ur", QStringLiteral("mm"));
    w.writeEndElement();

    const QByteArray lsup = updateText(r.observed);
    w.writeStartElement(QStringLiteral("loc"));
    w.writeAttribute(QStringLiteral("id"), text(r.code));
    element(w, "dnam", r.place);
    element(w, "tm", twelveHourText(r.observed.time()));
    element(w, "lat", number(r.latitude, 2));
    element(w, "lon", number(r.longitude, 2));
    if (!r.days.isEmpty()) {
        element(w, "sunr", twelveHourText(r.days.first().sunrise));
        element(w, "suns", twelveHourText(r.days.first().sunset));
    }
    // Hours east of UTC; half-hour zones (the Marquesas) keep their half.
    element(w, "zone", QString::number(r.observed.offsetFromUtc() / 3600.0));
    w.writeEndElement();

    const Condition &now = conditionFor(r.wmo);
    w.writeStartElement(QStringLiteral("cc"));
    element(w, "lsup", lsup);
    element(w, "obst", r.station);
    element(w, "tmp", r.temperature);
    element(w, "flik", r.feelsLike);
    element(w, "t", r.daylight ? now.dayPhrase : now.nightPhrase);
    element(w, "icon", r.daylight ? now.dayIcon : now.nightIcon);
    w.writeStartElement(QStringLiteral("bar"));
    element(w, "r", number(r.pressure, 1));
    element(w, "d", r.tendency);
    w.writeEndElement();
    w.writeStartElement(QStringLiteral("wind"));
    element(w, "s", r.windSpeed < 1 ? QStringLiteral("calm") : QString::number(std::lround(r.windSpeed)));
    element(w, "gust", r.windGust > r.windSpeed ? QString::number(std::lround(r.windGust)) : QStringLiteral("N/A"));
    element(w, "d", r.windDirection);
    element(w, "t", compassText(r.windDirection, r.windSpeed));
    w.writeEndElement();
    element(w, "hmid", r.humidity);
    element(w, "vis", number(r.visibility, 1));
    w.writeStartElement(QStringLiteral("uv"));
    element(w, "i", r.uvIndex);
    element(w, "t", uvText(r.uvIndex));
    w.writeEndElement();
    element(w, "dewp", r.dewPoint);
    w.writeEndElement();

    w.writeStartElement(QStringLiteral("dayf"));
    element(w, "lsup", lsup);
    for (int i = 0; i < qMin(days, int(r.days.size())); ++i) {
        const DayForecast &d = r.days[i];
        w.writeStartElement(QStringLiteral("day"));
        w.writeAttribute(QStringLiteral("d"), QString::number(i));
        w.writeAttribute(QStringLiteral("t"), text(meteo::english::dayName(d.date)));
        w.writeAttribute(QStringLiteral("dt"), text(meteo::english::monthDay(d.date)));
        element(w, "hi", d.high);
        element(w, "low", d.low);
        element(w, "sunr", twelveHourText(d.sunrise));
        element(w, "suns", twelveHourText(d.sunset));
        for (const bool day : {true, false}) {
            const Condition &c = conditionFor(day ? d.dayWmo : d.nightWmo);
            w.writeStartElement(QStringLiteral("part"));
            w.writeAttribute(QStringLiteral("p"), day ? QStringLiteral("d") : QStringLiteral("n"));
            element(w, "icon", day ? c.dayIcon : c.nightIcon);
            element(w, "t", day ? c.dayPhrase : c.nightPhrase);
            element(w, "ppcp", d.rainChance);
            if (d.windSpeed) {
                w.writeStartElement(QStringLiteral("wind"));
                element(w, "s", QString::number(std::lround(*d.windSpeed)));
                element(w, "d", d.windDirection);
                element(w, "t", compassText(d.windDirection, *d.windSpeed));
                w.writeEndElement();
            }
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeEndElement();

    // After the days: the hours ahead and the rain of the next two hours, for the charts. Each time
    // carries its offset, so that the repeated hour of an October night is still two hours. A source
    // that could not give one of them leaves it out.
    if (!r.hours.isEmpty()) {
        w.writeStartElement(QStringLiteral("hours"));
        for (const HourForecast &h : r.hours) {
            const Condition &c = conditionFor(h.wmo);
            w.writeStartElement(QStringLiteral("hour"));
            w.writeAttribute(QStringLiteral("t"), meteo::instantText(h.time));
            if (const char *side = repeatedSide(h.time, r.observed))
                w.writeAttribute(QStringLiteral("heure"), QString::fromLatin1(side));
            element(w, "tmp", tenths(h.temperature));
            element(w, "flik", tenths(h.feelsLike));
            element(w, "icon", h.daylight ? c.dayIcon : c.nightIcon);
            element(w, "t", h.daylight ? c.dayPhrase : c.nightPhrase);
            element(w, "ppcp", h.rainChance);
            element(w, "prec", number(h.precipitation, 1));
            w.writeStartElement(QStringLiteral("wind"));
            element(w, "s", QString::number(std::lround(h.windSpeed)));
            element(w, "gust", QString::number(std::lround(h.windGust)));
            element(w, "d", h.windDirection);
            w.writeEndElement();
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    if (!r.rain.isEmpty()) {
        w.writeStartElement(QStringLiteral("rain"));
        for (const RainQuarter &q : r.rain) {
            w.writeStartElement(QStringLiteral("q"));
            w.writeAttribute(QStringLiteral("t"), meteo::instantText(q.start));
            if (const char *side = repeatedSide(q.start, r.observed))
                w.writeAttribute(QStringLiteral("heure"), QString::fromLatin1(side));
            element(w, "prec", number(q.precipitation, 2));
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    // The department's warnings in force now or within the day: none is an empty section.
    if (r.vigilance) {
        w.writeStartElement(QStringLiteral("vigilance"));
        element(w, "dep", r.vigilance->department);
        element(w, "maj", meteo::instantText(r.vigilance->updated.toTimeZone(r.observed.timeZone())));
        for (const Warning &x : r.vigilance->warnings) {
            w.writeStartElement(QStringLiteral("phen"));
            element(w, "id", int(x.phenomenon));
            element(w, "nom", meteo::phenomenonName(x.phenomenon));
            element(w, "coul", int(x.colour));
            element(w, "teinte", meteo::colourWord(x.colour));
            element(w, "debut", meteo::instantText(x.begin.toTimeZone(r.observed.timeZone())));
            element(w, "fin", meteo::instantText(x.end.toTimeZone(r.observed.timeZone())));
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    // The air: the days' classes and pollen levels, then the 48 hours' concentrations to the tenth.
    if (r.air) {
        const QTimeZone zone = r.observed.timeZone();
        w.writeStartElement(QStringLiteral("air"));
        w.writeAttribute(QStringLiteral("maj"), meteo::instantText(r.air->updated.toTimeZone(zone)));
        w.writeAttribute(QStringLiteral("src"), text(r.air->source));
        for (const AirDay &d : r.air->days) {
            w.writeStartElement(QStringLiteral("jour"));
            w.writeAttribute(QStringLiteral("d"), d.date.toString(Qt::ISODate));
            w.writeAttribute(QStringLiteral("atmo"), QString::number(d.atmo.atmo));
            for (int t = 0; d.pollen && t < meteo::kTaxa; ++t)
                w.writeAttribute(text(meteo::taxonAttribute(meteo::Taxon(t))), QString::number((*d.pollen)[t]));
            w.writeEndElement();
        }
        for (const AirHour &h : r.air->hours) {
            w.writeStartElement(QStringLiteral("h"));
            w.writeAttribute(QStringLiteral("t"), meteo::instantText(h.time.toTimeZone(zone)));
            for (int p = 0; p < meteo::kPollutants; ++p)
                w.writeAttribute(text(meteo::pollutantAttribute(meteo::Pollutant(p))), number(h.pollutants[p], 1));
            for (int t = 0; h.pollen && t < meteo::kTaxa; ++t)
                w.writeAttribute(text(meteo::taxonAttribute(meteo::Taxon(t))), QString::number(std::lround((*h.pollen)[t])));
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

QByteArray errorXml(int status, const QByteArray &message)
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("error"));
    element(w, "code", status);
    element(w, "message", message);
    w.writeEndElement();
    w.writeEndDocument();
    return out + '\n';
}

} // namespace service
