// SPDX-License-Identifier: GPL-2.0-or-later
// "Mes villes": the order from the finest to the least fine as a table, and the window against a
// fake service — four cities, the one the main window shows left out, one failing, the day chosen,
// Enter to show a city, nothing downloaded while it is hidden, weather.xml never written.
#include "app/model/citylist.h"
#include "app/widgets/errorreport.h"
#include "app/mainwindow/form1.h"
#include "app/mainwindow/mainmenus.h"
#include "app/windows/formvilles.h"
#include "app/windows/formair.h"
#include "common/instanttext.h"
#include "reportsupport.h"
#include "weather/airalert.h"
#include "app/fetch/overviewdownloads.h"
#include "app/model/overviewmodel.h"
#include "testsupport.h"
#include "windowfixture.h"
#include "weather/outlook.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace testing;

namespace {

// "rain/cloud/temperature", "?" for what is unknown.
meteo::Outlook outlook(const QString &text)
{
    const QStringList v = text.split(u'/');
    const auto number = [](const QString &s) { return s == u'?' ? std::nullopt : std::optional<double>(s.toDouble()); };
    meteo::Outlook o{number(v[0]), std::nullopt, number(v[2])};
    if (v[1] != u'?')
        o.cloud = v[1].toInt();
    return o;
}

} // namespace

class OverviewTest : public QObject, WindowFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        prepare();
    }

    void cleanup() { files.remove(QStringLiteral("villes.ini")); }

    // Cities as (chance of rain, cloud, high), and the order they are shown in: the least rain, then
    // the least cloud, then the nearest 22 °C; what is not known last; cities alike in their order.
    void finestFirst_data()
    {
        QTest::addColumn<QStringList>("cities");
        QTest::addColumn<QString>("order");
        QTest::newRow("rain decides") << QStringList{QStringLiteral("60/0/22"), QStringLiteral("10/4/5"), QStringLiteral("30/1/20")} << QStringLiteral("1 2 0");
        QTest::newRow("then cloud") << QStringList{QStringLiteral("10/3/22"), QStringLiteral("10/0/15"), QStringLiteral("10/2/22")} << QStringLiteral("1 2 0");
        QTest::newRow("then mildness, both sides") << QStringList{QStringLiteral("0/0/35"), QStringLiteral("0/0/14"), QStringLiteral("0/0/24")} << QStringLiteral("2 1 0");
        QTest::newRow("unknown last") << QStringList{QStringLiteral("?/0/22"), QStringLiteral("80/5/3"), QStringLiteral("0/?/22")} << QStringLiteral("2 1 0");
        QTest::newRow("alike keep their order") << QStringList{QStringLiteral("0/1/20"), QStringLiteral("0/1/24"), QStringLiteral("0/1/20")} << QStringLiteral("0 1 2");
        QTest::newRow("never downloaded") << QStringList{QStringLiteral("?/?/?"), QStringLiteral("90/5/0")} << QStringLiteral("1 0");
    }

    void finestFirst()
    {
        QFETCH(QStringList, cities);
        QList<int> order(cities.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return meteo::finer(outlook(cities[a]), outlook(cities[b])); });
        QStringList shown;
        for (int i : order)
            shown << QString::number(i);
        QTEST(shown.join(u' '), "order");
    }

    // Downloaded when shown, four at once at most, the main window's city left out; a failure says
    // why and keeps the last values, marked old; the day chosen and the order apply to every row;
    // Enter shows the city; hidden, nothing more is asked; nothing is stored.
    void windowAgainstAFakeService()
    {
        TempCurrentDir cwd;
        files.write(QStringLiteral("villes.ini"), "Paris=FR75056\nLyon=FR69123\nBrest=FR29019\nNice=FR06088\nQuimper=FR29232\n");
        bool niceFails = false;
        int inFlight = 0, most = 0;
        QList<QByteArray> asked;
        RawServer server([&](QTcpSocket *s, const QByteArray &request) {
            const QByteArray code = request.mid(19, 7);
            asked << code;
            most = std::max(most, ++inFlight);
            QTimer::singleShot(50, s, [&, s, request, code] {
                --inFlight;
                if (code == "FR06088" && niceFails)
                    return RawServer::document("<error>panne</error>", "500 Internal Server Error")(s, request);
                // Brest wet and mild, Lyon dry and cold, Nice dry and mild, Quimper dry and mild too.
                QByteArray doc = parisDocument().replace("Paris, France", code);
                doc.replace("<t>Partly Cloudy</t></part>", code == "FR29019" ? "<t>Partly Cloudy</t><ppcp>90</ppcp></part>" : "<t>Partly Cloudy</t><ppcp>0</ppcp></part>");
                if (code == "FR69123")
                    doc.replace("<hi>9</hi>", "<hi>4</hi>");
                RawServer::document(doc)(s, request);
            });
        });
        meteo::CityList cities;
        QVERIFY(cities.load().isEmpty());
        meteo::FormVilles window(&cities, server.host(), [] { return QByteArray("FR75056"); }, nullptr);
        window.refreshInterval = 60 * 60 * 1000;
        window.show();
        QTRY_VERIFY(window.Etat->text().startsWith(QStringLiteral("Reçues à ")));
        QCOMPARE(asked.size(), 4);  // Paris is the main window's
        QVERIFY(!asked.contains("FR75056"));
        QVERIFY(most >= 2 && most <= meteo::OverviewDownloads::kAtOnce);
        QVERIFY(!QFile::exists(files.path(QStringLiteral("weather.xml"))));
        meteo::OverviewModel *model = window.model();
        const auto row = [model](const QByteArray &code) {
            for (int r = 0; r < model->rowCount(); ++r)
                if (model->index(r).data(meteo::OverviewModel::CodeRole).toByteArray() == code)
                    return model->index(r);
            return QModelIndex();
        };
        QCOMPARE(row("FR69123").data(meteo::OverviewModel::MainRole).toString(), QStringLiteral("7 °C"));
        QVERIFY(row("FR69123").data(meteo::OverviewModel::AgeRole).toString().startsWith(QStringLiteral("Reçues à ")));
        QVERIFY2(row("FR69123").data(Qt::AccessibleTextRole).toString().startsWith(QStringLiteral("Lyon ; 7 °C, partiellement nuageux ; ")),
                 qPrintable(row("FR69123").data(Qt::AccessibleTextRole).toString()));
        QCOMPARE(row("FR75056").data(meteo::OverviewModel::AgeRole).toString(), QStringLiteral("Pas encore téléchargée"));

        model->clock = [] { return QDateTime(QDate(2026, 12, 6), QTime(12, 0)); };  // the sample's first day
        window.Jour->setCurrentIndex(1);  // "Aujourd'hui"
        QCOMPARE(row("FR69123").data(meteo::OverviewModel::MainRole).toString(), QStringLiteral("3° / 4°"));
        QCOMPARE(row("FR29019").data(meteo::OverviewModel::DetailRole).toString().left(4), QStringLiteral("90 %"));
        window.Ordre->setChecked(true);  // the wet last, the one never downloaded after all
        QCOMPARE(model->index(4).data(meteo::OverviewModel::NameRole).toString(), QStringLiteral("Paris"));
        QCOMPARE(model->index(3).data(meteo::OverviewModel::NameRole).toString(), QStringLiteral("Brest"));

        // A second round in which Nice fails: it says why and keeps its values, marked old.
        const QString niceBefore = row("FR06088").data(meteo::OverviewModel::MainRole).toString();
        niceFails = true;
        window.downloads()->downloadAll("FR75056");
        QTRY_VERIFY(window.Etat->text().startsWith(QStringLiteral("Reçues à ")) && asked.size() == 8);
        QVERIFY2(window.Etat->text().endsWith(QStringLiteral(" — 1 sur 4 en échec")), qPrintable(window.Etat->text()));
        QVERIFY2(row("FR06088").data(meteo::OverviewModel::AgeRole).toString().startsWith(QStringLiteral("Le service a répondu 500")),
                 qPrintable(row("FR06088").data(meteo::OverviewModel::AgeRole).toString()));
        QVERIFY(row("FR06088").data(meteo::OverviewModel::OldRole).toBool());
        QCOMPARE(row("FR06088").data(meteo::OverviewModel::MainRole).toString(), niceBefore);
        QVERIFY(niceBefore != QStringLiteral("—"));

        QSignalSpy chosen(&window, &meteo::FormVilles::cityChosen);
        window.Liste->setCurrentIndex(row("FR29019"));
        QTest::keyClick(window.Liste, Qt::Key_Return);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().first().toByteArray(), QByteArray("FR29019"));
        window.hide();
        QVERIFY(!window.findChildren<QTimer *>().isEmpty());
        for (QTimer *t : window.findChildren<QTimer *>())
            QVERIFY(!t->isActive() || t->isSingleShot());  // the 15 minutes' turn stops with the window
    }

    // The air as the viewer reads it: the classes and pollens of the document, the window that says
    // them on their colours, and the notices: a chosen pollen at "élevé" once per taxon and spell, a
    // "mauvaise" air once per day, nothing from an old document or for a pollen not chosen.
    void airIsReadShownAndAnnounced()
    {
        const QDateTime now(QDate(2027, 4, 12), QTime(10, 20), Qt::OffsetFromUTC, 7200);
        QByteArray air = "<air maj=\"2027-04-12T10:00+02:00\" src=\"CAMS\">"
                         "<jour d=\"2027-04-12\" atmo=\"3\" aulne=\"0\" bouleau=\"4\" graminees=\"1\" armoise=\"0\" olivier=\"0\" ambroisie=\"0\"/>"
                         "<jour d=\"2027-04-13\" atmo=\"4\" aulne=\"0\" bouleau=\"5\" graminees=\"9\" armoise=\"0\" olivier=\"0\" ambroisie=\"0\"/>";
        for (int i = 0; i < 48; ++i)
            air += "<h t=\"" + meteo::instantText(now.addSecs(3600 * i - 1200)).toLatin1() + "\" pm25=\"8\" pm10=\"15\" no2=\"20\" o3=\""
                   + (i == 3 ? "NaN" : "110") + "\" so2=\"1\"/>";
        meteo::CityWeather city("FR67482");
        city.setName("Strasbourg");
        city.receive(reportOf(parisWith(air + "</air>"), now));
        const meteo::Air &read = city.report()->air;
        QVERIFY(read.present && read.days.size() == 2 && read.hours.size() == 48);
        QVERIFY(!read.days[1].pollen);  // a level out of its scale: no pollens that day, never a 9
        QVERIFY(!read.hours[3].pollutants[int(meteo::Pollutant::O3)]);
        QCOMPARE(read.decisive(0), std::optional<meteo::Pollutant>(meteo::Pollutant::O3));
        meteo::FormAir window(nullptr);
        window.clock = [now] { return now; };
        window.follow(&city);
        QCOMPARE(window.Indice->text(), QStringLiteral("Aujourd'hui : indice ATMO 3, dégradé (O₃)"));
        QVERIFY(window.Credit->text().contains(QStringLiteral("Contains modified Copernicus Atmosphere Monitoring Service information 2027")));
        QCOMPARE(meteo::airSummary(read, now), QStringLiteral("air dégradé, pollens de bouleau : élevé"));
        meteo::AirMemory said;
        const QSet<meteo::Taxon> birch{meteo::Taxon::Bouleau};
        const QList<meteo::AirNotice> first = meteo::decideAirNotices(said, read, birch, "Strasbourg", now, now);
        QStringList summaries;
        for (const meteo::AirNotice &n : first)
            summaries << QString::fromUtf8(n.summary);
        QCOMPARE(summaries, (QStringList{QStringLiteral("Qualité de l'air mauvaise demain à Strasbourg"),
                                         QStringLiteral("Pollens de bouleau : risque élevé aujourd'hui à Strasbourg")}));
        QVERIFY(meteo::decideAirNotices(said, read, birch, "Strasbourg", now, now.addSecs(600)).isEmpty());  // once
        meteo::AirMemory fresh;
        QVERIFY(meteo::decideAirNotices(fresh, read, birch, "Strasbourg", now, now.addSecs(3 * 3600 + 60)).isEmpty());  // old
        QCOMPARE(meteo::decideAirNotices(fresh, read, {}, "Strasbourg", now, now).size(), 1);  // the air alone
        // Birch high today and tomorrow is one notice; mugwort is "d'armoise".
        QByteArray both = air.replace("graminees=\"9\"", "graminees=\"1\"");
        both.replace("bouleau=\"4\" graminees=\"1\" armoise=\"0\"", "bouleau=\"4\" graminees=\"1\" armoise=\"4\"");
        meteo::AirMemory again;
        summaries.clear();
        for (const meteo::AirNotice &n : meteo::decideAirNotices(again, reportOf(parisWith(both + "</air>"), now)->air,
                                                                 {meteo::Taxon::Bouleau, meteo::Taxon::Armoise}, "Strasbourg", now, now))
            summaries << QString::fromUtf8(n.summary);
        QCOMPARE(summaries.size(), 3);
        QVERIFY2(summaries[1].startsWith(QStringLiteral("Pollens de bouleau : risque très élevé aujourd'hui et demain")), qPrintable(summaries[1]));
        QVERIFY2(summaries[2].startsWith(QStringLiteral("Pollens d'armoise : risque élevé aujourd'hui")), qPrintable(summaries[2]));
    }

    // Hidden, it downloads nothing: the round under way is abandoned (the service sees each
    // connection close) and no city waiting is asked for.
    void hiddenMeansNoDownload()
    {
        TempCurrentDir cwd;
        QByteArray villes;
        for (int i = 0; i < 40; ++i)
            villes += "V" + QByteArray::number(i) + "=FR" + QByteArray::number(10000 + i) + '\n';
        files.write(QStringLiteral("villes.ini"), villes);
        int open = 0;
        RawServer server([&open](QTcpSocket *s, const QByteArray &) {  // a service that never answers
            ++open;
            QObject::connect(s, &QTcpSocket::disconnected, [&open] { --open; });
        });
        meteo::CityList cities;
        QVERIFY(cities.load().isEmpty());
        meteo::FormVilles window(&cities, server.host(), [] { return QByteArray(); }, nullptr);
        window.show();
        QTRY_COMPARE(server.requests.size(), meteo::OverviewDownloads::kAtOnce);
        window.hide();
        QTRY_COMPARE(open, 0);
        QCoreApplication::processEvents();
        QCOMPARE(server.requests.size(), meteo::OverviewDownloads::kAtOnce);
        for (int row = 0; row < cities.count(); ++row)
            QVERIFY(!cities.find(cities.valueAt(row))->downloading());
    }

    // The list and the rows follow the cities themselves: a city added or removed is one row come or
    // gone, a report changes its own row, and a change of order or day keeps the row under the
    // cursor. The days are named by the date of the city under the cursor, and anew past its midnight.
    void modelsFollowTheirCities()
    {
        TempCurrentDir cwd;
        files.write(QStringLiteral("villes.ini"), "Paris=FR75056\nLyon=FR69123\n");
        meteo::CityList cities;
        QVERIFY(cities.load().isEmpty());
        meteo::FormVilles window(&cities, "127.0.0.1:9", [] { return QByteArray(); }, nullptr);
        meteo::OverviewModel *model = window.model();
        QSignalSpy reset(&cities, &QAbstractItemModel::modelReset), rows(model, &QAbstractItemModel::rowsInserted),
            changed(model, &QAbstractItemModel::dataChanged);
        cities.add("Brest", "FR29019");
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(rows.size(), 1);
        // Midnight past in Paris, not yet in UTC: the place's today is the 7th.
        QDateTime now(QDate(2026, 12, 6), QTime(23, 30), Qt::UTC);
        model->clock = [&now] { return now; };
        cities.weather("FR69123")->receive(reportOf(parisDocument(), now));
        QCOMPARE(changed.last().at(0).toModelIndex().row(), 1);
        QCOMPARE(changed.last().at(1).toModelIndex().row(), 1);
        window.Liste->setCurrentIndex(model->index(1));
        window.Ordre->setChecked(true);  // Lyon, the one known, first, and still under the cursor
        QCOMPARE(window.Liste->currentIndex().row(), 0);
        window.Jour->setCurrentIndex(3);
        QCOMPARE(window.Liste->currentIndex().data(meteo::OverviewModel::CodeRole).toByteArray(), QByteArray("FR69123"));
        QCOMPARE(window.Jour->itemText(1), QStringLiteral("Aujourd'hui"));
        QCOMPARE(window.Jour->itemText(3), QStringLiteral("mercredi 9 déc."));
        now = now.addDays(1);
        model->retell();
        QCOMPARE(window.Jour->itemText(3), QStringLiteral("jeudi 10 déc."));
        cities.remove("FR29019");
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(window.Liste->currentIndex().data(meteo::OverviewModel::CodeRole).toByteArray(), QByteArray("FR69123"));
        QCOMPARE(reset.size(), 0);
    }

    // Without a dictionary neither road shows English skies: the main window and "Mes villes" say
    // why, in the same words.
    void missingDictionaryIsSaidOnBothRoads()
    {
        TempCurrentDir cwd;
        files.write(QStringLiteral("villes.ini"), "Paris=FR75056\nLyon=FR69123\n");
        files.remove(QStringLiteral("Dictionnaire.ini"));
        RawServer server(RawServer::document(parisDocument()));
        TForm1 w;
        w.setServiceHost(server.host());
        w.Request("FR75056");
        QTRY_VERIFY(w.Villes->weather("FR75056")->state(QDateTime::currentDateTime()) == meteo::CityWeather::State::Failed);
        const QString mainRoad = w.Villes->weather("FR75056")->failure();
        w.Menus->MesVilles->trigger();
        QTRY_VERIFY(w.Villes->weather("FR69123")->state(QDateTime::currentDateTime()) == meteo::CityWeather::State::Failed);
        files.copyShipped(QStringLiteral("Dictionnaire.ini"));
        QVERIFY2(mainRoad.contains(QStringLiteral("Dictionnaire.ini : fichier introuvable")), qPrintable(mainRoad));
        QCOMPARE(w.Villes->weather("FR69123")->failure(), mainRoad);
        QVERIFY(report.lastMessage().contains(mainRoad));
    }

    // From the main window: Ctrl+M opens it, and a city chosen there is shown as the menu shows it.
    void chosenCityIsShownByTheMainWindow()
    {
        TempCurrentDir cwd;
        files.write(QStringLiteral("villes.ini"), "Paris=FR75056\nLyon=FR69123\n");
        RawServer server(RawServer::document(parisDocument()));
        TForm1 w;
        w.setServiceHost(server.host());
        w.Menus->MesVilles->trigger();
        QVERIFY(w.Overview && w.Overview->isVisible() && w.Overview->objectName() == QStringLiteral("FormVilles"));
        QCOMPARE(w.Overview->windowTitle(), QStringLiteral("Mes villes"));
        QTRY_VERIFY(w.Overview->Etat->text().startsWith(QStringLiteral("Reçues à ")));
        // F5 there refreshes its rows too, not the main window's city alone.
        const qsizetype before = server.requests.size();
        w.Menus->Actualiser->trigger();
        QTRY_VERIFY(server.requests.size() >= before + 2);
        Q_EMIT w.Overview->cityChosen("FR69123");
        QCOMPARE(w.Ville, QByteArray("FR69123"));
        QVERIFY(w.HTTPClient->URI().startsWith("/weather/local/FR69123?"));
        QVERIFY(w.Button1->isEnabled());
    }
};

static const testing::RegisterTest<OverviewTest> registeredOverviewTest;

#include "tst_overview.moc"
