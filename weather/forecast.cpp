#include "forecast.h"

#include <QLocale>

#include "common/error.h"
#include "hourly.h"
#include "timetext.h"

#include <QDomElement>

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
    static const char *const englishDays[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
    static const char *const frenchDays[] = {"lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi", "dimanche"};
    static const char *const englishMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char *const frenchMonths[] = {"janv.", "févr.", "mars", "avr.", "mai", "juin",
                                               "juil.", "août", "sept.", "oct.", "nov.", "déc."};
    QByteArray day = kMissing;
    for (int i = 0; i < 7; ++i)
        if (weekday.trimmed().compare(englishDays[i], Qt::CaseInsensitive) == 0)
            day = frenchDays[i];
    QByteArray date = kMissing;
    const QList<QByteArray> words = monthDay.simplified().split(' ');
    bool number = false;
    const int dayOfMonth = words.size() == 2 ? words[1].toInt(&number) : 0;
    if (number && dayOfMonth >= 1 && dayOfMonth <= 31)
        for (int i = 0; i < 12; ++i)
            if (words[0].compare(englishMonths[i], Qt::CaseInsensitive) == 0)
                date = QByteArray::number(dayOfMonth) + ' ' + frenchMonths[i];
    return day + ' ' + date;
}

Forecast readForecast(const WeatherDocument &doc, const Translator &traduire)
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
        f.days << d;
    }
    return f;
}

QByteArray receivedText(const QDateTime &received)
{
    return "Reçues le " + QLocale(QLocale::French).toString(received, QStringLiteral("dddd d MMM 'à' HH:mm")).toUtf8();
}

bool isStale(const QDateTime &received, const QDateTime &now)
{
    return received.secsTo(now) > 3 * 3600;
}

} // namespace meteo
