// "Ma position": the position from the desktop, the commune nearest it from the service, then its
// weather as a choice in the menu gives it. What fails is said in the status bar and the city shown
// stays. The coordinates go to our own service alone, rounded, and are kept nowhere.
#include "citylist.h"
#include "errorreport.h"
#include "form1.h"
#include "positionfinder.h"
#include "common/frenchtext.h"
#include "net/communesearch.h"

using meteo::atEventBoundary;

void TForm1::MaPositionClick()
{
    atEventBoundary("MaPositionClick", [&] {
        if (!Position) {
            Position = new meteo::PositionFinder(this);
            connect(Position, &meteo::PositionFinder::found, this, &TForm1::positionFound);
            connect(Position, &meteo::PositionFinder::failed, this, [this](const QString &why) { setStatus(why.toUtf8()); });
        }
        setStatus("Ma position : recherche…");
        Position->timeoutMs = positionTimeout;
        Position->find();
    });
}

void TForm1::positionFound(double latitude, double longitude)
{
    atEventBoundary("positionFound", [&] {
        if (!PositionSearch) {
            PositionSearch = new meteo::CommuneSearch(serviceHost_, this);
            connect(PositionSearch, &meteo::CommuneSearch::found, this,
                    [this](const QString &, const meteo::CommuneList &answer) { nearestFound(answer); });
            connect(PositionSearch, &meteo::CommuneSearch::failed, this, [this](const QString &why) { setStatus(why.toUtf8()); });
        }
        PositionSearch->searchNear(latitude, longitude);
    });
}

void TForm1::nearestFound(const meteo::CommuneList &answer)
{
    atEventBoundary("nearestFound", [&] {
        if (answer.communes.isEmpty()) {
            setStatus("Aucune commune à moins de 30 km");
            return;
        }
        position_ = answer.communes.first();
        positionToSay_ = true;
        choisirVille(position_->code);
        updateAjouterPosition();
    });
}

// "Ma position : Quimper (29), à 0,4 km", once the commune's weather is shown.
QByteArray TForm1::positionStatus() const
{
    QByteArray text = "Ma position : " + position_->label;
    if (position_->km)
        text += ", à " + meteo::french::utf8(meteo::french::number(*position_->km, 1)) + " km";
    return text;
}

void TForm1::AjouterPositionClick()
{
    atEventBoundary("AjouterPositionClick", [&] {
        if (position_)
            AjouterVille(position_->name(), position_->label, position_->code);
        updateAjouterPosition();
    });
}

// Offered once a position's commune is known and not in the list yet.
void TForm1::updateAjouterPosition()
{
    AjouterPosition->setEnabled(position_ && cityLine(position_->code) < 0);
}
