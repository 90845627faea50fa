// SPDX-License-Identifier: GPL-2.0-or-later
// Météo-France's vigilance: the map's reader as a table over answers written from the documented
// fields, and the service reading it from a fake Météo-France (the key in its header and nowhere
// else, failures, reuse for ten minutes).
#include "service/simulation/simulation.h"
#include "service/live/vigilance.h"
#include "service/http/weatherservice.h"
#include "testsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTest>
#include <QTimeZone>

using namespace testing;

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(10, 0), QTimeZone::utc());

QString iso(const QDateTime &t)
{
    return t.toUTC().toString(Qt::ISODate);
}

// One phenomenon of one department, over one span, in the documented shape.
QJsonObject domain(const QString &id, const QJsonValue &phenomenon, const QJsonValue &colour, const QJsonValue &begin,
                   const QJsonValue &end)
{
    const QJsonObject lap{{QStringLiteral("begin_time"), begin}, {QStringLiteral("end_time"), end}, {QStringLiteral("color_id"), colour}};
    const QJsonObject item{{QStringLiteral("phenomenon_id"), phenomenon}, {QStringLiteral("phenomenon_max_color_id"), colour},
                           {QStringLiteral("timelaps_items"), QJsonArray{lap}}, {QStringLiteral("unknown_field"), 7}};
    return {{QStringLiteral("domain_id"), id}, {QStringLiteral("max_color_id"), colour},
            {QStringLiteral("phenomenon_items"), QJsonArray{item}}};
}

QByteArray map(const QJsonArray &domains, const QJsonValue &updated = iso(kNow.addSecs(-4 * 3600)))
{
    const QJsonObject period{{QStringLiteral("echeance"), QStringLiteral("J")},
                             {QStringLiteral("begin_validity_time"), iso(kNow.addSecs(-10 * 3600))},
                             {QStringLiteral("end_validity_time"), iso(kNow.addSecs(38 * 3600))},
                             {QStringLiteral("timelaps"), QJsonObject{{QStringLiteral("domain_ids"), domains}}}};
    return QJsonDocument(QJsonObject{{QStringLiteral("product"), QJsonObject{{QStringLiteral("update_time"), updated},
                                                                             {QStringLiteral("periods"), QJsonArray{period}}}}})
        .toJson(QJsonDocument::Compact);
}

const QJsonValue kIn2h = iso(kNow.addSecs(2 * 3600)), kIn20h = iso(kNow.addSecs(20 * 3600));

} // namespace

class VigilanceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:

    // Each answer: what Finistère (29) has at 10 h UTC, or why the answer is refused.
    void readerTable_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected");  // "phenomenon/colour ..." or "refus: words"
        QTest::newRow("green map") << map({domain(QStringLiteral("29"), 1, 1, kIn2h, kIn20h)}) << QString();
        QTest::newRow("orange wind in 29") << map({domain(QStringLiteral("29"), QStringLiteral("1"), 3, kIn2h, kIn20h),
                                                   domain(QStringLiteral("56"), 2, 2, kIn2h, kIn20h)})
                                           << QStringLiteral("1/3");
        QTest::newRow("red flood already over") << map({domain(QStringLiteral("29"), 2, 4, iso(kNow.addSecs(-9 * 3600)), iso(kNow.addSecs(-1800)))})
                                                << QString();
        QTest::newRow("beyond the coming day") << map({domain(QStringLiteral("29"), 6, 2, iso(kNow.addSecs(25 * 3600)), iso(kNow.addSecs(30 * 3600)))})
                                               << QString();
        QTest::newRow("unknown phenomenon left out") << map({domain(QStringLiteral("29"), 42, 3, kIn2h, kIn20h)}) << QString();
        QTest::newRow("coastal zone ignored") << map({domain(QStringLiteral("2999"), 9, 3, kIn2h, kIn20h)}) << QString();
        QTest::newRow("colour as text") << map({domain(QStringLiteral("29"), 1, QStringLiteral("x"), kIn2h, kIn20h)})
                                        << QStringLiteral("refus: timelaps_items de 29");
        QTest::newRow("colour 7") << map({domain(QStringLiteral("29"), 1, 7, kIn2h, kIn20h)}) << QStringLiteral("refus: timelaps_items");
        QTest::newRow("colour 1e99") << map({domain(QStringLiteral("29"), 1, 1e99, kIn2h, kIn20h)}) << QStringLiteral("refus: timelaps_items");  // fuzz finding
        QTest::newRow("time without offset") << map({domain(QStringLiteral("29"), 1, 3, QStringLiteral("2026-12-07T12:00:00"), kIn20h)})
                                             << QStringLiteral("refus: timelaps_items");
        QTest::newRow("end before begin") << map({domain(QStringLiteral("29"), 1, 3, kIn20h, kIn2h)}) << QStringLiteral("refus: timelaps_items");
        QTest::newRow("department as a number") << QByteArray(map({domain(QStringLiteral("29"), 1, 3, kIn2h, kIn20h)}).replace("\"29\"", "29"))
                                                << QStringLiteral("refus: domain_id");
        QTest::newRow("no update time") << map({}, QJsonValue()) << QStringLiteral("refus: product.update_time");
        QTest::newRow("not JSON") << QByteArray("<html>maintenance</html>") << QStringLiteral("refus: pas d'objet product");
        QTest::newRow("2 MiB") << QByteArray(2 * 1024 * 1024 + 1, ' ') << QStringLiteral("refus: plus de 2 Mio");
    }

    void readerTable()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        const service::Result<service::VigilanceMap> read = service::parseVigilanceMap(json);
        if (expected.startsWith(QStringLiteral("refus: "))) {
            QVERIFY(!read.ok());
            QVERIFY2(QString::fromUtf8(read.error().text).contains(expected.mid(7)), read.error().text.constData());
            return;
        }
        QVERIFY2(read.ok(), read.ok() ? "" : read.error().text.constData());
        QStringList got;
        for (const service::Warning &w : service::warningsAhead(read.value(), "29", kNow))
            got << QStringLiteral("%1/%2").arg(int(w.phenomenon)).arg(int(w.colour));
        QCOMPARE(got.join(u' '), expected);
    }

    // The service with a fake Météo-France: the key in the apikey header and nowhere else (not the
    // URL, not the log); a map read once serves every commune; failures leave no section and say why.
    void serviceReadsTheMap_data()
    {
        QTest::addColumn<QByteArray>("status");  // of the fake's answer; "silence" for none
        QTest::addColumn<QByteArray>("section");  // what Brest's document holds
        QTest::addColumn<QByteArray>("logged");
        QTest::newRow("orange wind") << QByteArray("200 OK") << QByteArray("<teinte>orange</teinte>") << QByteArray();
        QTest::newRow("401") << QByteArray("401 Unauthorized") << QByteArray() << QByteArray("vigilance: Météo-France a répondu HTTP 401");
        QTest::newRow("500") << QByteArray("500 Internal Server Error") << QByteArray() << QByteArray("HTTP 500");
        QTest::newRow("silence") << QByteArray("silence") << QByteArray() << QByteArray("Météo-France injoignable");
    }

    void serviceReadsTheMap()
    {
        QFETCH(QByteArray, status);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, logged);
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QByteArray body = map({domain(QStringLiteral("29"), 1, 3, iso(now.addSecs(3600)), iso(now.addSecs(9 * 3600)))},
                                    iso(now.addSecs(-3600)));
        RawServer fake([&](QTcpSocket *s, const QByteArray &) {
            if (status == "silence")
                return;
            const QByteArray b = status == "200 OK" ? body : QByteArray("{}");
            s->write("HTTP/1.1 " + status + "\r\nContent-Type: application/json\r\nContent-Length: " + QByteArray::number(b.size())
                     + "\r\n\r\n" + b);
        });
        QList<QByteArray> log;
        service::VigilanceSource vigilance("SECRET-KEY-1234", "http://" + fake.host() + "/public/DPVigilance/v1",
                                           [&log](const QByteArray &line) { log << line; });
        vigilance.setTimeout(300);
        vigilance.start(60 * 60 * 1000);
        service::SimulatedSource sim;
        service::WeatherService server(sim);
        server.setLog([&log](const QByteArray &line) { log << line; });
        server.setVigilance([&vigilance](const QByteArray &d, const QDateTime &now) { return vigilance.at(d, now); });
        const QByteArray base = "http://127.0.0.1:" + QByteArray::number(server.listen(QHostAddress::LocalHost, 0));
        QTRY_COMPARE(fake.requests.size(), 1);
        // The map read, or the reason there is none said.
        QTRY_VERIFY(vigilance.at("29", QDateTime::currentDateTimeUtc())
                    || std::any_of(log.begin(), log.end(), [](const QByteArray &l) { return l.startsWith("vigilance:"); }));
        const HttpAnswer brest = httpGet(base + "/weather/local/FR29019?dayf=2");
        const HttpAnswer lyon = httpGet(base + "/weather/local/FR69123?dayf=2");
        const HttpAnswer reunion = httpGet(base + "/weather/local/FR97411?dayf=2");
        QCOMPARE(brest.status, 200);
        QCOMPARE(fake.requests.size(), 1);  // one call for every commune
        const QByteArray head = fake.requests[0];
        QVERIFY2(head.startsWith("GET /public/DPVigilance/v1/cartevigilance/encours HTTP/1.1"), head.constData());
        QVERIFY(head.contains("apikey: SECRET-KEY-1234\r\n"));
        QVERIFY(!head.left(head.indexOf("\r\n")).contains("SECRET"));
        for (const QByteArray &line : log)
            QVERIFY2(!line.contains("SECRET"), line.constData());
        if (section.isEmpty()) {
            QVERIFY(!brest.body.contains("<vigilance>"));
            QVERIFY2(std::any_of(log.begin(), log.end(), [&](const QByteArray &l) { return l.contains(logged); }), log.join('\n').constData());
        } else {
            QVERIFY2(brest.body.contains("<vigilance>") && brest.body.contains("<dep>29</dep>") && brest.body.contains(section),
                     brest.body.constData());
            QVERIFY(brest.body.contains("<nom>vent violent</nom>"));
            QVERIFY(lyon.body.contains("<vigilance>") && !lyon.body.contains("<phen>"));  // green: an empty section
        }
        QVERIFY(!reunion.body.contains("<vigilance>"));  // overseas: none
    }

    // The key file must be its owner's alone, and hold one line.
    void keyFileIsPrivate()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("key"));
        writeFile(path, "abc\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        QVERIFY(!service::readMeteoFranceKey(path).ok());
        QVERIFY(service::readMeteoFranceKey(path).error().text.contains("lisible par d'autres"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(service::readMeteoFranceKey(path).value(), QByteArray("abc"));
        QVERIFY(!service::readMeteoFranceKey(dir.filePath(QStringLiteral("none"))).ok());
    }
};

static const testing::RegisterTest<VigilanceTest> registeredVigilanceTest;

#include "tst_vigilance.moc"
