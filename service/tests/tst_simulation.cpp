// SPDX-License-Identifier: GPL-2.0-or-later
// The simulation as a newcomer meets it: each commune's climate against Météo-France's normals, a
// year of weather that moves from the Atlantic and stays physically coherent hour after hour.
#include "testsupport.h"
#include "service/simulation/simulatedweather.h"
#include "service/simulation/simulation.h"
#include "service/simulation/sun.h"

#include <QSet>
#include <QTest>
#include <QTimeZone>
#include <cmath>

namespace {

bool snow(int wmo) { return (wmo >= 71 && wmo <= 77) || wmo == 85 || wmo == 86; }
bool freezing(int wmo) { return wmo == 56 || wmo == 57 || wmo == 66 || wmo == 67; }
bool thunder(int wmo) { return wmo >= 95; }

// The hours of a year at a commune, 24 from each local midnight of 2026: the document's own hours.
QList<service::HourForecast> yearOfHours(const char *code, int stepDays = 1)
{
    const service::City *city = service::findCity(code);
    const QTimeZone zone(city->timeZone());
    QList<service::HourForecast> hours;
    for (QDate d(2026, 1, 1); d.year() == 2026; d = d.addDays(stepDays)) {
        const service::WeatherReport r = service::simulate(*city, QDateTime(d, QTime(0, 0), zone).toUTC());
        hours += r.hours.mid(0, 24 * stepDays);
    }
    return hours;
}

} // namespace

class SimulationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:

    // Monthly means of the simulated daily highs and lows against the normals 1991–2020 of the
    // commune's Météo-France station (mean daily maximum / minimum, °C), within 3 °C.
    void climateFollowsTheNormals_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<QList<double>>("normals");  // January, April, July, October: high, low
        QTest::newRow("Paris-Montsouris") << QByteArray("FR75056") << QList<double>{7.6, 3.3, 16.9, 7.8, 26.0, 16.2, 16.8, 10.0};
        QTest::newRow("Brest-Guipavas") << QByteArray("FR29019") << QList<double>{9.8, 4.1, 13.4, 6.0, 21.4, 12.7, 15.6, 9.4};
        QTest::newRow("Strasbourg-Entzheim") << QByteArray("FR67482") << QList<double>{4.7, -1.5, 16.4, 4.6, 26.4, 14.6, 15.2, 6.5};
        QTest::newRow("Saint-Denis-Gillot") << QByteArray("FR97411") << QList<double>{30.8, 23.4, 29.6, 22.0, 26.3, 18.5, 28.3, 20.0};
        QTest::newRow("Marignane") << QByteArray("FR13055") << QList<double>{12.0, 3.0, 18.8, 8.4, 30.5, 19.0, 21.9, 12.0};
        QTest::newRow("Lyon-Bron") << QByteArray("FR69123") << QList<double>{6.9, 0.5, 17.3, 6.6, 28.3, 16.6, 17.8, 8.8};
        QTest::newRow("Bordeaux-Mérignac") << QByteArray("FR33063") << QList<double>{10.5, 3.0, 17.8, 6.9, 27.4, 15.6, 19.8, 10.2};
        QTest::newRow("Lille-Lesquin") << QByteArray("FR59350") << QList<double>{6.8, 1.6, 15.3, 5.2, 24.3, 13.8, 15.6, 7.8};
        QTest::newRow("Nice") << QByteArray("FR06088") << QList<double>{13.4, 5.8, 17.5, 10.0, 27.7, 20.4, 21.2, 13.6};
        QTest::newRow("Toulouse-Blagnac") << QByteArray("FR31555") << QList<double>{10.3, 2.9, 18.0, 7.6, 29.3, 17.1, 20.5, 11.0};
        QTest::newRow("Ajaccio-Campo dell'Oro") << QByteArray("FR2A004") << QList<double>{13.9, 4.0, 18.4, 7.6, 28.6, 16.8, 23.2, 11.5};
        QTest::newRow("Chamonix") << QByteArray("FR74056") << QList<double>{2.6, -7.7, 12.3, 0.4, 24.0, 10.0, 13.8, 3.1};
        QTest::newRow("Nouméa") << QByteArray("FR98818") << QList<double>{29.9, 23.1, 28.1, 21.5, 23.6, 17.2, 26.3, 18.9};
    }

    void climateFollowsTheNormals()
    {
        QFETCH(QByteArray, code);
        QFETCH(QList<double>, normals);
        const service::City *city = service::findCity(code);
        QVERIFY(city);
        const QTimeZone zone(city->timeZone());
        QStringList off;
        for (int k = 0; k < 4; ++k) {
            const int month = 1 + 3 * k;
            double highs = 0, lows = 0;
            int days = 0;
            for (QDate d(2026, month, 1); d.month() == month; d = d.addDays(2), ++days) {
                const service::WeatherReport r = service::simulate(*city, QDateTime(d, QTime(12, 0), zone).toUTC());
                highs += r.days[0].high;
                lows += r.days[0].low;
            }
            highs /= days;
            lows /= days;
            if (std::abs(highs - normals[2 * k]) > 3 || std::abs(lows - normals[2 * k + 1]) > 3)
                off << QStringLiteral("month %1: %2 / %3 for %4 / %5").arg(month).arg(highs, 0, 'f', 1).arg(lows, 0, 'f', 1)
                           .arg(normals[2 * k]).arg(normals[2 * k + 1]);
        }
        QVERIFY2(off.isEmpty(), qPrintable(off.join(QStringLiteral("; "))));
    }

    // A year's rain within a factor of two of the station's normal 1991–2020 (mm): the east and the
    // Mediterranean rim as well as the Atlantic coast. Fronts that died a few hundred kilometres
    // inland once left Strasbourg 100 mm a year.
    void yearlyRainIsNearTheNormals_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<double>("normal");
        QTest::newRow("Brest-Guipavas") << QByteArray("FR29019") << 1210.0;
        QTest::newRow("Bordeaux-Mérignac") << QByteArray("FR33063") << 944.0;
        QTest::newRow("Lille-Lesquin") << QByteArray("FR59350") << 742.0;
        QTest::newRow("Paris-Montsouris") << QByteArray("FR75056") << 637.0;
        QTest::newRow("Toulouse-Blagnac") << QByteArray("FR31555") << 638.0;
        QTest::newRow("Strasbourg-Entzheim") << QByteArray("FR67482") << 665.0;
        QTest::newRow("Lyon-Bron") << QByteArray("FR69123") << 832.0;
        QTest::newRow("Marignane") << QByteArray("FR13055") << 515.0;
        QTest::newRow("Nice") << QByteArray("FR06088") << 733.0;
    }

    void yearlyRainIsNearTheNormals()
    {
        QFETCH(QByteArray, code);
        QFETCH(double, normal);
        double total = 0;
        for (const service::HourForecast &h : yearOfHours(code.constData(), 2))
            total += h.precipitation;
        QVERIFY2(total > normal / 2 && total < normal * 2, qPrintable(QStringLiteral("%1 mm").arg(total, 0, 'f', 0)));
    }

    // A year of hours: temperatures never jump more than 3 °C from one hour to the next; snow only
    // when it is about 1 °C or colder, freezing rain only at 0 °C or below, thunder only when warm;
    // a wet hour is one with precipitation.
    void aYearOfHoursIsPhysicallyCoherent_data()
    {
        QTest::addColumn<QByteArray>("code");
        for (const char *code : {"FR29019", "FR13055", "FR67482", "FR38185", "FR74056", "FR97411", "FR97424", "FR97502"})
            QTest::newRow(code) << QByteArray(code);
    }

    void aYearOfHoursIsPhysicallyCoherent()
    {
        QFETCH(QByteArray, code);
        const QList<service::HourForecast> hours = yearOfHours(code.constData());
        QCOMPARE(hours.size(), 365 * 24);
        for (qsizetype i = 0; i < hours.size(); ++i) {
            const service::HourForecast &h = hours[i];
            const QByteArray where = h.time.toString(Qt::ISODate).toLatin1() + " " + QByteArray::number(h.temperature) + " °C, code "
                                     + QByteArray::number(h.wmo);
            if (i > 0 && hours[i - 1].time.secsTo(h.time) == 3600)
                QVERIFY2(std::abs(h.temperature - hours[i - 1].temperature) <= 3, where.constData());
            QVERIFY2(!snow(h.wmo) || h.temperature <= 2, where.constData());  // 1 °C, rounded
            QVERIFY2(!freezing(h.wmo) || h.temperature <= 0, where.constData());
            QVERIFY2(!thunder(h.wmo) || h.temperature >= 17, where.constData());
        }
    }

    // Rain comes with the Atlantic's systems: Brest is far wetter than Marseille, and a rainy spell
    // reaches Brest hours before Strasbourg (the lag that best matches their rain, 6 to 48 hours).
    void rainComesFromTheAtlantic()
    {
        const auto rain = [](const QList<service::HourForecast> &hours) {
            QList<double> mm;
            for (const service::HourForecast &h : hours)
                mm << h.precipitation;
            return mm;
        };
        const QList<double> brest = rain(yearOfHours("FR29019")), marseille = rain(yearOfHours("FR13055")),
                            strasbourg = rain(yearOfHours("FR67482"));
        const auto total = [](const QList<double> &mm) { return std::accumulate(mm.begin(), mm.end(), 0.0); };
        const auto wetHours = [](const QList<double> &mm) { return std::count_if(mm.begin(), mm.end(), [](double v) { return v > 0; }); };
        QVERIFY2(total(brest) > 1.5 * total(marseille) && wetHours(brest) > 2 * wetHours(marseille),
                 qPrintable(QStringLiteral("Brest %1 mm in %2 h, Marseille %3 mm in %4 h").arg(total(brest)).arg(wetHours(brest))
                                .arg(total(marseille)).arg(wetHours(marseille))));
        QVERIFY2(total(brest) > 600 && total(brest) < 2000, qPrintable(QString::number(total(brest))));
        int bestLag = 0;
        double best = -1;
        for (int lag = -48; lag <= 48; ++lag) {
            double sum = 0;
            for (qsizetype i = 48; i + 48 < brest.size(); ++i)
                sum += std::min(brest[i], 5.0) * std::min(strasbourg[i + lag], 5.0);
            if (sum > best) {
                best = sum;
                bestLag = lag;
            }
        }
        QVERIFY2(bestLag >= 6 && bestLag <= 48, qPrintable(QString::number(bestLag)));
    }

    // The nine days start at the place's own today: Nuku-Hiva's Monday while Paris has Tuesday, Le
    // Tampon's Monday while Paris still has Sunday.
    void nineDaysStartAtThePlacesToday()
    {
        const QDateTime nukuHiva(QDate(2026, 12, 8), QTime(9, 27), QTimeZone::utc()), tampon(QDate(2026, 12, 6), QTime(21, 30), QTimeZone::utc());
        QCOMPARE(service::simulate(*service::findCity("FR98731"), nukuHiva).days.first().date, QDate(2026, 12, 7));
        QCOMPARE(service::simulate(*service::findCity("FR97422"), tampon).days.first().date, QDate(2026, 12, 7));
        QCOMPARE(service::simulate(*service::findCity("FR75056"), tampon).days.first().date, QDate(2026, 12, 6));
    }

    // The truth overseas and at home: the midday UV of a clear day is about 12 under the tropical
    // December sun of Le Tampon, 7 to 9 at Paris in June, at most 2 there in December, none at night.
    void tropicalSunAndEvenings()
    {
        QStringList night;
        const auto clearNoonUv = [&night](const char *code, int month) {
            const service::City *city = service::findCity(code);
            int best = -1;
            for (QDate d(2026, month, 1); d.month() == month; d = d.addDays(1)) {
                const service::SunTimes sun = service::sunTimes(city->latitude, city->longitude, d);
                const QDateTime noon = sun.sunrise.addSecs(sun.sunrise.secsTo(sun.sunset) / 2);
                const service::WeatherReport r = service::simulate(*city, noon);
                if (r.wmo <= 1)
                    best = std::max(best, r.uvIndex);
                if (service::simulate(*city, noon.addSecs(12 * 3600)).uvIndex != 0)
                    night << QString::fromLatin1(code);
            }
            return best;
        };
        const int tampon = clearNoonUv("FR97422", 12), parisJune = clearNoonUv("FR75056", 6), parisDecember = clearNoonUv("FR75056", 12);
        QVERIFY2(tampon >= 11 && tampon <= 15, qPrintable(QString::number(tampon)));
        QVERIFY2(parisJune >= 7 && parisJune <= 9, qPrintable(QString::number(parisJune)));
        QVERIFY2(parisDecember >= 0 && parisDecember <= 2, qPrintable(QString::number(parisDecember)));
        QVERIFY2(night.isEmpty(), qPrintable(night.join(u' ')));
    }

    // The rare, strong days a French climate has: each summer a heat wave or two (Avignon 35 °C or
    // more, Paris above 33 °C on some days, with orange canicule in the south), each winter a few
    // Atlantic storms with gusts of 100 km/h and more on the Breton coast, warned orange; neither
    // ever beyond France's records, nor inland as strong as on the coast.
    void strongDaysComeNowAndThen()
    {
        struct Seen {
            double hottest = -100, strongest = 0;
            QSet<QByteArray> warnings;  // "phenomenon/colour"
        };
        const auto scan = [](int year, const char *code, int fromMonth, int toMonth) {
            const service::City *city = service::findCity(code);
            const QTimeZone zone(city->timeZone());
            Seen seen;
            // From `fromMonth` of `year`, past the new year when the season spans it.
            const QDate first(year, fromMonth, 1), last = QDate(toMonth < fromMonth ? year + 1 : year, toMonth, 1).addMonths(1);
            for (QDate d = first; d < last; d = d.addDays(1)) {
                const service::WeatherReport r = service::simulate(*city, QDateTime(d, QTime(7, 0), zone).toUTC());
                seen.hottest = std::max(seen.hottest, double(r.days[0].high));
                for (int h = 0; h < 24; ++h)
                    seen.strongest = std::max(seen.strongest, r.hours[h].windGust);
                for (const service::Warning &w : r.vigilance->warnings)
                    seen.warnings << QByteArray::number(int(w.phenomenon)) + '/' + QByteArray::number(int(w.colour));
            }
            return seen;
        };
        QSet<QByteArray> warnings;
        for (const int year : {2025, 2026, 2027}) {
            const Seen avignon = scan(year, "FR84007", 6, 8), paris = scan(year, "FR75056", 6, 8), brest = scan(year, "FR29019", 10, 3),
                       strasbourg = scan(year, "FR67482", 10, 3);
            const QString said = QStringLiteral("%1: Avignon %2 °C, Paris %3 °C, Brest %4 km/h, Strasbourg %5 km/h")
                                     .arg(year).arg(avignon.hottest).arg(paris.hottest).arg(brest.strongest).arg(strasbourg.strongest);
            QVERIFY2(avignon.hottest >= 35 && avignon.hottest <= 44, qPrintable(said));
            QVERIFY2(paris.hottest > 33 && paris.hottest <= 42, qPrintable(said));
            QVERIFY2(brest.strongest >= 100 && brest.strongest <= 180, qPrintable(said));
            QVERIFY2(strasbourg.strongest < brest.strongest, qPrintable(said));
            QVERIFY2(avignon.warnings.contains("6/2") || avignon.warnings.contains("6/3"), qPrintable(said));
            for (const QByteArray &w : avignon.warnings + brest.warnings)
                warnings << w;
        }
        QVERIFY2(warnings.contains("6/3"), "no orange canicule at Avignon in three summers");
        QVERIFY2(warnings.contains("1/3"), "no orange vent violent at Brest in three winters");
    }

    // The simulation's own vigilance over a year: warnings that follow its weather (snow and ice only
    // with snow or freezing rain in the hours, heat in summer, cold in winter), some of each colour
    // over the country, none overseas.
    void warningsFollowTheWeather()
    {
        QHash<QByteArray, int> seen;  // "phenomenon/colour"
        for (const char *code : {"FR29019", "FR13055", "FR67482", "FR38185", "FR74056", "FR30189", "FR84007", "FR97411"}) {
            const service::City *city = service::findCity(code);
            const QTimeZone zone(city->timeZone());
            for (QDate d(2026, 1, 1); d.year() == 2026; d = d.addDays(2)) {
                const service::WeatherReport r = service::simulate(*city, QDateTime(d, QTime(7, 0), zone).toUTC());
                QCOMPARE(bool(r.vigilance), city->department.size() == 2);
                if (!r.vigilance)
                    continue;
                for (const service::Warning &w : r.vigilance->warnings) {
                    seen[QByteArray::number(int(w.phenomenon)) + '/' + QByteArray::number(int(w.colour))]++;
                    QVERIFY(w.colour != meteo::WarningColour::Vert && w.begin < w.end);
                    if (w.phenomenon == meteo::Phenomenon::NeigeVerglas)
                        QVERIFY(std::any_of(r.hours.begin(), r.hours.end(), [](const auto &h) { return snow(h.wmo) || freezing(h.wmo); }));
                    if (w.phenomenon == meteo::Phenomenon::Canicule)
                        QVERIFY2(d.month() >= 5 && d.month() <= 9, code);
                    if (w.phenomenon == meteo::Phenomenon::GrandFroid)
                        QVERIFY2(d.month() <= 3 || d.month() >= 11, code);
                }
            }
        }
        const QStringList keys = [&] { QStringList k; for (auto it = seen.cbegin(); it != seen.cend(); ++it) k << QString::fromLatin1(it.key()) + u'=' + QString::number(it.value()); return k; }();
        for (const char *expected : {"1/2", "2/2", "3/2", "5/2"})
            QVERIFY2(seen.value(expected) > 0, qPrintable(QStringLiteral("no %1 in %2").arg(QString::fromLatin1(expected), keys.join(u' '))));
        QVERIFY2(std::any_of(keys.begin(), keys.end(), [](const QString &k) { return k.contains(QStringLiteral("/3=")); }),
                 qPrintable(keys.join(u' ')));  // orange now and then
        QVERIFY2(seen.value("2/2") < 365, qPrintable(keys.join(u' ')));  // a warning is rare, not the weather of every other day
    }

    // "Ressenti" follows the air without a jump, whatever the air: swept in small steps of
    // temperature (at each wind and humidity a French or tropical sky has) it moves at most as the
    // formulas' own slopes let it (the wind chill's 1.3 to 1.6, the heat index's 4 in a humid heat);
    // it is colder than the air in a wind and warmer in a humid heat, and the air itself in a calm,
    // mild day.
    void feelsLikeHasNoStep()
    {
        const auto dewPoint = [](double t, double rh) {
            const double g = std::log(rh / 100) + 17.62 * t / (243.12 + t);
            return 243.12 * g / (17.62 - g);
        };
        QStringList steps;
        for (const double wind : {0.0, 3.0, 4.8, 6.0, 15.0, 30.0, 60.0, 100.0})  // mean winds
            for (double rh = 20; rh <= 100; rh += 10)
                for (double t = -25; t < 42; t += 0.1) {
                    if (dewPoint(t + 0.1, rh) > 26)
                        continue;  // air more humid than any in France or the tropics
                    const double step = std::abs(service::feelsLike(t + 0.1, rh, wind) - service::feelsLike(t, rh, wind));
                    if (step > (t < 20 ? 0.16 : 0.4) && steps.size() < 5)
                        steps << QStringLiteral("%1 °C, %2 %, %3 km/h: %4").arg(t).arg(rh).arg(wind).arg(step);
                }
        QVERIFY2(steps.isEmpty(), qPrintable(steps.join(QStringLiteral("; "))));
        QVERIFY(service::feelsLike(0, 80, 30) < -5 && service::feelsLike(12, 80, 40) < 10);
        QVERIFY(service::feelsLike(33, 60, 5) > 36);
        QCOMPARE(service::feelsLike(18, 50, 2), 18.0);
    }
};

static const testing::RegisterTest<SimulationTest> registeredSimulationTest;

#include "tst_simulation.moc"
