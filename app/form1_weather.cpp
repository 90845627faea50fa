// The window's weather routines: lookups, fill, translation and the display refresh.
#include "cityweather.h"
#include "executable.h"
#include "form1.h"
#include "places.h"
#include "common/error.h"
#include "weather/cityreport.h"
#include "weather/extraction.h"
#include "weather/translation.h"

#include <QScopeGuard>

void TForm1::Assigne_Meteo(const QString &Nam)
{
    // The stored file was parsed and read by the download that stored it: its bytes are that
    // document's, its 22 values those the check read.
    if (Document.document && Document.document->fileName() == Nam) {
        CondMeteo = Document.condition;
        return;
    }
    auto parsed = std::make_shared<const meteo::WeatherDocument>(Nam);
    meteo::assigneMeteo(*parsed, CondMeteo);
    Document = {std::move(parsed), CondMeteo};
}

QByteArray TForm1::Traduire(const QByteArray &Phrase) const
{
    if (!Traductions)
        throw meteo::Error(QStringLiteral("Traduire : aucun dictionnaire chargé"));
    return meteo::translate(Phrase, *Traductions);
}

void TForm1::Mise_A_Jour()
{
    Chemin = meteo::executableDir();
    Traductions = std::make_unique<meteo::NameValueList>();
    const auto release = qScopeGuard([this] { Traductions.reset(); });  // on every path out
    Traductions->loadFromFile(Chemin + QStringLiteral("/Dictionnaire.ini"));
    Assigne_Meteo(meteo::Places::current().weatherFile());
    const meteo::Translator traduire = [this](const QByteArray &phrase) { return Traduire(phrase); };
    meteo::writeDisplay(CondMeteo, traduire, clock().date(), Chemin, *this);
    // The city's report, read once from this document while the dictionary is loaded: every other
    // window, the panel icon and the notices follow it.
    if (meteo::CityWeather *weather = weatherOf(requested_))
        weather->receive(meteo::readCityReport(*Document.document, CondMeteo, traduire, received_.isValid() ? received_ : clock()));
}
