// SPDX-License-Identifier: GPL-2.0-or-later
// The weather service: its documents pass the viewer's own reading, its answers and refusals over
// HTTP, the commune table and its search.
#include "common/instanttext.h"
#include "net/request.h"
#include "service/document/conditions.h"
#include "service/simulation/simulation.h"
#include "service/http/weatherrequest.h"
#include "service/http/weatherservice.h"
#include "communebuilder.h"
#include "testsupport.h"
#include "weather/extraction.h"
#include "weather/namevaluelist.h"
#include "weather/timetext.h"

#include <QDomDocument>
#include <QProcess>
#include <QTcpSocket>
#include <QTest>
#include <QTimeZone>

using namespace testing;

namespace {

const QByteArray query = meteo::kWeatherQuery;  // the viewer's own

QDateTime parisTime(QDate date, QTime time)
{
    return QDateTime(date, time, QTimeZone("Europe/Paris")).toUTC();
}

} // namespace

class ServiceTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private Q_SLOTS:

    // Every city of the shipped list is known to the service, and its document, like that of one
    // commune of each kind, is read whole by the viewer: times, icon, place.
    void shippedCitiesAreKnownAndReadable()
    {
        const QString path = dir.filePath(QStringLiteral("weather.xml"));
        meteo::NameValueList villes;
        villes.loadFromFile(QStringLiteral(METEO_DATA_DIR "/villes.ini"));
        QList<QByteArray> codes{"FR01001", "FR2B033", "FR75101", "FR97411"};  // village, Corsica, arrondissement, overseas
        for (int i = 0; i < villes.count(); ++i)
            codes << villes.valueAt(i);
        for (const QByteArray &code : codes) {
            const service::City *city = service::findCity(code);
            QVERIFY2(city, code.constData());
            writeFile(path, service::toXml(service::simulate(*city, parisTime(QDate(2026, 6, 21), QTime(18, 41))), 9));
            TConditionMeteo c;
            meteo::assigneMeteo(path, c);
            for (const QByteArray &t : {c.Date_Mesure, c.Lever_du_Soleil.Texte, c.Coucher_du_Soleil.Texte})
                QVERIFY(meteo::readTimeOfDay(t).isValid());
            QVERIFY(QFile::exists(QStringLiteral(METEO_DATA_DIR "/icons/") + QString::fromLatin1(c.Icon_Jour) + QStringLiteral(".png")));
            QCOMPARE(c.Ville_M, city->displayName());
            // The place as the document names it: overseas, by its territory.
            if (code == "FR97411")
                QCOMPARE(c.Ville_M, QByteArray("Saint-Denis, La Réunion"));
            // Without the hours and the rain (another service's document), the same record.
            QByteArray doc = readFile(path);
            doc.remove(doc.indexOf("<hours>"), doc.indexOf("</rain>") + 7 - doc.indexOf("<hours>"));
            TConditionMeteo without;
            meteo::assigneMeteo(meteo::WeatherDocument(doc, path), without);
            QCOMPARE(QByteArray(without.Station.Texte + without.Vent.Texte + without.Temperature.Texte + without.Nuages),
                     QByteArray(c.Station.Texte + c.Vent.Texte + c.Temperature.Texte + c.Nuages));
        }
    }

    // The hours and the rain ahead say what the rest of the document says, through a year, morning
    // and evening: the current hour is the current conditions, rain falls in rainy hours only, and
    // every hour lies within its own day's forecast low and high.
    void simulatedHoursAgreeWithTheDocument()
    {
        const auto wet = [](int wmo) { return wmo >= 51; };
        for (const char *code : {"FR75056", "FR29019", "FR13055", "FR67482", "FR97411"}) {
            const service::City *city = service::findCity(code);
            for (int day = 0; day < 365; day += 3) {
                for (const QTime time : {QTime(6, 10), QTime(20, 40)}) {
                    const service::WeatherReport r = service::simulate(*city, parisTime(QDate(2026, 1, 1).addDays(day), time));
                    QCOMPARE(r.hours.size(), 48);
                    QCOMPARE(r.rain.size(), 8);
                    const service::HourForecast &now = r.hours.first();
                    QVERIFY(now.temperature == r.temperature && now.wmo == r.wmo && now.daylight == r.daylight);
                    QCOMPARE(r.rain.first().precipitation > 0, wet(r.wmo));
                    double hi = -100, lo = 100;
                    for (const service::HourForecast &h : r.hours) {
                        QVERIFY2((h.precipitation > 0) == wet(h.wmo) || &h == &now, code);
                        const service::DayForecast &day = r.days[int(r.days[0].date.daysTo(h.time.date()))];
                        QVERIFY2(&h == &now || (h.temperature >= day.low - 1 && h.temperature <= day.high + 1), code);
                        if (h.time.date() == r.days[1].date) {
                            hi = std::max(hi, h.temperature);
                            lo = std::min(lo, h.temperature);
                        }
                    }
                    // The forecast of a whole day is its hours' highest and lowest, within a degree.
                    QVERIFY(std::abs(hi - r.days[1].high) <= 1 && std::abs(lo - r.days[1].low) <= 1);
                }
            }
        }
    }

    // Hours counted as instants, in each commune's own legal time: on the nights the time changes
    // each hour is 3,600 s after the one before and carries the offset of its own instant; French
    // Polynesia has three zones, the Marquesas' half hour kept in the offsets and in loc/zone; the
    // first hour, on the place's own hour, and the first quarter hold the clock.
    void hoursAreInstantsInTheirOwnZone_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QStringList>("offsets");  // those the 48 hours show, in order
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("repeated");  // the sides said of the October night's two 2 h
        const auto utc = [](int y, int mo, int d, int h, int mi) { return QDateTime(QDate(y, mo, d), QTime(h, mi), QTimeZone::utc()); };
        const QStringList winter{QStringLiteral("+01:00")}, change{QStringLiteral("+02:00"), QStringLiteral("+01:00")};
        QTest::newRow("October, first 02:30") << QByteArray("FR75056") << utc(2026, 10, 25, 0, 30) << change << QByteArray("2") << QStringLiteral("ete hiver");
        QTest::newRow("October, second 02:30") << QByteArray("FR75056") << utc(2026, 10, 25, 1, 30) << winter << QByteArray("1") << QStringLiteral("hiver");
        QTest::newRow("October, the evening before") << QByteArray("FR75056") << utc(2026, 10, 24, 19, 55) << change << QByteArray("2") << QStringLiteral("ete hiver");
        QTest::newRow("March, before the gap") << QByteArray("FR75056") << utc(2027, 3, 28, 0, 50)
                                               << QStringList{QStringLiteral("+01:00"), QStringLiteral("+02:00")} << QByteArray("1") << QString();
        QTest::newRow("Nuku-Hiva, Marquesas") << QByteArray("FR98731") << utc(2026, 12, 7, 10, 7) << QStringList{QStringLiteral("-09:30")} << QByteArray("-9.5") << QString();
        QTest::newRow("Gambier") << QByteArray("FR98719") << utc(2026, 12, 7, 10, 7) << QStringList{QStringLiteral("-09:00")} << QByteArray("-9") << QString();
        QTest::newRow("Papeete, Tahiti") << QByteArray("FR98735") << utc(2026, 12, 7, 10, 7) << QStringList{QStringLiteral("-10:00")} << QByteArray("-10") << QString();
        QTest::newRow("Saint-Denis, Réunion") << QByteArray("FR97411") << utc(2026, 12, 7, 10, 7) << QStringList{QStringLiteral("+04:00")} << QByteArray("4") << QString();
    }

    void hoursAreInstantsInTheirOwnZone()
    {
        QFETCH(QByteArray, code);
        QFETCH(QDateTime, now);
        QFETCH(QStringList, offsets);
        QFETCH(QByteArray, zone);
        QFETCH(QString, repeated);
        const service::WeatherReport r = service::simulate(*service::findCity(code), now);
        QVERIFY(r.rain.first().start <= now && now < r.rain.first().start.addSecs(900));
        QDomDocument doc;
        QVERIFY(doc.setContent(service::toXml(r, 9)));
        QCOMPARE(doc.documentElement().firstChildElement(QStringLiteral("loc")).firstChildElement(QStringLiteral("zone")).text().toLatin1(), zone);
        const QDomNodeList hours = doc.elementsByTagName(QStringLiteral("hour"));
        QCOMPARE(hours.size(), 48);
        QStringList seen, sides;
        for (int i = 0; i < hours.size(); ++i) {
            const QString text = hours.at(i).toElement().attribute(QStringLiteral("t"));
            const std::optional<QDateTime> t = meteo::readInstantText(text);
            QVERIFY2(t && t->time().minute() == 0 && *t == r.hours[i].time, qPrintable(text));
            QVERIFY(i > 0 ? r.hours[i - 1].time.secsTo(*t) == 3600 : *t <= now && now < t->addSecs(3600));
            if (!seen.contains(text.right(6)))
                seen << text.right(6);
            if (const QString side = hours.at(i).toElement().attribute(QStringLiteral("heure")); !side.isEmpty())
                sides << side;
        }
        QCOMPARE(seen, offsets);
        QCOMPARE(sides.join(u' '), repeated);
    }

    // A table that holds no commune, or a line it cannot read, is refused: the service would
    // answer nothing with it.
    void unusableCommuneTablesAreRefused()
    {
        QVERIFY(!service::CommuneTable::parse("").ok());
        QVERIFY(!service::CommuneTable::parse("\n\n").ok());
        QVERIFY(!service::CommuneTable::parse("75056\tParis\t75\t75001\tmany\t48.85\t2.35\t1\t42\td\n").ok());
        QVERIFY(!service::CommuneTable::parse("75056\tParis\t75\t75001\t2100000\t48.85\t2.35\t1\thaut\td\n").ok());
        QVERIFY(service::CommuneTable::parse("75056\tParis\t75\t75001\t2100000\t48.85\t2.35\t1\t42\td\n").ok());
    }

    // meteo-communes fails loudly on a source it cannot use: a message, exit 1, the old table
    // byte for byte.
    void communeToolRefusesBrokenSources_data()
    {
        QTest::addColumn<QByteArray>("communes");  // communes.json; "-" for none at all
        QTest::addColumn<QByteArray>("cities");    // cities500.txt
        QTest::addColumn<QByteArray>("message");
        const QByteArray one = "[{\"type\":\"commune-actuelle\",\"code\":\"01001\",\"nom\":\"Alpha\",\"departement\":\"01\"}]";
        const QByteArray place = "1\tAlpha\tAlpha\t\t46.0\t5.0\tP\tPPL\tFR\t\t84\t01\t011\t01001\t500\t\t240\n";
        QTest::newRow("no commune list") << QByteArray("-") << place << QByteArray("cannot be read");
        QTest::newRow("JSON cut short") << one.left(40) << place << QByteArray("not JSON");
        QTest::newRow("not a list") << QByteArray("{}") << place << QByteArray("not a JSON array");
        QTest::newRow("empty GeoNames") << one << QByteArray() << QByteArray("empty");
        QTest::newRow("one commune") << one << place << QByteArray("only 1 communes");
    }

    void communeToolRefusesBrokenSources()
    {
        QFETCH(QByteArray, communes);
        QFETCH(QByteArray, cities);
        QFETCH(QByteArray, message);
        QTemporaryDir work;
        const QString json = work.filePath(QStringLiteral("communes.json")), txt = work.filePath(QStringLiteral("cities500.txt")),
                      out = work.filePath(QStringLiteral("communes.tsv"));
        if (communes != "-")
            writeFile(json, communes);
        writeFile(txt, cities);
        writeFile(out, "the old table\n");
        QProcess tool;
        tool.start(QStringLiteral(METEO_COMMUNES_TOOL), {json, txt, out});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 1);
        const QByteArray said = tool.readAllStandardError();
        QVERIFY2(said.contains(message), said.constData());
        QCOMPARE(readFile(out), QByteArray("the old table\n"));
    }

    // HEAD gets the GET's headers and no body (the next request on the connection is read right);
    // a request asking for a protocol upgrade gets one answer, 400.
    void headAndUpgradeGetOneAnswerEach()
    {
        service::SimulatedSource sim;
        service::WeatherService server(sim);
        server.setLog([](const QByteArray &) {});
        const quint16 port = server.listen(QHostAddress::LocalHost, 0);
        // Then one more request on the same connection: its answer, the last, says that every one
        // before it has been written.
        auto exchange = [port](const QByteArray &requests) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, port);
            s.write(requests + "GET /communes?q=Brest HTTP/1.1\r\nHost: x\r\n\r\n");
            QByteArray got;
            // Or the server hung up after its answers.
            (void)QTest::qWaitFor([&] {
                got += s.readAll();
                return got.contains("</communes>") || s.state() == QAbstractSocket::UnconnectedState;
            });
            got += s.readAll();
            return got.contains("</communes>") ? got.left(got.lastIndexOf("HTTP/1.1 ")) : got;
        };
        const QByteArray get = "GET /weather/local/FR75056" + query + " HTTP/1.1\r\nHost: x\r\n\r\n";
        const QByteArray body = httpGet("http://127.0.0.1:" + QByteArray::number(port) + "/weather/local/FR75056" + query).body;
        QByteArray head = get;
        const QByteArray both = exchange(head.replace(0, 3, "HEAD") + get);
        QCOMPARE(both.count("HTTP/1.1 200 OK"), 2);
        QVERIFY(both.contains("Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\nHTTP/1.1 200 OK"));  // no body
        QVERIFY(both.endsWith(body));
        for (const QByteArray upgrade : {"websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13", "h2c"}) {
            const QByteArray got = exchange("GET /weather/local/FR75056 HTTP/1.1\r\nHost: x\r\nUpgrade: " + upgrade + "\r\n\r\n");
            QCOMPARE(got.count("HTTP/1.1 "), 1);
            QVERIFY(got.startsWith("HTTP/1.1 400"));
        }
    }

    // The search the viewer's "Ajouter une ville" dialog asks: by name prefix (accents, case,
    // hyphens and "st" ignored; an elided article joined or left out), by an overseas seat's name,
    // by postal code, at most 20, most populated first; overseas homonyms named by their territory;
    // bad q refused.
    void communeSearch_data()
    {
        QTest::addColumn<QByteArray>("q");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<int>("count");  // -1: any
        QTest::newRow("st etienne") << QByteArray("st%20etienne") << 200 << QByteArray("<commune code=\"FR42218\" cp=\"42000\">Saint-Étienne (42)</commune>") << -1;
        QTest::newRow("accents and case") << QByteArray("SAINT-%C3%A9TIENNE-DU") << 200 << QByteArray("code=\"FR76575\"") << -1;
        QTest::newRow("st is also Strasbourg") << QByteArray("st") << 200 << QByteArray("Strasbourg (67)") << 20;
        QTest::newRow("postal code") << QByteArray("69003") << 200 << QByteArray("<commune code=\"FR69123\" cp=\"69003\">Lyon (69)</commune>") << -1;
        QTest::newRow("arrondissement") << QByteArray("75001") << 200 << QByteArray("code=\"FR75056\"") << -1;
        QTest::newRow("elided article joined") << QByteArray("lisle%20sur%20la%20sorgue") << 200 << QByteArray("code=\"FR84054\"") << 1;
        QTest::newRow("elided inside") << QByteArray("saint%20martin%20dheres") << 200 << QByteArray("code=\"FR38421\"") << 1;
        QTest::newRow("article left out") << QByteArray("rochelle") << 200 << QByteArray("La Rochelle (17)") << -1;
        QTest::newRow("seat of Nuku-Hiva") << QByteArray("Taiohae") << 200 << QByteArray("<commune code=\"FR98731\" cp=\"98742\">Nuku-Hiva (Polynésie française)</commune>") << 1;
        QTest::newRow("a department after the name") << QByteArray("saint%20denis%2093") << 200 << QByteArray("code=\"FR93066\"") << 1;
        QTest::newRow("overseas homonym") << QByteArray("saint%20pierre") << 200 << QByteArray("Saint-Pierre (La Réunion)") << -1;
        QTest::newRow("nothing") << QByteArray("zzzz") << 200 << QByteArray() << 0;
        QTest::newRow("empty") << QByteArray("") << 400 << QByteArray() << 0;
        QTest::newRow("not UTF-8") << QByteArray("%FF") << 400 << QByteArray() << 0;
        QTest::newRow("over 64 bytes") << QByteArray(65, 'a') << 400 << QByteArray() << 0;
    }

    void communeSearch()
    {
        QFETCH(QByteArray, q);
        QFETCH(QByteArray, first);
        QFETCH(int, count);
        service::SimulatedSource sim;
        service::WeatherService server(sim);
        server.setLog([](const QByteArray &) {});
        const QByteArray base = "http://127.0.0.1:" + QByteArray::number(server.listen(QHostAddress::LocalHost, 0));
        const HttpAnswer a = httpGet(base + "/communes?q=" + q);
        QTEST(a.status, "status");
        const QList<QByteArray> lines = a.body.split('\n');
        QList<QByteArray> found;
        for (const QByteArray &line : lines)
            if (line.contains("<commune "))
                found << line.trimmed();
        if (!first.isEmpty())
            QVERIFY2(!found.isEmpty() && found.first().contains(first), a.body.constData());
        if (count >= 0)
            QCOMPARE(found.size(), count);
        if (q == "saint%20pierre")
            for (const char *territory : {"(Martinique)", "(Saint-Pierre-et-Miquelon)"})
                QVERIFY2(a.body.contains(QByteArray("Saint-Pierre ") + territory), a.body.constData());
    }

    void answersOverHttp()
    {
        service::SimulatedSource sim;
        service::WeatherService server(sim);
        QDateTime fixed = parisTime(QDate(2026, 12, 6), QTime(15, 52));
        server.setClock([&fixed] { return fixed; });
        QList<QByteArray> log;
        server.setLog([&log](const QByteArray &line) { log << line; });
        const QByteArray base = "http://127.0.0.1:" + QByteArray::number(server.listen(QHostAddress::LocalHost, 0));

        const HttpAnswer ok = httpGet(base + "/weather/local/FR75056" + query);
        QCOMPARE(ok.status, 200);
        QCOMPARE(ok.contentType, QByteArray("text/xml; charset=UTF-8"));
        QCOMPARE(ok.body, service::toXml(service::simulate(*service::findCity("FR75056"), fixed), 9));
        QCOMPARE(ok.body.count("<day "), 9);
        QVERIFY(ok.body.contains("<lsup>06/12/2026 15:52 heure locale</lsup>"));
        QCOMPARE(httpGet(base + "/weather/local/FR2A004?dayf=3").body.count("<day "), 3);
        // Answered again from the rendered bytes within the minute, and anew in the next one.
        fixed = fixed.addSecs(59);
        QCOMPARE(httpGet(base + "/weather/local/FR75056" + query).body, ok.body);
        fixed = fixed.addSecs(1);
        QCOMPARE(httpGet(base + "/weather/local/FR75056" + query).body,
                 service::toXml(service::simulate(*service::findCity("FR75056"), fixed), 9));

        const HttpAnswer unknown = httpGet(base + "/weather/local/FR99999" + query);
        QCOMPARE(unknown.status, 404);
        QVERIFY(unknown.body.contains("<error>"));
        QCOMPARE(httpGet(base + "/weather/local/FR75056?dayf=zero").status, 400);
        QCOMPARE(httpGet(base + "/index.html").status, 400);
        QCOMPARE(httpGet(base + "/weather/local/FR75056", "DELETE").status, 400);
        QCOMPARE(log.size(), 8);
        QVERIFY(log[0].contains("\"GET /weather/local/FR75056?r&cc=*") && log[0].contains(" 200 "));
        QVERIFY(log[4].contains(" 404 ") && log[4].endsWith(" code inconnu"));
        QVERIFY2(log[5].contains(" 400 ") && log[5].contains("dayf"), log[5].constData());
    }

    // The program speaks French: its help, and its refusals of a command line.
    void commandLineSpeaksFrench()
    {
        QProcess help, wrong;
        help.start(QStringLiteral(METEO_SERVICE_PROGRAM), {QStringLiteral("--help")});
        wrong.start(QStringLiteral(METEO_SERVICE_PROGRAM), {QStringLiteral("--source"), QStringLiteral("meteo")});
        QVERIFY(help.waitForFinished(10000) && wrong.waitForFinished(10000));
        QCOMPARE(help.exitCode(), 0);
        QVERIFY(help.readAllStandardOutput().startsWith("Utilisation : meteo-service"));
        QCOMPARE(wrong.exitCode(), 2);
        QVERIFY(wrong.readAllStandardError().startsWith("meteo-service : source inconnue « meteo »"));
        // One Météo-France key for the vigilance and the map, under its new name and its old one.
        for (const QString &option : {QStringLiteral("--meteofrance-key-file"), QStringLiteral("--vigilance-key-file")}) {
            QProcess keyed;
            keyed.start(QStringLiteral(METEO_SERVICE_PROGRAM), {QStringLiteral("--source"), QStringLiteral("open-meteo"), option,
                                                                QStringLiteral("/nonexistent/key")});
            QVERIFY(keyed.waitForFinished(10000));
            QCOMPARE(keyed.exitCode(), 2);
            QVERIFY(keyed.readAllStandardError().contains("illisible : /nonexistent/key"));
        }
    }
};

static const testing::RegisterTest<ServiceTest> registeredServiceTest;

#include "tst_service.moc"
