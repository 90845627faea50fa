// The window's weather routines: lookups, fill, translation and the display refresh.
#include "executable.h"
#include "form1.h"
#include "formheures.h"
#include "formprevisions.h"
#include "places.h"
#include "common/error.h"
#include "weather/extraction.h"
#include "weather/translation.h"

#include <QScopeGuard>

void TForm1::Assigne_Meteo(const QString &Nam)
{
    // The stored file was parsed by the download that stored it: its bytes are that document's.
    if (Document && Document->fileName() == Nam)
        meteo::assigneMeteo(*Document, CondMeteo);
    else
        meteo::assigneMeteo(Nam, CondMeteo);
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
    meteo::writeDisplay(CondMeteo, [this](const QByteArray &phrase) { return Traduire(phrase); },
                        QDate::currentDate(), Chemin, *this);
    if (Previsions)
        Previsions->refresh(Document.get());  // they follow every refresh that succeeded
    if (Heures)
        Heures->refresh(Document.get());
}
