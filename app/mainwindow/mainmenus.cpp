// SPDX-License-Identifier: GPL-2.0-or-later
#include "mainmenus.h"

#include "app/model/citylist.h"
#include "app/storage/settings.h"
#include "app/widgets/mnemonics.h"
#include "common/airkinds.h"

#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace meteo {
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
    // A name's "&" is no mnemonic, and a tab would be drawn as the shortcut column.
    QString text = QString(caption).replace(u'&', QStringLiteral("&&")).replace(u'\t', u' ');
    if (mnemonic >= 0)
        text.insert(mnemonic, u'&');
    item->setText(text);
    item->setProperty("Caption", caption);
    item->setProperty("Tag", tag);
    item->setProperty("GroupIndex", 1);
    item->setVisible(true);
    return item;
}

QAction *command(QObject *owner, const char *name, const QString &caption, int mnemonic, const QKeySequence &keys = {})
{
    QAction *item = menuItem(owner, caption, 0, mnemonic);
    item->setObjectName(QString::fromLatin1(name));
    if (!keys.isEmpty())
        everywhere(item, keys);
    return item;
}

QAction *forecast(QMenu *menu, const char *name, const QString &caption, const QKeySequence &keys)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    everywhere(item, keys);
    return item;
}

} // namespace

MainMenus::MainMenus(QMainWindow *window, CityList *cities, Settings *settings, std::function<void(QAction *)> connectTown)
    : QObject(window), cities_(cities), connectTown_(std::move(connectTown))
{
    bar = new QMenuBar(window);
    bar->setObjectName(QStringLiteral("MainMenu"));
    window->setMenuBar(bar);
    MenuVilles = new QMenu(QStringLiteral("&Villes"), window);
    MenuVilles->setObjectName(QStringLiteral("MenuVilles"));
    MenuVilles->menuAction()->setProperty("Tag", 0);
    MenuVilles->menuAction()->setProperty("GroupIndex", 0);
    bar->addMenu(MenuVilles);
    Actualiser = command(window, "Actualiser", QStringLiteral("Actualiser"), 0, Qt::Key_F5);
    AjouterVille = command(window, "AjouterVille", QStringLiteral("Ajouter une ville…"), 1);
    RetirerVille = command(window, "RetirerVille", QString(), -1);
    MesVilles = command(window, "MesVilles", QStringLiteral("Mes villes"), 0, Qt::CTRL | Qt::Key_M);
    MaPosition = command(window, "MaPosition", QStringLiteral("Ma position"), 3);
    AjouterPosition = command(window, "AjouterPosition", QStringLiteral("Ajouter à mes villes"), 14);
    AjouterPosition->setEnabled(false);
    Quitter = command(window, "Quitter", QStringLiteral("Quitter"), 0, Qt::CTRL | Qt::Key_Q);

    MenuPrevisions = new QMenu(QStringLiteral("&Prévisions"), window);
    MenuPrevisions->setObjectName(QStringLiteral("MenuPrevisions"));
    bar->addMenu(MenuPrevisions);
    PrevisionsNeufJours = forecast(MenuPrevisions, "PrevisionsNeufJours", QStringLiteral("Prévisions sur 9 jours"), Qt::CTRL | Qt::Key_P);
    PrevisionsHeures = forecast(MenuPrevisions, "PrevisionsHeures", QStringLiteral("Prochaines 48 heures"), Qt::CTRL | Qt::Key_H);
    PrevisionsAir = forecast(MenuPrevisions, "PrevisionsAir", QStringLiteral("Air et pollens"), Qt::CTRL | Qt::Key_L);
    PrevisionsCarte = forecast(MenuPrevisions, "PrevisionsCarte", QStringLiteral("Carte des pluies"), Qt::CTRL | Qt::Key_R);
    MenuPrevisions->addSeparator();
    MenuPollens = MenuPrevisions->addMenu(QStringLiteral("Pollens qui me gênent"));
    MenuPollens->setObjectName(QStringLiteral("PollensGenants"));
    for (int t = 0; t < kTaxa; ++t) {
        const QString name = QString::fromUtf8(taxonName(Taxon(t)));
        QAction *item = MenuPollens->addAction(name.left(1).toUpper() + name.mid(1));
        item->setCheckable(true);
        item->setChecked(settings->pollens().contains(Taxon(t)));
        connect(item, &QAction::toggled, settings, [settings, t](bool on) { settings->choosePollen(Taxon(t), on); });
    }
    connect(settings, &Settings::pollensChanged, this, [this](const QSet<Taxon> &chosen) {
        const QList<QAction *> items = MenuPollens->actions();
        for (int t = 0; t < int(items.size()); ++t) {
            const QSignalBlocker quiet(items[t]);
            items[t]->setChecked(chosen.contains(Taxon(t)));
        }
    });
    AvertirPluie = MenuPrevisions->addAction(QStringLiteral("Avertir de la pluie"));
    AvertirPluie->setObjectName(QStringLiteral("AvertirPluie"));
    AvertirPluie->setCheckable(true);
    AvertirPluie->setChecked(settings->rainWanted());
    connect(AvertirPluie, &QAction::toggled, settings, &Settings::chooseRainWanted);
    connect(settings, &Settings::rainWantedChanged, AvertirPluie, &QAction::setChecked);
    giveMnemonics(MenuPollens);
    giveMnemonics(MenuPrevisions);

    fillTowns();
    if (cities_)
        for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
            connect(cities_, signal, this, &MainMenus::fillTowns);
    if (cities_)
        connect(cities_, &QAbstractItemModel::modelReset, this, &MainMenus::fillTowns);
}

// The cities of the list, then the separator and the commands.
void MainMenus::fillTowns()
{
    for (QAction *old : MenuVilles->actions())
        if (old->isCheckable() || old->isSeparator())
            old->deleteLater();  // the towns and the separator; the commands stay
    for (QActionGroup *old : MenuVilles->findChildren<QActionGroup *>(Qt::FindDirectChildrenOnly))
        old->deleteLater();
    MenuVilles->clear();
    const int N = cities_ ? cities_->count() : 0;
    // The city shown is checked: one at most, as radio items.
    auto *shown = new QActionGroup(MenuVilles);
    shown->setExclusive(true);
    for (int k = 1; k <= N; ++k) {
        QAction *item = menuItem(parent(), QString::fromUtf8(cities_->name(k - 1)), k);
        item->setCheckable(true);
        item->setActionGroup(shown);
        connectTown_(item);
        MenuVilles->addAction(item);
    }
    QAction *separator = menuItem(parent(), QStringLiteral("-"), 0);
    separator->setSeparator(true);
    separator->setText(QString());  // the caption "-" names it; some styles would draw it
    MenuVilles->addAction(separator);
    Quitter->setProperty("Tag", N + 1);
    for (QAction *c : {MesVilles, MaPosition, AjouterPosition, Actualiser, AjouterVille, RetirerVille, Quitter})
        MenuVilles->addAction(c);
    nameRequested(requested_);
    offerPosition(position_);
    showCity(shown_);
    giveMnemonics(MenuVilles);
    Q_EMIT townsChanged();
}

void MainMenus::showCity(const QByteArray &code)
{
    shown_ = code;
    const int line = cities_ ? cities_->rowOf(code) : -1;
    for (QAction *item : MenuVilles->actions())
        if (item->isCheckable())
            item->setChecked(item->property("Tag").toInt() == line + 1);
}

void MainMenus::nameRequested(const QByteArray &code)
{
    requested_ = code;
    const int line = cities_ ? cities_->rowOf(code) : -1;
    RetirerVille->setEnabled(line >= 0);
    QString caption = line >= 0 ? QStringLiteral("Retirer ") + QString::fromUtf8(cities_->name(line)) : QStringLiteral("Retirer la ville");
    RetirerVille->setText(u'&' + caption.replace(u'&', QStringLiteral("&&")).replace(u'\t', u' '));
}

void MainMenus::offerPosition(const QByteArray &code)
{
    position_ = code;
    AjouterPosition->setEnabled(!code.isEmpty() && cities_ && cities_->rowOf(code) < 0);
}

void MainMenus::fillPanelMenu(QMenu *menu, QAction *toggle) const
{
    menu->clear();
    menu->addAction(toggle);
    menu->addSeparator();
    for (QAction *item : MenuVilles->actions())
        if (item->isCheckable())
            menu->addAction(item);
    menu->addSeparator();
    menu->addAction(MesVilles);
    menu->addAction(Actualiser);
    menu->addSeparator();
    for (QAction *item : {PrevisionsNeufJours, PrevisionsHeures, PrevisionsAir, PrevisionsCarte, AvertirPluie})
        menu->addAction(item);
    menu->addSeparator();
    menu->addAction(Quitter);
}

} // namespace meteo
