// SPDX-License-Identifier: GPL-2.0-or-later
// The menus' commands and the handlers that choose which city to request: the "Villes" menu, the
// start city, adding and removing a city, "Mes villes", "Ma position" and the forecast windows.
#include "form1.h"

#include "companions.h"
#include "mainmenus.h"
#include "myposition.h"
#include "app/model/citylist.h"
#include "app/storage/settings.h"
#include "app/widgets/errorreport.h"
#include "app/widgets/windowparts.h"
#include "app/widgets/screenplacement.h"
#include "app/widgets/simplestatusbar.h"
#include "app/windows/formajout.h"
#include "app/windows/formcarte.h"
#include "app/windows/formvilles.h"
#include "common/error.h"

#include <QAction>

using meteo::atEventBoundary;

void TForm1::connectMenus()
{
    const std::pair<QAction *, void (TForm1::*)()> commands[] = {
        {Menus->Actualiser, &TForm1::ActualiserClick},   {Menus->AjouterVille, &TForm1::AjouterVilleClick},
        {Menus->RetirerVille, &TForm1::RetirerVilleClick}, {Menus->MesVilles, &TForm1::MesVillesClick},
        {Menus->Quitter, &TForm1::CloseAppli},           {Menus->PrevisionsNeufJours, &TForm1::PrevisionsClick},
        {Menus->PrevisionsHeures, &TForm1::HeuresClick}, {Menus->PrevisionsAir, &TForm1::AirClick},
        {Menus->PrevisionsCarte, &TForm1::CarteClick}};
    for (const auto &[action, handler] : commands)
        connect(action, &QAction::triggered, this, handler);
    // "Ma position": its commune shown as a menu choice shows a city, then offered to the list.
    Position = new meteo::MyPosition([this] { return serviceHost(); }, this);
    connect(Menus->MaPosition, &QAction::triggered, Position, [this] { Position->find(positionTimeout); });
    connect(Position, &meteo::MyPosition::status, this, &TForm1::setStatus);
    connect(Position, &meteo::MyPosition::found, this, &TForm1::showCommune);
    connect(Menus->AjouterPosition, &QAction::triggered, this, [this] {
        atEventBoundary("AjouterPosition", [&] {
            const meteo::FoundCommune commune = *offered_;
            Menus->offerPosition(commune.code);
            AjouterVille(commune.name(), commune.label, commune.code);
        });
    });
}

// A commune found by "Ma position" or on the rain map: its weather shown as a menu choice shows a
// city's, then offered to the list.
void TForm1::showCommune(const meteo::FoundCommune &commune)
{
    offered_ = commune;
    choisirVille(commune.code);
    Menus->offerPosition(commune.code);
}

void TForm1::CarteClick()
{
    atEventBoundary("CarteClick", [&] {
        const bool first = !Compagnons->Carte;
        Compagnons->openCarte([this] { return serviceHost(); });
        if (first)
            connect(Compagnons->Carte, &meteo::FormCarte::communeChosen, this, &TForm1::showCommune);
    });
}

void TForm1::AirClick()
{
    atEventBoundary("AirClick", [&] { Compagnons->openAir(); });
}

void TForm1::PrevisionsClick()
{
    atEventBoundary("PrevisionsClick", [&] { Compagnons->openPrevisions(); });
}

void TForm1::HeuresClick()
{
    atEventBoundary("HeuresClick", [&] { Compagnons->openHeures(); });
}

void TForm1::MesVillesClick()
{
    atEventBoundary("MesVillesClick", [&] {
        const bool first = !Overview;
        if (first) {
            // The city the window shows downloads through its own road; the overview leaves it out.
            Overview = new meteo::FormVilles(Villes.get(), serviceHost(), [this] { return shownCity_; }, this);
            connect(Overview, &meteo::FormVilles::cityChosen, this, &TForm1::choisirVille);
        }
        meteo::showBeside(Overview, this, first);
    });
}

void TForm1::choisirVille(const QByteArray &code)
{
    atEventBoundary("choisirVille", [&] {
        Ville = code;
        Request(Ville);
        Button1->setEnabled(true);
        Menus->showCity(shownCity_);  // the check stays with what is shown until it arrives
    });
}

void TForm1::MenuItemClick()
{
    QObject *Sender = sender();
    atEventBoundary("MenuItemClick", [&] {
        if (!Sender || !Villes)
            throw meteo::Error(QStringLiteral("MenuItemClick : aucune ville à choisir"));
        const int t = Sender->property("Tag").toInt();
        Ville = Villes->value(Villes->name(t - 1));
        Request(Ville);
        Button1->setEnabled(true);
        Menus->showCity(shownCity_);  // the click checked the item: the check stays with what is shown
    });
}

void TForm1::AjouterVilleClick()
{
    atEventBoundary("AjouterVilleClick", [&] {
        auto *dialog = new meteo::FormAjout(serviceHost(), this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &meteo::FormAjout::communeChosen, this,
                [this](const QByteArray &name, const QByteArray &label, const QByteArray &code) {
                    atEventBoundary("AjouterVille", [&] { AjouterVille(name, label, code); });
                });
        dialog->open();
    });
}

void TForm1::AjouterVille(const QByteArray &name, const QByteArray &label, const QByteArray &code)
{
    QString notAdded;
    try {
        Villes->addCommune(name, label, code);
    } catch (const meteo::Error &e) {
        notAdded = QString::fromUtf8(e.what());
    }
    // Its weather is shown all the same: the user asked for it.
    Ville = code;
    Request(Ville);
    Button1->setEnabled(true);
    if (!notAdded.isEmpty())
        throw meteo::Error(notAdded);
}

// Asks first (Non by default: Up Up from the top of the menu lands here), then removes the line. A
// remembered city that is removed is forgotten too, and the start city is shown.
void TForm1::RetirerVilleClick()
{
    atEventBoundary("RetirerVilleClick", [&] {
        const int line = Villes ? Villes->rowOf(Ville) : -1;
        if (line < 0 || !meteo::confirm(this, QStringLiteral("Retirer une ville"),
                                        QStringLiteral("Retirer %1 de la liste des villes ?").arg(QString::fromUtf8(Villes->name(line)))))
            return;
        const QByteArray removed = Ville;
        Villes->removeCity(removed);
        if (Edit1->text().toUtf8() == removed)
            Edit1->clear();
        requestStartCity();
        Button1->setEnabled(false);
    });
}

void TForm1::FormActivate()
{
    atEventBoundary("FormActivate", [&] { requestStartCity(); });
}

// The remembered city, else the first of the list.
void TForm1::requestStartCity()
{
    Ville = Edit1->text().toUtf8();
    if (Ville.isEmpty()) {
        if (!Villes || Villes->count() == 0) {
            setStatus("Aucune ville configurée : ajoutez des villes dans villes.ini");
            return;
        }
        Ville = Villes->value(Villes->name(0));
    }
    Request(Ville);
}

void TForm1::Button1Click()
{
    atEventBoundary("Button1Click", [&] {
        Edit1->setText(QString::fromUtf8(Ville));
        Button1->setEnabled(false);
        Reglages->chooseCity();
    });
}

void TForm1::FormClose()
{
    atEventBoundary("FormClose", [&] {
        Edit1->setText(QString::fromUtf8(Ville));
        Villes.reset();
    });
}
