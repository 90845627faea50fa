// SPDX-License-Identifier: GPL-2.0-or-later
#include "formvilles.h"

#include "app/model/citylist.h"
#include "app/fetch/overviewdownloads.h"
#include "app/model/overviewmodel.h"
#include "app/storage/places.h"
#include "app/widgets/receivedlabel.h"
#include "app/widgets/vigilancebadge.h"
#include "app/widgets/windowparts.h"
#include "common/frenchtext.h"
#include "weather/display.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace meteo {

QPixmap OverviewDelegate::icon(const QByteArray &code, double ratio) const
{
    const QByteArray key = code + '@' + QByteArray::number(ratio);
    if (const auto it = icons_.constFind(key); it != icons_.cend())
        return *it;
    QImage image;
    QFile file(sharpIconPath(iconPath(Places::current().programDir(), code), ratio));
    if (isSafeIconCode(code) && !code.isEmpty() && file.open(QIODevice::ReadOnly) && image.loadFromData(file.readAll(), "PNG")) {
        image = image.scaled(qRound(kIcon * ratio), qRound(kIcon * ratio), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        image.setDevicePixelRatio(ratio);
    }
    return *icons_.insert(key, image.isNull() ? QPixmap() : QPixmap::fromImage(image));
}

// Three lines, so that a narrow window cuts nothing that matters: the name, the value and the day's
// range; the rain ahead or the day's chance and wind; the age or failure, the air and the warning.
QSize OverviewDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const QFontMetrics fm(option.font);
    return {kIcon + 22 + fm.averageCharWidth() * 52, std::max(kIcon + 8, 3 * fm.height() + 12)};
}

void OverviewDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem base = option;
    initStyleOption(&base, index);
    base.text.clear();  // the row is drawn below; the style draws its selection and focus only
    option.widget->style()->drawControl(QStyle::CE_ItemViewItem, &base, painter, option.widget);
    painter->save();
    const QRect r = option.rect.adjusted(6, 4, -6, -4);
    const QFontMetrics fm(option.font);
    const bool selected = option.state & QStyle::State_Selected;
    const QColor text = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const QColor faint = selected ? text : option.palette.color(QPalette::PlaceholderText);
    const QPixmap picture = icon(index.data(OverviewModel::IconRole).toByteArray(), painter->device()->devicePixelRatioF());
    if (!picture.isNull())
        painter->drawPixmap(r.left(), r.top() + (r.height() - kIcon) / 2, picture);
    const int left = r.left() + kIcon + 10, width = r.right() - left;
    const int line1 = r.top(), line2 = line1 + fm.height() + 2, line3 = line2 + fm.height() + 2;
    const auto row = [&](int top) { return QRect(left, top, width, fm.height()); };
    // The value and the range on the right of the first line; the name takes the rest.
    QFont bold = option.font;
    bold.setBold(true);
    const QFontMetrics fb(bold);
    const QString main = index.data(OverviewModel::MainRole).toString(), range = index.data(OverviewModel::RangeRole).toString();
    const int valuesWidth = fb.horizontalAdvance(main) + (range.isEmpty() ? 0 : fm.horizontalAdvance(QStringLiteral("  ") + range));
    painter->setPen(text);
    painter->setFont(bold);
    painter->drawText(row(line1).adjusted(0, 0, -valuesWidth - 8, 0), Qt::AlignLeft | Qt::AlignVCenter,
                      fb.elidedText(index.data(OverviewModel::NameRole).toString(), Qt::ElideRight, width - valuesWidth - 8));
    painter->drawText(row(line1).adjusted(width - valuesWidth, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, main);
    painter->setFont(option.font);
    painter->drawText(row(line1), Qt::AlignRight | Qt::AlignVCenter, range);
    painter->drawText(row(line2), Qt::AlignLeft | Qt::AlignVCenter,
                      fm.elidedText(index.data(OverviewModel::DetailRole).toString(), Qt::ElideRight, width));
    // The age, or why the download failed; the air and the worst warning on the right.
    const QString air = index.data(OverviewModel::AirRole).toString(), warning = index.data(OverviewModel::WarningRole).toString();
    const int warningWidth = warning.isEmpty() ? 0 : fm.horizontalAdvance(warning) + 12;
    const int airWidth = air.isEmpty() ? 0 : fm.horizontalAdvance(air) + 12;
    const bool old = index.data(OverviewModel::OldRole).toBool();
    painter->setPen(old && !selected ? oldDataColour() : faint);
    const int ageWidth = width - warningWidth - airWidth - 8;
    painter->drawText(QRect(left, line3, ageWidth, fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                      fm.elidedText(index.data(OverviewModel::AgeRole).toString(), Qt::ElideRight, ageWidth));
    painter->setPen(faint);
    painter->drawText(QRect(r.right() - warningWidth - airWidth, line3, airWidth, fm.height()), Qt::AlignCenter, air);
    if (!warning.isEmpty()) {
        const auto colour = WarningColour(index.data(OverviewModel::ColourRole).toInt());
        const QRect chip(r.right() - warningWidth, line3, warningWidth, fm.height());
        painter->setPen(Qt::NoPen);
        painter->setBrush(warningColour(colour));
        painter->drawRoundedRect(chip, 4, 4);
        painter->setPen(darkTextOn(colour) ? Qt::black : Qt::white);
        painter->drawText(chip, Qt::AlignCenter, warning);
    }
    painter->restore();
}

FormVilles::FormVilles(CityList *cities, const QByteArray &serviceHost, std::function<QByteArray()> skip, QWidget *parent)
    : QWidget(parent, Qt::Window), cities_(cities), skip_(std::move(skip))
{
    setObjectName(QStringLiteral("FormVilles"));
    setWindowTitle(QStringLiteral("Mes villes"));
    closeOnEscape(this);
    model_ = new OverviewModel(cities, this);
    downloads_ = new OverviewDownloads(cities, serviceHost, this);
    Jour = new QComboBox(this);
    Jour->setObjectName(QStringLiteral("Jour"));
    Jour->setAccessibleName(QStringLiteral("Jour montré"));
    Ordre = new QCheckBox(QStringLiteral("Du &plus beau au moins beau"), this);
    Ordre->setObjectName(QStringLiteral("Ordre"));
    Liste = new QListView(this);
    Liste->setObjectName(QStringLiteral("Liste"));
    Liste->setAccessibleName(QStringLiteral("Mes villes"));
    Liste->setModel(model_);
    Liste->setItemDelegate(new OverviewDelegate(Liste));
    Liste->setUniformItemSizes(true);
    Liste->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // a row's texts are cut with "…" instead
    // As wide as a row, so that nothing of it is cut where the screen has room.
    QStyleOptionViewItem row;
    row.initFrom(Liste);
    Liste->setMinimumWidth(Liste->itemDelegate()->sizeHint(row, {}).width() + 2 * Liste->frameWidth()
                           + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4);
    Liste->setSelectionMode(QAbstractItemView::SingleSelection);
    Liste->installEventFilter(this);
    Etat = new QLabel(this);
    Etat->setObjectName(QStringLiteral("Etat"));
    Etat->setTextFormat(Qt::PlainText);
    auto *bar = new QHBoxLayout;
    auto *jour = new QLabel(QStringLiteral("&Jour :"), this);
    jour->setBuddy(Jour);
    bar->addWidget(jour);
    bar->addWidget(Jour);
    bar->addSpacing(12);
    bar->addWidget(Ordre);
    bar->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(Liste, 1);
    layout->addWidget(Etat);
    for (int d = 0; d < 10; ++d)
        Jour->addItem(QString());
    nameDays();
    connect(Jour, &QComboBox::currentIndexChanged, this, [this](int i) { model_->setDay(i - 1); });
    connect(Ordre, &QCheckBox::toggled, this, [this](bool on) { model_->setOrdered(on); });
    connect(Liste, &QListView::doubleClicked, this, &FormVilles::choose);
    // The days are named by the place of the city under the cursor, and named again past its midnight.
    connect(Liste->selectionModel(), &QItemSelectionModel::currentChanged, this, &FormVilles::nameDays);
    connect(model_, &QAbstractItemModel::dataChanged, this, &FormVilles::nameDays);
    connect(downloads_, &OverviewDownloads::progress, this, [this](int done, int total) {
        const int failed = downloads_->failed();
        Etat->setText(done < total    ? QStringLiteral("%1 villes sur %2…").arg(done).arg(total)
                      : failed == 0 ? french::receivedAtTime(downloads_->clock())
                      : failed == total ? QStringLiteral("Aucune ville reçue")
                                        : french::receivedAtTime(downloads_->clock())
                                              + QStringLiteral(" — %1 sur %2 en échec").arg(failed).arg(total));
    });
    again_ = new QTimer(this);
    connect(again_, &QTimer::timeout, this, &FormVilles::downloadAll);
    // Every minute while shown: the ages, the old data and the day's names follow the clock.
    minute_ = new QTimer(this);
    minute_->setInterval(60 * 1000);
    connect(minute_, &QTimer::timeout, this, [this] {
        model_->retell();
        nameDays();
    });
    resize(sizeHint().width(), 520);
}

// "Maintenant", then "Aujourd'hui", "Demain" and the next days by name, up to the ninth, from the
// date of the city under the cursor (overseas, not this computer's), else this computer's.
void FormVilles::nameDays()
{
    const QDateTime now = model_->clock();
    QDate today = now.date();
    const CityWeather *current = cities_->find(model_->data(Liste->currentIndex(), OverviewModel::CodeRole).toByteArray());
    if (const std::shared_ptr<const CityReport> report = current ? current->report() : nullptr)
        today = report->placeToday(now);
    Jour->setItemText(0, QStringLiteral("Maintenant"));
    for (int d = 0; d < 9; ++d)
        Jour->setItemText(d + 1, french::relativeDay(today.addDays(d), today));
}

void FormVilles::refreshNow()
{
    if (isVisible())
        downloadAll();
}

void FormVilles::downloadAll()
{
    again_->start(refreshInterval);
    downloads_->downloadAll(skip_());
}

void FormVilles::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    Liste->setFocus(Qt::ActiveWindowFocusReason);
    if (!Liste->currentIndex().isValid() && model_->rowCount() > 0)
        Liste->setCurrentIndex(model_->index(0));
    downloadAll();
    minute_->start();
    model_->retell();
    nameDays();
}

void FormVilles::hideEvent(QHideEvent *event)
{
    // Nothing downloads while nobody looks: the round under way is abandoned too.
    again_->stop();
    minute_->stop();
    downloads_->stop();
    QWidget::hideEvent(event);
}

bool FormVilles::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Liste && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            choose(Liste->currentIndex());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FormVilles::choose(const QModelIndex &index)
{
    if (index.isValid())
        Q_EMIT cityChosen(model_->data(index, OverviewModel::CodeRole).toByteArray());
}

} // namespace meteo
