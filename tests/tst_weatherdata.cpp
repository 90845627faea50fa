// Weather data: the name=value list, the lookups and the fill of the weather record, the XML reader's
// safety, and the translation with its shipped dictionary.
#include "testsupport.h"
#include "weather/error.h"
#include "weather/extraction.h"
#include "weather/namevaluelist.h"
#include "weather/translation.h"

#include <QTest>

using namespace testing;
using meteo::NameValueList;

namespace {

NameValueList listOf(const QByteArray &text)
{
    NameValueList list;
    list.loadFromBytes(text);
    return list;
}

// A record whose every field holds a marker, to see which fields a fill changed.
TConditionMeteo markedRecord()
{
    TConditionMeteo c;
    for (QByteArray *f : {&c.Unite_Pression, &c.Nuages, &c.Date_Mesure, &c.Unite_Temp, &c.Icon_Jour, &c.Visibilite,
                          &c.Etat_Pression, &c.Ville_M, &c.Latitude, &c.Longitude})
        *f = "old";
    for (TTextes *t : {&c.Humidite, &c.Temperature_Ressentie, &c.Temperature_Low, &c.Temperature_Hi,
                       &c.Coucher_du_Soleil, &c.Lever_du_Soleil, &c.Pression, &c.Temperature, &c.Station, &c.Vent, &c.UV})
        *t = {"old", "old "};
    return c;
}

} // namespace

class WeatherDataTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString document(const QByteArray &bytes, const QString &name = QStringLiteral("weather.xml"))
    {
        const QString path = dir.filePath(name);
        writeFile(path, bytes);
        return path;
    }

    QString paris(const QByteArray &from = {}, const QByteArray &to = {})
    {
        QByteArray doc = parisDocument();
        if (!from.isEmpty()) {
            if (!doc.contains(from))
                qFatal("sample lacks %s", from.constData());
            doc.replace(from, to);
        }
        return document(doc);
    }

private Q_SLOTS:
    // --- The name=value list -------------------------------------------------------------------

    void listFormat()
    {
        const NameValueList l = listOf("\xEF\xBB\xBFParis=FR75056\r\nCode=a=b\r\n\nno equals\n =x \nLast=1");
        QCOMPARE(l.count(), 6);
        QCOMPARE(l.name(0), QByteArray("Paris"));  // the byte-order mark is not part of the name
        QCOMPARE(l.valueAt(0), QByteArray("FR75056"));  // CR LF ends the line, CR not kept
        QCOMPARE(l.valueAt(1), QByteArray("a=b"));      // everything after the first "="
        QCOMPARE(l.name(2), QByteArray());
        QCOMPARE(l.name(3), QByteArray());  // a line without "=" has an empty name
        QCOMPARE(l.name(4), QByteArray(" "));  // nothing trimmed
        QCOMPARE(l.valueAt(4), QByteArray("x "));
        QCOMPARE(l.valueAt(5), QByteArray("1"));  // last line without an end
        QCOMPARE(listOf("a\n").count(), 1);
        QCOMPARE(listOf("").count(), 0);
    }

    void listLookUpIgnoresAsciiCaseAndTakesFirst()
    {
        const NameValueList l = listOf("Paris=1\nPARIS=2\nÉvry=3\n");
        QCOMPARE(l.value("paris"), QByteArray("1"));
        QCOMPARE(l.value("PaRiS"), QByteArray("1"));
        QCOMPARE(l.value("Évry"), QByteArray("3"));
        QCOMPARE(l.value("Lyon"), QByteArray());
        QVERIFY_THROWS_EXCEPTION(meteo::Error, l.name(3));
        QVERIFY_THROWS_EXCEPTION(meteo::Error, l.name(-1));
    }

    void listMissingFileNamesIt()
    {
        NameValueList l;
        try {
            l.loadFromFile(dir.filePath(QStringLiteral("villes.ini")));
            QFAIL("no error");
        } catch (const meteo::Error &e) {
            QVERIFY(QByteArray(e.what()).contains("villes.ini"));
        }
    }

    // --- Lookups -------------------------------------------------------------------------------

    void lookupsFollowThePath()
    {
        const QString nam = paris();
        QCOMPARE(meteo::getGenerique3(meteo::WeatherDocument(nam), "dayf", "day", "suns"), QByteArray("4:54 PM"));  // first day of two
        QCOMPARE(meteo::getGenerique3(meteo::WeatherDocument(nam), "dayf", "day", "hi"), QByteArray("9"));
        QCOMPARE(meteo::getGenerique2(meteo::WeatherDocument(nam), "cc", "t"), QByteArray("Partly Cloudy"));       // cc › t ...
        QCOMPARE(meteo::getGenerique3(meteo::WeatherDocument(nam), "cc", "wind", "t"), QByteArray("SW"));          // ... is not wind › t
    }

    void lookupKeepsTextAsWritten_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("blanks kept") << QByteArray("<tmp>7</tmp>") << QByteArray("<tmp>  7 </tmp>") << QByteArray("  7 ");
        QTest::newRow("comment splits text") << QByteArray("<tmp>7</tmp>") << QByteArray("<tmp>7<!-- c -->8</tmp>") << QByteArray("7");
        QTest::newRow("element first") << QByteArray("<tmp>7</tmp>") << QByteArray("<tmp><v>7<w>1</w></v>x</tmp>") << QByteArray("71");
        QTest::newRow("CDATA") << QByteArray("<tmp>7</tmp>") << QByteArray("<tmp><![CDATA[7&]]></tmp>") << QByteArray("7&");
        QTest::newRow("UTF-8") << QByteArray("<tmp>7</tmp>") << QByteArray("<tmp>7 °C é</tmp>") << QByteArray("7 °C é");
    }

    void lookupKeepsTextAsWritten()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QByteArray, expected);
        QCOMPARE(meteo::getGenerique2(meteo::WeatherDocument(paris(from, to)), "cc", "tmp"), expected);
    }

    void anyRootNameIsAccepted()
    {
        QByteArray doc = parisDocument();
        doc.replace("<weather ver=\"2.0\">", "<x:meteo xmlns:x=\"urn:x\">").replace("</weather>", "</x:meteo>");
        QCOMPARE(meteo::getGenerique2(meteo::WeatherDocument(document(doc)), "loc", "dnam"), QByteArray("Paris, France"));
    }

    void lookupFails_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::newRow("self-closing leaf") << QByteArray("<vis>10.0</vis>") << QByteArray("<vis/>");
        QTest::newRow("empty leaf") << QByteArray("<vis>10.0</vis>") << QByteArray("<vis></vis>");
        QTest::newRow("blanks only") << QByteArray("<vis>10.0</vis>") << QByteArray("<vis>   </vis>");
        QTest::newRow("missing") << QByteArray("<vis>10.0</vis>") << QByteArray();
        QTest::newRow("letter case") << QByteArray("<vis>10.0</vis>") << QByteArray("<VIS>10.0</VIS>");
        QTest::newRow("deeper, not direct") << QByteArray("<vis>10.0</vis>") << QByteArray("<x><vis>10.0</vis></x>");
    }

    void lookupFails()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        try {
            meteo::getGenerique2(meteo::WeatherDocument(paris(from, to)), "cc", "vis");
            QFAIL("no error");
        } catch (const meteo::Error &e) {
            QCOMPARE(QString::fromUtf8(e.what()), dir.filePath(QStringLiteral("weather.xml")) + QStringLiteral(": élément cc/vis absent ou vide"));
        }
    }

    void unreadableDocumentsFailNamingTheFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("not XML") << QByteArray("HTTP error 502");
        QTest::newRow("truncated") << parisDocument().left(400);
        QTest::newRow("empty") << QByteArray();
    }

    void unreadableDocumentsFailNamingTheFile()
    {
        QFETCH(QByteArray, bytes);
        try {
            meteo::getGenerique2(meteo::WeatherDocument(document(bytes)), "loc", "dnam");
            QFAIL("no error");
        } catch (const meteo::Error &e) {
            QVERIFY(QByteArray(e.what()).contains("weather.xml"));
        }
    }

    // --- The XML reader never reaches outside the document ---------------------------------------

    void externalEntitiesAreNeverFetched()
    {
        const QString secret = document("SECRET-BYTES", QStringLiteral("secret.txt"));
        QByteArray doc = parisDocument();
        doc.replace("<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                    "<?xml version=\"1.0\"?><!DOCTYPE weather [<!ENTITY x SYSTEM \"file://" + secret.toUtf8() + "\">]>");
        doc.replace("<dnam>Paris, France</dnam>", "<dnam>Paris&x;</dnam>");
        QByteArray text;
        try {
            text = meteo::getGenerique2(meteo::WeatherDocument(document(doc)), "loc", "dnam");
        } catch (const meteo::Error &) {
        }
        QVERIFY(!text.contains("SECRET"));
    }

    void entityBombIsRefused()
    {
        QByteArray dtd = "<!DOCTYPE weather [<!ENTITY a0 \"laughlaughlaughlaugh\">";
        for (int i = 1; i <= 12; ++i) {
            dtd += "<!ENTITY a" + QByteArray::number(i) + " \"";
            for (int k = 0; k < 10; ++k)
                dtd += "&a" + QByteArray::number(i - 1) + ";";
            dtd += "\">";
        }
        dtd += "]>";
        const QByteArray doc = "<?xml version=\"1.0\"?>" + dtd + "<weather><loc><dnam>&a12;</dnam></loc></weather>";
        QVERIFY_THROWS_EXCEPTION(meteo::Error, meteo::getGenerique2(meteo::WeatherDocument(document(doc)), "loc", "dnam"));
    }

    // --- The fill --------------------------------------------------------------------------------

    void fillReadsEveryFieldWithItsCaption()
    {
        TConditionMeteo c;
        meteo::assigneMeteo(paris(), c);
        QCOMPARE(c.Coucher_du_Soleil, (TTextes{"4:54 PM", "Coucher Du Soleil "}));
        QCOMPARE(c.Lever_du_Soleil, (TTextes{"8:34 AM", "Lever du Soleil "}));
        QCOMPARE(c.Humidite, (TTextes{"81", "Humidité "}));
        QCOMPARE(c.Humidite.LLabel.size(), 10);
        QCOMPARE(c.Temperature_Low, (TTextes{"3", "Température Prévue (Nuit) "}));
        QCOMPARE(c.Temperature_Low.LLabel.size(), 28);
        QCOMPARE(c.Temperature_Hi, (TTextes{"9", ""}));
        QCOMPARE(c.Temperature, (TTextes{"7", "Température "}));
        QCOMPARE(c.Temperature_Ressentie, (TTextes{"4", "Température Ressentie "}));
        QCOMPARE(c.Pression, (TTextes{"1016.3", "Pression "}));
        QCOMPARE(c.Station, (TTextes{"Paris (simulation)  12/6/26 3:52 PM Local Time", "Station de "}));
        QCOMPARE(c.Vent, (TTextes{"SW", "Vent "}));
        QCOMPARE(c.UV, (TTextes{"1", "Indice UV "}));
        QCOMPARE(c.Date_Mesure, QByteArray("3:52 PM"));
        QCOMPARE(c.Etat_Pression, QByteArray("falling"));
        QCOMPARE(c.Icon_Jour, QByteArray("30"));
        QCOMPARE(c.Nuages, QByteArray("Partly Cloudy"));
        QCOMPARE(c.Visibilite, QByteArray("10.0"));
        QCOMPARE(c.Ville_M, QByteArray("Paris, France"));
        QCOMPARE(c.Latitude, QByteArray("48.86"));
        QCOMPARE(c.Longitude, QByteArray("2.35"));
        QCOMPARE(c.Unite_Temp, QByteArray("C"));
        QCOMPARE(c.Unite_Pression, QByteArray("mb"));
    }

    void emptyVisibilityStopsTheFillAtItsStep()
    {
        TConditionMeteo c = markedRecord();
        QVERIFY_THROWS_EXCEPTION(meteo::Error, meteo::assigneMeteo(paris("<vis>10.0</vis>", "<vis/>"), c));
        QCOMPARE(c.Temperature_Ressentie.Texte, QByteArray("4"));  // step 12, done
        QCOMPARE(c.Visibilite, QByteArray("old"));                  // step 13 and after, untouched
        QCOMPARE(c.Ville_M, QByteArray("old"));
        QCOMPARE(c.Station, (TTextes{"old", "old "}));
        QCOMPARE(c.UV, (TTextes{"old", "old "}));
    }

    void missingHeadFailsAtStep18()
    {
        QByteArray doc = parisDocument();
        doc.remove(doc.indexOf("<head>"), doc.indexOf("</head>") + 7 - doc.indexOf("<head>"));
        TConditionMeteo c = markedRecord();
        QVERIFY_THROWS_EXCEPTION(meteo::Error, meteo::assigneMeteo(document(doc), c));
        QCOMPARE(c.Station.Texte, QByteArray("Paris (simulation)  12/6/26 3:52 PM Local Time"));  // step 17 done
        QCOMPARE(c.Unite_Temp, QByteArray("old"));
        QCOMPARE(c.Unite_Pression, QByteArray("old"));
        QCOMPARE(c.Vent, (TTextes{"old", "old "}));
        QCOMPARE(c.UV, (TTextes{"old", "old "}));
    }

    void stationUnchangedWhenEitherHalfIsMissing()
    {
        TConditionMeteo c = markedRecord();
        QVERIFY_THROWS_EXCEPTION(meteo::Error,
            meteo::assigneMeteo(paris("<lsup>12/6/26 3:52 PM Local Time</lsup>\n    <obst>", "<obst>"), c));
        QCOMPARE(c.Longitude, QByteArray("2.35"));
        QCOMPARE(c.Station, (TTextes{"old", "old "}));
    }

    void unreadableFileLeavesTheRecordUnchanged()
    {
        TConditionMeteo c = markedRecord();
        QVERIFY_THROWS_EXCEPTION(meteo::Error, meteo::assigneMeteo(dir.filePath(QStringLiteral("absent.xml")), c));
        QCOMPARE(c, markedRecord());
        QVERIFY_THROWS_EXCEPTION(meteo::Error, meteo::assigneMeteo(document("<weather><cc>"), c));
        QCOMPARE(c, markedRecord());
    }

    // --- Translation -----------------------------------------------------------------------------

    void translation_data()
    {
        QTest::addColumn<QByteArray>("dictionary");
        QTest::addColumn<QByteArray>("phrase");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("empty phrase") << QByteArray("a=b") << QByteArray() << QByteArray();
        QTest::newRow("first word in -ed moves with its blank") << QByteArray() << QByteArray("Scattered Showers") << QByteArray("Showers Scattered ");
        QTest::newRow("capital raised") << QByteArray() << QByteArray("cloudy") << QByteArray("Cloudy");
        QTest::newRow("no -ed, unchanged") << QByteArray() << QByteArray("Mostly Cloudy") << QByteArray("Mostly Cloudy");
        QTest::newRow("blank at 4 qualifies") << QByteArray() << QByteArray("Red Sky") << QByteArray("Sky Red ");
        QTest::newRow("blank at 3 does not") << QByteArray() << QByteArray("Ed Sky") << QByteArray("Ed Sky");
        QTest::newRow("ED upper case") << QByteArray() << QByteArray("SCATTERED SHOWERS") << QByteArray("SHOWERS SCATTERED ");
        QTest::newRow("eD mixed") << QByteArray() << QByteArray("isolateD storms") << QByteArray("Storms isolateD ");
        QTest::newRow("one word in -ed") << QByteArray() << QByteArray("scattered") << QByteArray("Scattered");
        QTest::newRow("only the first word") << QByteArray() << QByteArray("Mixed Scattered Showers") << QByteArray("Scattered Showers Mixed ");
        QTest::newRow("whole phrase entry never matches")
            << QByteArray("Scattered Showers=X") << QByteArray("Scattered Showers") << QByteArray("Showers Scattered ");
        QTest::newRow("reordered phrase entry matches")
            << QByteArray("Showers Scattered =averses éparses") << QByteArray("Scattered Showers") << QByteArray("Averses éparses");
        QTest::newRow("inside a longer word") << QByteArray("Rain=pluie") << QByteArray("Rainy") << QByteArray("Pluiey");
        QTest::newRow("case ignored") << QByteArray("rain=pluie") << QByteArray("HEAVY RAIN") << QByteArray("HEAVY pluie");
        QTest::newRow("later rewrites earlier") << QByteArray("a=b\nb=c") << QByteArray("a") << QByteArray("C");
        QTest::newRow("earlier never rewrites later") << QByteArray("b=c\na=b") << QByteArray("a") << QByteArray("B");
        QTest::newRow("no rescan of own output") << QByteArray("a=aa") << QByteArray("aaa") << QByteArray("Aaaaaa");
        QTest::newRow("duplicate name takes first value") << QByteArray("a=x\nx=a\nA=z") << QByteArray("a") << QByteArray("X");
        QTest::newRow("blanks around = belong to name and value")
            << QByteArray("Rain = pluie") << QByteArray("Light Rain here") << QByteArray("Light  pluiehere");
        QTest::newRow("blanks around = need the blanks") << QByteArray("Rain = pluie") << QByteArray("Rain") << QByteArray("Rain");
        QTest::newRow("line without = changes nothing") << QByteArray("[Section]\n\nRain") << QByteArray("rain") << QByteArray("Rain");
        QTest::newRow("accented first letter kept") << QByteArray("rain=éclaircie") << QByteArray("rain") << QByteArray("éclaircie");
        QTest::newRow("CR LF dictionary") << QByteArray("rising=en hausse\r\nfalling=en baisse\r\n") << QByteArray("falling") << QByteArray("En baisse");
    }

    void translation()
    {
        QFETCH(QByteArray, dictionary);
        QFETCH(QByteArray, phrase);
        QFETCH(QByteArray, expected);
        QCOMPARE(meteo::translate(phrase, listOf(dictionary)), expected);
    }

    void multiplyingDictionaryIsBounded()
    {
        // Each line quadruples the text: unbounded, forty lines would need 4^40 bytes.
        const QByteArray french = meteo::translate("a", listOf(QByteArray("a=aaaa\n").repeated(40) + "b=c\n"));
        QVERIFY(french.size() <= meteo::kMaxTranslatedBytes);
        QVERIFY(french.size() > meteo::kMaxTranslatedBytes / 4);  // applied as far as the bound allows
        QVERIFY(!french.contains('c'));  // entries after the overflow are not applied
    }

    // --- The shipped dictionary ------------------------------------------------------------------

    void shippedDictionary_data()
    {
        QTest::addColumn<QByteArray>("phrase");
        QTest::addColumn<QByteArray>("french");
        const QList<std::pair<const char *, const char *>> rows{
            {"Sunny", "Ensoleillé"}, {"Clear", "Dégagé"}, {"Fair", "Beau temps"},
            {"Partly Cloudy", "Partiellement nuageux"}, {"Cloudy", "Nuageux"}, {"Fog", "Brouillard"},
            {"Freezing Fog", "Brouillard givrant"}, {"Light Drizzle", "Bruine faible"}, {"Drizzle", "Bruine"},
            {"Heavy Drizzle", "Bruine forte"}, {"Freezing Drizzle", "Bruine verglaçante"},
            {"Light Rain", "Pluie faible"}, {"Rain", "Pluie"}, {"Heavy Rain", "Pluie forte"},
            {"Freezing Rain", "Pluie verglaçante"}, {"Light Snow", "Neige faible"}, {"Snow", "Neige"},
            {"Heavy Snow", "Neige forte"}, {"Snow Grains", "Neige granuleuse"},
            {"Scattered Showers", "Averses éparses "}, {"Showers", "Averses"}, {"Heavy Showers", "Fortes averses"},
            {"Light Snow Showers", "Averses de neige faibles"}, {"Snow Showers", "Averses de neige"},
            {"T-Storms", "Orages"}, {"T-Storms with Hail", "Orages avec grêle"}, {"Severe T-Storms", "Orages violents"},
            {"rising", "En hausse"}, {"falling", "En baisse"}, {"steady", "Stable"},
            // outside the table: still French word by word
            {"Mostly Cloudy", "Plutôt nuageux"}, {"Windy", "Venteux"}, {"Light Rain Showers", "Averses de pluie faibles"},
            {"Isolated T-Storms", "Orages isolé "}, {"Haze", "Brume sèche"}};
        for (const auto &[phrase, french] : rows)
            QTest::newRow(phrase) << QByteArray(phrase) << QByteArray(french);
    }

    void shippedDictionary()
    {
        QFETCH(QByteArray, phrase);
        QFETCH(QByteArray, french);
        NameValueList dictionary;
        dictionary.loadFromFile(QStringLiteral(METEO_DATA_DIR "/Dictionnaire.ini"));
        QCOMPARE(meteo::translate(phrase, dictionary), french);
    }

    void shippedDictionaryNeverRewritesItsOwnFrench()
    {
        NameValueList d;
        d.loadFromFile(QStringLiteral(METEO_DATA_DIR "/Dictionnaire.ini"));
        for (int i = 0; i < d.count(); ++i)
            for (int j = i + 1; j < d.count(); ++j)
                QVERIFY2(!d.valueAt(i).toLower().contains(d.name(j).toLower()),
                         (d.name(i) + " -> " + d.valueAt(i) + " is rewritten by " + d.name(j)).constData());
    }
};

int runWeatherDataTest(int argc, char **argv)
{
    WeatherDataTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_weatherdata.moc"
