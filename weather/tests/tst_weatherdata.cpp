// SPDX-License-Identifier: GPL-2.0-or-later
// Weather data: the name=value list, the lookups and the fill of the weather record, the XML reader's
// safety, and the translation with its shipped dictionary.
#include "service/document/conditions.h"
#include "testsupport.h"
#include "common/error.h"
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

    // --- Lookups -------------------------------------------------------------------------------

    void lookupsFollowThePath()
    {
        const QString nam = paris();
        QCOMPARE(meteo::getGenerique3(meteo::WeatherDocument(nam), "dayf", "day", "suns"), QByteArray("4:54 PM"));  // first day of two
        QCOMPARE(meteo::getGenerique3(meteo::WeatherDocument(nam), "dayf", "day", "hi"), QByteArray("9"));
        QCOMPARE(meteo::getGenerique2(meteo::WeatherDocument(nam), "cc", "t"), QByteArray("Partly Cloudy"));       // cc › t ...
        QCOMPARE(meteo::getGenerique3(meteo::WeatherDocument(nam), "cc", "wind", "t"), QByteArray("SW"));          // ... is not wind › t
    }

    // The text as written, or an error naming the file and the path when there is none (empty: fails).
    void lookupOfOneValue_data()
    {
        QTest::addColumn<QByteArray>("to");  // what replaces <vis>10.0</vis>
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("comment splits text") << QByteArray("<vis>7<!-- c -->8</vis>") << QByteArray("7");
        QTest::newRow("element first") << QByteArray("<vis><v>7<w>1</w></v>x</vis>") << QByteArray("71");
        QTest::newRow("CDATA") << QByteArray("<vis><![CDATA[7&]]></vis>") << QByteArray("7&");
        QTest::newRow("self-closing leaf") << QByteArray("<vis/>") << QByteArray();
        QTest::newRow("empty leaf") << QByteArray("<vis></vis>") << QByteArray();
        QTest::newRow("missing") << QByteArray() << QByteArray();
        QTest::newRow("deeper, not direct") << QByteArray("<x><vis>10.0</vis></x>") << QByteArray();
    }

    void lookupOfOneValue()
    {
        QFETCH(QByteArray, to);
        QFETCH(QByteArray, expected);
        try {
            QCOMPARE(meteo::getGenerique2(meteo::WeatherDocument(paris("<vis>10.0</vis>", to)), "cc", "vis"), expected);
            QVERIFY(!expected.isEmpty());
        } catch (const meteo::Error &e) {
            QVERIFY(expected.isEmpty());
            QCOMPARE(QString::fromUtf8(e.what()), dir.filePath(QStringLiteral("weather.xml")) + QStringLiteral(": élément cc/vis absent ou vide"));
        }
    }

    // A file that cannot be read, is not XML, is cut short, or declares entities (an external file
    // to fetch, a "billion laughs" bomb) fails naming the file, and the record keeps what it had.
    void unreadableDocumentsFailAndChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray bomb = "<?xml version=\"1.0\"?><!DOCTYPE weather [<!ENTITY a0 \"laugh\">";
        for (int i = 1; i <= 12; ++i)
            bomb += "<!ENTITY a" + QByteArray::number(i) + " \"" + ("&a" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
        QTest::newRow("bomb") << bomb + "]><weather><loc><dnam>&a12;</dnam></loc></weather>";
        QTest::newRow("external") << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><w><loc><dnam>&x;</dnam></loc></w>");
        QTest::newRow("not XML") << QByteArray("HTTP error 502");
        QTest::newRow("truncated") << parisDocument().left(400);
        QTest::newRow("absent") << QByteArray();
    }

    void unreadableDocumentsFailAndChangeNothing()
    {
        QFETCH(QByteArray, bytes);
        const QString path = bytes.isEmpty() ? dir.filePath(QStringLiteral("absent.xml")) : document(bytes);
        TConditionMeteo c, before;
        before.Ville_M = c.Ville_M = "old";
        try {
            meteo::assigneMeteo(path, c);
            QFAIL("no error");
        } catch (const meteo::Error &e) {
            QVERIFY(QString::fromUtf8(e.what()).contains(path));
        }
        QCOMPARE(c, before);
    }

    // --- Translation -----------------------------------------------------------------------------

    void translation_data()
    {
        QTest::addColumn<QByteArray>("dictionary");
        QTest::addColumn<QByteArray>("phrase");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("empty phrase") << QByteArray("a=b") << QByteArray() << QByteArray();
        QTest::newRow("first word in -ed moves with its blank") << QByteArray() << QByteArray("Scattered Showers") << QByteArray("Showers Scattered ");
        QTest::newRow("blank at 3 does not") << QByteArray() << QByteArray("Ed Sky") << QByteArray("Ed Sky");
        QTest::newRow("only the first word") << QByteArray() << QByteArray("Mixed Scattered Showers") << QByteArray("Scattered Showers Mixed ");
        QTest::newRow("whole phrase entry never matches")
            << QByteArray("Scattered Showers=X") << QByteArray("Scattered Showers") << QByteArray("Showers Scattered ");
        QTest::newRow("reordered phrase entry matches")
            << QByteArray("Showers Scattered =averses éparses") << QByteArray("Scattered Showers") << QByteArray("Averses éparses");
        QTest::newRow("inside a longer word") << QByteArray("Rain=pluie") << QByteArray("Rainy") << QByteArray("Pluiey");
        QTest::newRow("later rewrites earlier") << QByteArray("a=b\nb=c") << QByteArray("a") << QByteArray("C");
        QTest::newRow("earlier never rewrites later") << QByteArray("b=c\na=b") << QByteArray("a") << QByteArray("B");
        QTest::newRow("no rescan of own output") << QByteArray("a=aa") << QByteArray("aaa") << QByteArray("Aaaaaa");
        QTest::newRow("blanks around = belong to name and value")
            << QByteArray("Rain = pluie") << QByteArray("Light Rain here") << QByteArray("Light  pluiehere");
        QTest::newRow("line without = changes nothing") << QByteArray("[Section]\n\nRain") << QByteArray("rain") << QByteArray("Rain");
        QTest::newRow("accented first letter kept") << QByteArray("rain=éclaircie") << QByteArray("rain") << QByteArray("éclaircie");
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

    // Every phrase the service writes comes out French: none of its English words is left. The
    // French itself lives in the dictionary alone.
    void shippedDictionaryCoversTheServicesPhrases()
    {
        NameValueList dictionary;
        dictionary.loadFromFile(QStringLiteral(METEO_DATA_DIR "/Dictionnaire.ini"));
        QList<QByteArray> phrases{"rising", "falling", "steady"};
        for (const service::Condition &c : service::conditions())
            phrases << c.dayPhrase << c.nightPhrase;
        for (const QByteArray &phrase : phrases) {
            const QByteArray french = meteo::translate(phrase, dictionary);
            for (const QByteArray &word : phrase.split(' '))
                QVERIFY2(!french.toLower().contains(word.toLower()), (phrase + " -> " + french).constData());
            QVERIFY((french[0] >= 'A' && french[0] <= 'Z') || french.startsWith("É"));
        }
    }

    // Phrases outside the service's table still read as French, connecting words included.
    void shippedDictionaryFallsBackOnWords_data()
    {
        QTest::addColumn<QByteArray>("phrase");
        QTest::addColumn<QByteArray>("french");
        const QList<std::pair<const char *, const char *>> rows{
            {"Drizzle and Fog", "Bruine et brouillard"}, {"Light Snow Shower", "Averse de neige faible"},
            {"Rain to Snow", "Pluie puis neige"}, {"Chance of Rain", "Risque de pluie"},
            {"Thunderstorms in the Vicinity", "Orages à proximité"}, {"Clouds and Sun", "Nuages et soleil"},
            {"Patches of Fog", "Bancs de brouillard"}, {"Isolated T-Storms", "Orages isolé "},
            {"Clear Sky", "Ciel dégagé"}, {"Overcast Sky", "Couvert ciel"}, {"Breezy and Haze", "Brise et brume sèche"}};
        for (const auto &[phrase, french] : rows)
            QTest::newRow(phrase) << QByteArray(phrase) << QByteArray(french);
    }

    void shippedDictionaryFallsBackOnWords()
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

static const testing::RegisterTest<WeatherDataTest> registeredWeatherDataTest;

#include "tst_weatherdata.moc"
