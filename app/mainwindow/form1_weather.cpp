// SPDX-License-Identifier: GPL-2.0-or-later
// The window's weather routines: lookups, fill, translation and the display refresh.
#include "form1.h"

#include "app/fetch/citydownload.h"
#include "app/model/citylist.h"
#include "app/model/cityweather.h"
#include "app/storage/executable.h"
#include "app/storage/places.h"
#include "common/error.h"
#include "weather/cityreport.h"
#include "weather/translation.h"

#include <QLabel>
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
    Traductions = meteo::CityDownload::dictionary();
    const auto release = qScopeGuard([this] { Traductions.reset(); });  // on every path out
    Assigne_Meteo(meteo::Places::current().weatherFile());
    const meteo::Translator traduire = [this](const QByteArray &phrase) { return Traduire(phrase); };
    // The city's report, read once from this document while the dictionary is loaded: the picture's
    // name, every other window, the panel icon and the notices take it from there.
    const auto report = meteo::CityDownload::read(Document, traduire, received_.isValid() ? received_ : clock());
    shownSky_ = QString::fromUtf8(report->sky);
    meteo::writeDisplay(CondMeteo, traduire, clock().date(), Chemin, *this);
    if (meteo::CityWeather *weather = weatherOf(requested_))
        weather->receive(report);
}
