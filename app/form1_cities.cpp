// The city list and its menu, and the handlers that choose which city to request.
#include "citylist.h"
#include "errorreport.h"
#include "form1.h"
#include "mnemonics.h"
#include "formajout.h"
#include "formheures.h"
#include "formprevisions.h"
#include "formvilles.h"
#include "formair.h"
#include "panelicon.h"
#include "screenplacement.h"
#include "common/error.h"

#include <QActionGroup>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QMenuBar>

using meteo::atEventBoundary;

namespace {
// The program's keys work from each of its windows, not only from the main one.
void everywhere(QAction *action, const QKeySequence &keys)
{
    action->setShortcut(keys);
    action->setShortcutContext(Qt::ApplicationShortcut);
}

// `mnemonic`: the position of the letter that Alt reaches, or -1 for one chosen with the others.
QAction *menuItem(QObject *owner, const QString &caption, int tag, int mnemonic = -1)
{
    auto *item = new QAction(owner);
    QString text = QString(caption).replace(u'&', QStringLiteral("&&"));  // a name's "&" is no mnemonic
    if (mnemonic >= 0)
        text.insert(mnemonic, u'&');
    item->setText(text);
    item->setProperty("Caption", caption);
    item->setProperty("Tag", tag);
    item->setProperty("GroupIndex", 1);
    item->setVisible(true);
    return item;
}
} // namespace

// The menu bar: "Villes" (the towns, then the commands) and "Prévisions". The commands are made
// once; the towns follow the list.
void TForm1::buildCityMenu()
{
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    setMenuBar(MainMenu);
    MenuVilles = new QMenu(QStringLiteral("&Villes"), this);
    MenuVilles->setObjectName(QStringLiteral("MenuVilles"));
    MenuVilles->menuAction()->setProperty("Tag", 0);
    MenuVilles->menuAction()->setProperty("GroupIndex", 0);
    MainMenu->addMenu(MenuVilles);
    Actualiser = menuItem(this, QStringLiteral("Actualiser"), 0, 0);
    Actualiser->setObjectName(QStringLiteral("Actualiser"));
    everywhere(Actualiser, QKeySequence(Qt::Key_F5));
    connect(Actualiser, &QAction::triggered, this, &TForm1::ActualiserClick);
    AjouterVilleItem = menuItem(this, QStringLiteral("Ajouter une ville…"), 0, 1);
    AjouterVilleItem->setObjectName(QStringLiteral("AjouterVille"));
    connect(AjouterVilleItem, &QAction::triggered, this, &TForm1::AjouterVilleClick);
    RetirerVille = menuItem(this, QString(), 0);
    RetirerVille->setObjectName(QStringLiteral("RetirerVille"));
    connect(RetirerVille, &QAction::triggered, this, &TForm1::RetirerVilleClick);
    MesVilles = menuItem(this, QStringLiteral("Mes villes"), 0, 0);
    MesVilles->setObjectName(QStringLiteral("MesVilles"));
    everywhere(MesVilles, QKeySequence(Qt::CTRL | Qt::Key_M));
    connect(MesVilles, &QAction::triggered, this, &TForm1::MesVillesClick);
    MaPosition = menuItem(this, QStringLiteral("Ma position"), 0, 3);
    MaPosition->setObjectName(QStringLiteral("MaPosition"));
    connect(MaPosition, &QAction::triggered, this, &TForm1::MaPositionClick);
    AjouterPosition = menuItem(this, QStringLiteral("Ajouter à mes villes"), 0, 14);
    AjouterPosition->setObjectName(QStringLiteral("AjouterPosition"));
    AjouterPosition->setEnabled(false);
    connect(AjouterPosition, &QAction::triggered, this, &TForm1::AjouterPositionClick);
    Quitter = menuItem(this, QStringLiteral("Quitter"), 0, 0);
    Quitter->setObjectName(QStringLiteral("Quitter"));
    everywhere(Quitter, QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(Quitter, &QAction::triggered, this, &TForm1::CloseAppli);
    fillCityMenu();
    if (Villes)
        connect(Villes.get(), &QAbstractItemModel::modelReset, this, &TForm1::fillCityMenu);

    MenuPrevisions = new QMenu(QStringLiteral("&Prévisions"), this);
    MenuPrevisions->setObjectName(QStringLiteral("MenuPrevisions"));
    MainMenu->addMenu(MenuPrevisions);
    PrevisionsNeufJours = MenuPrevisions->addAction(QStringLiteral("Prévisions sur 9 jours"));
    PrevisionsNeufJours->setObjectName(QStringLiteral("PrevisionsNeufJours"));
    everywhere(PrevisionsNeufJours, QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(PrevisionsNeufJours, &QAction::triggered, this, &TForm1::PrevisionsClick);
    PrevisionsHeures = MenuPrevisions->addAction(QStringLiteral("Prochaines 48 heures"));
    PrevisionsHeures->setObjectName(QStringLiteral("PrevisionsHeures"));
    everywhere(PrevisionsHeures, QKeySequence(Qt::CTRL | Qt::Key_H));
    connect(PrevisionsHeures, &QAction::triggered, this, &TForm1::HeuresClick);
    PrevisionsAir = MenuPrevisions->addAction(QStringLiteral("Air et pollens"));
    PrevisionsAir->setObjectName(QStringLiteral("PrevisionsAir"));
    everywhere(PrevisionsAir, QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(PrevisionsAir, &QAction::triggered, this, &TForm1::AirClick);
    MenuPrevisions->addSeparator();
    QMenu *pollens = MenuPrevisions->addMenu(QStringLiteral("Pollens qui me gênent"));
    pollens->setObjectName(QStringLiteral("PollensGenants"));
    for (int t = 0; t < meteo::kTaxa; ++t) {
        const QString name = QString::fromUtf8(meteo::taxonName(meteo::Taxon(t)));
        QAction *item = pollens->addAction(name.left(1).toUpper() + name.mid(1));
        item->setCheckable(true);
        item->setProperty("Taxon", QString::fromLatin1(meteo::taxonAttribute(meteo::Taxon(t))));
        connect(item, &QAction::toggled, this, [this] {
            setPollensGenants(PollensGenants());
            warnIfNotKept(QStringLiteral("Le choix des pollens ne sera pas retenu"));
        });
        PollensItems << item;
    }
    AvertirPluieItem = MenuPrevisions->addAction(QStringLiteral("Avertir de la pluie"));
    AvertirPluieItem->setObjectName(QStringLiteral("AvertirPluie"));
    AvertirPluieItem->setCheckable(true);
    AvertirPluieItem->setChecked(avertirPluie_);
    connect(AvertirPluieItem, &QAction::toggled, this, &TForm1::setAvertirPluie);
    meteo::giveMnemonics(pollens);
    meteo::giveMnemonics(MenuPrevisions);
}

// The panel icon's menu, in the window's order: showing or hiding the window, the towns (the one
// shown checked, the same items as the "Villes" menu's), Mes villes and refreshing, the forecast
// windows and the rain notices, and "Quitter".
void TForm1::fillPanelMenu()
{
    if (!Panneau)
        return;
    QMenu *menu = Panneau->tray()->contextMenu();
    menu->clear();
    menu->addAction(Panneau->toggleAction());
    menu->addSeparator();
    for (QAction *item : MenuVilles->actions())
        if (item->isCheckable())
            menu->addAction(item);
    menu->addSeparator();
    for (QAction *item : {MesVilles, Actualiser})
        menu->addAction(item);
    menu->addSeparator();
    for (QAction *item : {PrevisionsNeufJours, PrevisionsHeures, PrevisionsAir, AvertirPluieItem})
        if (item)
            menu->addAction(item);
    menu->addSeparator();
    menu->addAction(Quitter);
}

// Opens a forecast window with the stored document (made, filled and placed beside the main window
// where it fits, wholly on a screen, the first time), or brings it forward.
template <class Window>
void TForm1::openForecastWindow(Window *&window)
{
    const bool first = !window;
    if (first) {
        window = new Window(this);
        window->follow(Affichee);
    }
    showBeside(window, first);
}

// A window of ours shown (placed beside the main window where it fits, wholly on a screen, the
// first time), or brought forward.
void TForm1::showBeside(QWidget *window, bool first)
{
    if (first) {
        window->resize(meteo::fittedToScreen(window->sizeHint().expandedTo(window->size()), window->minimumSizeHint(), this));
        window->move(meteo::besideOnScreen(meteo::frameRectOf(this), meteo::frameRectOf(window).size(),
                                           meteo::availableScreens()));
        meteo::keepWholeOnScreen(window);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void TForm1::MesVillesClick()
{
    atEventBoundary("MesVillesClick", [&] {
        const bool first = !Overview;
        if (first) {
            // The city the window shows downloads through its own road; the overview leaves it out.
            Overview = new meteo::FormVilles(Villes.get(), serviceHost_, [this] { return shownCity_; }, this);
            connect(Overview, &meteo::FormVilles::cityChosen, this, &TForm1::choisirVille);
        }
        showBeside(Overview, first);
    });
}

void TForm1::choisirVille(const QByteArray &code)
{
    atEventBoundary("choisirVille", [&] {
        Ville = code;
        Request(Ville);
        Button1->setEnabled(true);
        checkShownCity();
    });
}

void TForm1::AirClick()
{
    atEventBoundary("AirClick", [&] { openForecastWindow(AirPollens); });
}

void TForm1::PrevisionsClick()
{
    atEventBoundary("PrevisionsClick", [&] { openForecastWindow(Previsions); });
}

void TForm1::HeuresClick()
{
    atEventBoundary("HeuresClick", [&] { openForecastWindow(Heures); });
}

// The cities of the list, then the separator, refreshing, adding and removing a city, and "Quitter".
void TForm1::fillCityMenu()
{
    for (QAction *old : MenuVilles->actions())
        if (old->isCheckable() || old->isSeparator())
            old->deleteLater();  // the towns and the separator; the commands stay
    for (QActionGroup *old : MenuVilles->findChildren<QActionGroup *>(Qt::FindDirectChildrenOnly))
        old->deleteLater();
    MenuVilles->clear();
    const int N = Villes ? Villes->count() : 0;
    // The city shown is checked: one at most, as radio items.
    auto *shown = new QActionGroup(MenuVilles);
    shown->setExclusive(true);
    for (int k = 1; k <= N; ++k) {
        QAction *item = menuItem(this, QString::fromUtf8(Villes->name(k - 1)), k);
        item->setCheckable(true);
        item->setActionGroup(shown);
        connect(item, &QAction::triggered, this, &TForm1::MenuItemClick);
        MenuVilles->addAction(item);
    }
    QAction *separator = menuItem(this, QStringLiteral("-"), 0);
    separator->setSeparator(true);
    separator->setText(QString());  // the caption "-" names it; some styles would draw it
    MenuVilles->addAction(separator);
    Quitter->setProperty("Tag", N + 1);
    for (QAction *command : {MesVilles, MaPosition, AjouterPosition, Actualiser, AjouterVilleItem, RetirerVille, Quitter})
        MenuVilles->addAction(command);
    updateRetirerVille();
    updateAjouterPosition();
    checkShownCity();
    meteo::giveMnemonics(MenuVilles);
    fillPanelMenu();
}

// The item of the city whose weather the window shows.
void TForm1::checkShownCity()
{
    const int line = cityLine(shownCity_);
    for (QAction *item : MenuVilles->actions())
        if (item->isCheckable())
            item->setChecked(item->property("Tag").toInt() == line + 1);
}

// "Retirer <name>" names the city of the last request; there is nothing to remove when it is not
// in the list.
void TForm1::updateRetirerVille()
{
    const int line = cityLine(Ville);
    RetirerVille->setEnabled(line >= 0);
    QString caption = line >= 0 ? QStringLiteral("Retirer ") + QString::fromUtf8(Villes->name(line))
                                      : QStringLiteral("Retirer la ville");
    RetirerVille->setText(u'&' + caption.replace(u'&', QStringLiteral("&&")));
}

void TForm1::AjouterVilleClick()
{
    atEventBoundary("AjouterVilleClick", [&] {
        auto *dialog = new meteo::FormAjout(serviceHost_, this);
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
    bool known = false, nameTaken = false;
    for (int i = 0; Villes && i < Villes->count(); ++i) {
        known = known || Villes->valueAt(i) == code;
        nameTaken = nameTaken || meteo::equalsIgnoringAsciiCase(Villes->name(i), name);
    }
    QString notAdded;
    try {
        if (!known)  // two communes of one name are told apart by their department
            Villes->add(nameTaken ? label : name, code);
    } catch (const meteo::Error &e) {
        notAdded = QString::fromUtf8(name) + QStringLiteral(" n'a pas été ajoutée à la liste des villes : ") + QString::fromUtf8(e.what());
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
        const int line = cityLine(Ville);
        if (line < 0)
            return;
        QMessageBox box(QMessageBox::Question, QStringLiteral("Retirer une ville"),
                        QStringLiteral("Retirer %1 de la liste des villes ?").arg(QString::fromUtf8(Villes->name(line))),
                        QMessageBox::NoButton, this);
        QPushButton *oui = box.addButton(QStringLiteral("Oui"), QMessageBox::YesRole);
        QPushButton *non = box.addButton(QStringLiteral("Non"), QMessageBox::NoRole);
        box.setDefaultButton(non);
        box.setEscapeButton(non);
        box.exec();
        if (box.clickedButton() != oui)
            return;
        const QByteArray removed = Ville;
        try {
            Villes->remove(removed);
        } catch (const meteo::Error &e) {
            throw meteo::Error(QString::fromUtf8(Villes->name(line)) + QStringLiteral(" n'a pas été retirée de la liste des villes : ")
                               + QString::fromUtf8(e.what()));
        }
        if (Edit1->text().toUtf8() == removed)
            Edit1->clear();
        requestStartCity();
        Button1->setEnabled(false);
    });
}

int TForm1::cityLine(const QByteArray &code) const
{
    return Villes ? Villes->rowOf(code) : -1;
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
        checkShownCity();  // the click checked the item: the check stays with what is shown until it arrives
    });
}

void TForm1::Button1Click()
{
    atEventBoundary("Button1Click", [&] {
        Edit1->setText(QString::fromUtf8(Ville));
        Button1->setEnabled(false);
        warnIfNotKept(QStringLiteral("La ville mémorisée ne sera pas retenue"));
    });
}

void TForm1::FormClose()
{
    atEventBoundary("FormClose", [&] {
        Edit1->setText(QString::fromUtf8(Ville));
        Villes.reset();
    });
}
