// SPDX-License-Identifier: GPL-2.0-or-later
// "Mes villes": every city of the list at a glance, for now or for one of the nine days, in the
// list's order or from the finest to the least fine. Its cities are downloaded when it is shown and
// every 15 minutes while it is, never while it is hidden; Enter or a double click shows a city in
// the main window as the menu does.
#pragma once
#include <QHash>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QListView;
class QTimer;

namespace meteo {

class CityList;
class OverviewDownloads;
class OverviewModel;

// A row: the sky's picture, the name and the main value, the detail, the warning on its colour,
// and the row's age or why its download failed.
class OverviewDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QPixmap icon(const QByteArray &code, double ratio) const;
    mutable QHash<QByteArray, QPixmap> icons_;
};

class FormVilles : public QWidget {
    Q_OBJECT
public:
    // `skip` gives the code of the city the main window shows, whose weather it downloads itself.
    FormVilles(CityList *cities, const QByteArray &serviceHost, std::function<QByteArray()> skip, QWidget *parent);
    QComboBox *Jour;
    QCheckBox *Ordre;
    QListView *Liste;
    QLabel *Etat;
    OverviewModel *model() const { return model_; }
    OverviewDownloads *downloads() const { return downloads_; }
    // Every city downloaded again now, when shown (F5 there, as everywhere).
    void refreshNow();
    // Every 15 minutes while shown; tests shorten it.
    int refreshInterval = 15 * 60 * 1000;

Q_SIGNALS:
    void cityChosen(const QByteArray &code);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void nameDays();
    void choose(const QModelIndex &index);
    void downloadAll();
    CityList *cities_;
    OverviewModel *model_;
    OverviewDownloads *downloads_;
    std::function<QByteArray()> skip_;
    QTimer *again_, *minute_;
};

} // namespace meteo
