// The city list and its menu, and the handlers that choose which city to request.
#include "errorreport.h"
#include "form1.h"
#include "weather/error.h"

#include <QMenu>
#include <QMenuBar>

using meteo::atEventBoundary;

namespace {
QAction *menuItem(QObject *owner, const QString &caption, int tag)
{
    auto *item = new QAction(owner);
    item->setText(QString(caption).replace(u'&', QStringLiteral("&&")));  // a name, not a shortcut
    item->setProperty("Caption", caption);
    item->setProperty("Tag", tag);
    item->setProperty("GroupIndex", 1);
    item->setVisible(true);
    return item;
}
} // namespace

void TForm1::buildCityMenu()
{
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    setMenuBar(MainMenu);
    auto *villes = new QMenu(QStringLiteral("Villes"), this);
    villes->setObjectName(QStringLiteral("MenuVilles"));
    villes->menuAction()->setProperty("Tag", 0);
    villes->menuAction()->setProperty("GroupIndex", 0);
    MainMenu->addMenu(villes);
    const int N = Villes ? Villes->count() : 0;
    for (int k = 1; k <= N; ++k) {
        QAction *item = menuItem(this, QString::fromUtf8(Villes->name(k - 1)), k);
        connect(item, &QAction::triggered, this, &TForm1::MenuItemClick);
        villes->addAction(item);
    }
    QAction *separator = menuItem(this, QStringLiteral("-"), 0);
    separator->setSeparator(true);
    villes->addAction(separator);
    QAction *quit = menuItem(this, QStringLiteral("Quitter"), N + 1);
    connect(quit, &QAction::triggered, this, &TForm1::CloseAppli);
    villes->addAction(quit);
}

void TForm1::FormActivate()
{
    atEventBoundary("FormActivate", [&] {
        Ville = Edit1->text().toUtf8();
        if (Ville.isEmpty()) {
            if (!Villes || Villes->count() == 0) {
                setStatus("Aucune ville configurée : ajoutez des villes dans villes.ini");
                return;
            }
            Ville = Villes->value(Villes->name(0));
        }
        Request(Ville);
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
    });
}

void TForm1::Button1Click()
{
    atEventBoundary("Button1Click", [&] {
        Edit1->setText(QString::fromUtf8(Ville));
        Button1->setEnabled(false);
    });
}

void TForm1::FormClose()
{
    atEventBoundary("FormClose", [&] {
        Edit1->setText(QString::fromUtf8(Ville));
        Villes.reset();
    });
}
