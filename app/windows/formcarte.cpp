// SPDX-License-Identifier: GPL-2.0-or-later
#include "formcarte.h"

#include "app/fetch/overviewdownloads.h"
#include "app/fetch/rainmapdownload.h"
#include "app/model/citylist.h"
#include "app/widgets/errorreport.h"
#include "app/widgets/rainlegend.h"
#include "app/widgets/rainmapview.h"
#include "app/widgets/raintimeline.h"
#include "app/widgets/receivedlabel.h"
#include "app/widgets/windowparts.h"
#include "common/error.h"
#include "net/communesearch.h"

#include <QAccessible>
#include <QBoxLayout>
#include <QLabel>
#include <QShortcut>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace meteo {
namespace {

constexpr int kRefreshMs = 15 * 60 * 1000;  // the service makes a new map each quarter hour

RainTimeline::Arrival arrivalOf(RainMapDownload::Frame state)
{
    switch (state) {
    case RainMapDownload::Frame::Ready: return RainTimeline::Arrival::Ready;
    case RainMapDownload::Frame::Missing: return RainTimeline::Arrival::Missing;
    case RainMapDownload::Frame::Waiting: break;
    }
    return RainTimeline::Arrival::Waiting;
}

bool overseas(const QByteArray &code)
{
    return code.startsWith("FR97") || code.startsWith("FR98");
}

} // namespace

FormCarte::FormCarte(CityList *cities, std::function<QByteArray()> serviceHost, QWidget *parent)
    : QWidget(parent, Qt::Window), cities_(cities), host_(std::move(serviceHost)),
      downloads_(new RainMapDownload(host_, this)), player_(new QTimer(this)), minute_(new QTimer(this)), refresh_(new QTimer(this))
{
    setObjectName(QStringLiteral("FormCarte"));
    setWindowTitle(QStringLiteral("Carte des pluies"));
    Heure = new QLabel(this);
    Heure->setObjectName(QStringLiteral("Heure"));
    QFont big = Heure->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    Heure->setFont(big);
    Recues = new QLabel(this);
    Recues->setObjectName(QStringLiteral("Recues"));
    Source = new QLabel(this);
    Source->setObjectName(QStringLiteral("Source"));
    Message = new QLabel(this);
    Message->setObjectName(QStringLiteral("Message"));
    Message->setWordWrap(true);
    Message->hide();
    Carte = new RainMapView(this);
    Carte->setObjectName(QStringLiteral("Carte"));
    Carte->setAccessibleName(QStringLiteral("Carte des pluies"));
    try {
        Carte->setBaseMap(readBaseMap(shippedBaseMap()));
    } catch (const Error &e) {
        ErrorReport::report("FormCarte", QString::fromUtf8(e.what()));  // the rain is still drawn, on the sea's colour
    }
    Lieu = new QLabel(QStringLiteral("Cliquez sur la carte pour savoir ce qui tombe à un endroit."), this);
    Lieu->setObjectName(QStringLiteral("Lieu"));
    Lieu->setWordWrap(true);
    Lieu->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Lecture = new QToolButton(this);
    Lecture->setObjectName(QStringLiteral("Lecture"));
    Lecture->setCheckable(true);
    Lecture->setAutoRaise(false);
    Curseur = new QSlider(Qt::Horizontal, this);
    Curseur->setObjectName(QStringLiteral("Curseur"));
    Curseur->setAccessibleName(QStringLiteral("Heure de la carte"));
    Curseur->setEnabled(false);
    Legende = new RainLegend(this);
    Images = new RainTimeline(this);
    Images->setObjectName(QStringLiteral("Images"));

    auto *top = new QHBoxLayout;
    top->addWidget(Heure, 1);
    auto *said = new QVBoxLayout;
    said->addWidget(Recues, 0, Qt::AlignRight);
    said->addWidget(Source, 0, Qt::AlignRight);
    top->addLayout(said);
    auto *controls = new QHBoxLayout;
    controls->addWidget(Lecture);
    auto *frames = new QVBoxLayout;
    frames->setSpacing(0);
    frames->addWidget(Curseur);
    frames->addWidget(Images);
    controls->addLayout(frames, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Legende);
    bottom->addStretch(1);
    auto *page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addWidget(Message);
    page->addWidget(Carte, 1);
    page->addWidget(Lieu);
    page->addLayout(controls);
    page->addLayout(bottom);
    resize(760, 720);

    setPlaying(false);
    connect(Lecture, &QToolButton::toggled, this, &FormCarte::setPlaying);
    connect(Curseur, &QSlider::valueChanged, this, [this](int frame) {
        if (frame != shown_)
            showFrame(frame);
    });
    connect(player_, &QTimer::timeout, this, [this] {
        const int n = int(downloads_->index().frames.size());
        if (n > 0)
            showFrame((shown_ + 1) % n);
    });
    connect(minute_, &QTimer::timeout, this, &FormCarte::followClock);
    minute_->setInterval(30 * 1000);
    refresh_->setInterval(kRefreshMs);
    connect(refresh_, &QTimer::timeout, downloads_, &RainMapDownload::refresh);
    connect(downloads_, &RainMapDownload::indexChanged, this, &FormCarte::onIndex);
    connect(downloads_, &RainMapDownload::frameChanged, this, &FormCarte::onFrame);
    connect(downloads_, &RainMapDownload::indexFailed, this, [this] { present(); });
    connect(Carte, &RainMapView::clicked, this, [this](MapPoint at) { pick(at, false); });
    connect(Carte, &RainMapView::activated, this, [this](MapPoint at) { pick(at, true); });
    connect(cities_, &CityList::displayedChanged, this, &FormCarte::placeCities);
    connect(cities_, &QAbstractItemModel::rowsInserted, this, &FormCarte::placeCities);
    connect(cities_, &QAbstractItemModel::rowsRemoved, this, &FormCarte::placeCities);
    connect(cities_, &QAbstractItemModel::modelReset, this, &FormCarte::placeCities);

    const auto key = [this](QKeySequence sequence, std::function<void()> act) {
        auto *shortcut = new QShortcut(sequence, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, std::move(act));
    };
    const auto step = [this](int by) {
        setPlaying(false);
        showFrame(std::clamp(shown_ + by, 0, int(downloads_->index().frames.size()) - 1));
    };
    key(Qt::Key_Space, [this] { setPlaying(!playing()); });
    key(Qt::Key_Right, [step] { step(1); });
    key(Qt::Key_Left, [step] { step(-1); });
    key(Qt::Key_PageDown, [this] { setPlaying(false); showFrame(frameHoursAway(1)); });
    key(Qt::Key_PageUp, [this] { setPlaying(false); showFrame(frameHoursAway(-1)); });
    key(Qt::Key_Home, [step] { step(-100000); });
    key(Qt::Key_End, [step] { step(100000); });
    for (const QKeySequence &in : {QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal), QKeySequence(QKeySequence::ZoomIn)})
        key(in, [this] { Carte->zoomBy(1.5, Carte->rect().center()); });
    for (const QKeySequence &out : {QKeySequence(Qt::Key_Minus), QKeySequence(QKeySequence::ZoomOut)})
        key(out, [this] { Carte->zoomBy(1 / 1.5, Carte->rect().center()); });
    key(Qt::Key_0, [this] { Carte->resetView(); });
    for (const QKeySequence &enter : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)})
        key(enter, [this] {
            if (commune_)
                Q_EMIT communeChosen(*commune_);
        });
    closeOnEscape(this);
    placeCities();
    present();
}

void FormCarte::showEvent(QShowEvent *)
{
    Carte->setFocus();  // the keys move through the frames and zoom the map
    downloads_->refresh();
    refresh_->start();
    minute_->start();
    // The cities not yet downloaded are fetched once, for their place on the map.
    const bool unplaced = [this] {
        for (int row = 0; row < cities_->count(); ++row)
            if (CityWeather *w = cities_->find(cities_->valueAt(row)); !w || !w->report())
                return true;
        return false;
    }();
    if (unplaced) {
        auto *fetch = new OverviewDownloads(cities_, host_(), this);
        connect(fetch, &OverviewDownloads::progress, this, [fetch](int done, int total) {
            if (done == total)
                fetch->deleteLater();
        });
        fetch->downloadAll(cities_->displayed() ? cities_->displayed()->code() : QByteArray());
    }
}

void FormCarte::hideEvent(QHideEvent *)
{
    // Nothing is asked while the window is hidden.
    setPlaying(false);
    refresh_->stop();
    minute_->stop();
    downloads_->stop();
}

bool FormCarte::playing() const
{
    return player_->isActive();
}

void FormCarte::setPlaying(bool on)
{
    if (on) {
        followingNow_ = false;
        player_->start(playIntervalMs);
    } else {
        player_->stop();
    }
    const QSignalBlocker quiet(Lecture);
    Lecture->setChecked(on);
    Lecture->setIcon(style()->standardIcon(on ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    Lecture->setText(on ? QStringLiteral("Pause") : QStringLiteral("Lecture"));
    Lecture->setToolTip(on ? QStringLiteral("Pause (Espace)") : QStringLiteral("Lecture (Espace)"));
    Lecture->setAccessibleName(Lecture->text());
}

int FormCarte::frameHoursAway(int hours) const
{
    const QList<RainFrameRef> &frames = downloads_->index().frames;
    if (shown_ < 0)
        return -1;
    return std::clamp(frameAt(frames, frames[shown_].time.addSecs(3600 * hours)) , 0, int(frames.size()) - 1);
}

void FormCarte::onIndex()
{
    const RainMapIndex &index = downloads_->index();
    Carte->setGrid(index);
    {
        const QSignalBlocker quiet(Curseur);
        Curseur->setRange(0, std::max(0, int(index.frames.size()) - 1));
        Curseur->setEnabled(!index.frames.isEmpty());
    }
    const int now = frameAt(index.frames, clock());
    if (followingNow_ || shown_ < 0 || shown_ >= index.frames.size())
        shown_ = now;
    showFrame(shown_);
}

void FormCarte::onFrame(int frame)
{
    if (frame == shown_) {
        showFrame(frame);
        return;
    }
    present();
    if (picked_)
        sayPlace();
}

// Moves on with the clock while the user stays on the frame that holds now.
void FormCarte::followClock()
{
    const int now = frameAt(downloads_->index().frames, clock());
    if (followingNow_ && now >= 0 && now != shown_)
        showFrame(now);
    else
        present();
}

void FormCarte::showFrame(int frame)
{
    const QList<RainFrameRef> &frames = downloads_->index().frames;
    if (frame < 0 || frame >= frames.size()) {
        shown_ = -1;
        Carte->setFrame(QByteArray(), downloads_->hasIndex() ? QStringLiteral("Aucune image") : QString());
        present();
        return;
    }
    shown_ = frame;
    followingNow_ = frame == frameAt(frames, clock());
    downloads_->prefer(frame);
    {
        const QSignalBlocker quiet(Curseur);
        Curseur->setValue(frame);
    }
    switch (downloads_->state(frame)) {
    case RainMapDownload::Frame::Ready:
        Carte->setFrame(downloads_->cells(frame));
        break;
    case RainMapDownload::Frame::Waiting:
        Carte->setFrame(QByteArray(), QStringLiteral("Chargement…"));
        break;
    case RainMapDownload::Frame::Missing:
        Carte->setFrame(QByteArray(), QStringLiteral("Image indisponible"));
        Carte->setToolTip(downloads_->missingWhy(frame));
        break;
    }
    present();
    if (picked_)
        sayPlace();
}

void FormCarte::present()
{
    const RainMapIndex &index = downloads_->index();
    const QDateTime now = clock();
    QStringList message;
    if (CityWeather *shown = cities_->displayed(); shown && overseas(shown->code()))
        message << QStringLiteral("La carte couvre la France métropolitaine et la Corse : %1 n'y figure pas.").arg(QString::fromUtf8(shown->name()));
    if (!downloads_->failure().isEmpty())
        message << QStringLiteral("Carte des pluies indisponible : ") + downloads_->failure();
    else if (downloads_->hasIndex() && mapUnavailable(index))
        message << QStringLiteral("Carte des pluies : clé Météo-France absente");
    Message->setText(message.join(u'\n'));
    Message->setVisible(!message.isEmpty());
    if (!downloads_->failure().isEmpty() && !downloads_->hasIndex())
        Carte->setFrame(QByteArray(), QStringLiteral("Carte indisponible"));
    if (shown_ >= 0 && shown_ < index.frames.size()) {
        const QDateTime t = index.frames[shown_].time;
        const int nowFrame = std::max(0, frameAt(index.frames, now));
        Heure->setText(frameTimeText(t) + QStringLiteral(" · ") + frameDistance(index.frames[shown_], index.frames[nowFrame].time));
        Curseur->setAccessibleDescription(Heure->text());
    } else {
        Heure->setText(downloads_->hasIndex() ? QStringLiteral("Aucune image") : QStringLiteral("Carte des pluies"));
    }
    if (downloads_->hasIndex()) {
        showReceived(Recues, downloads_->received(), now);
        // A live map ends where the forecast does: said beside its source.
        Source->setText(index.source == "simulation" ? QStringLiteral("Source : simulation du service météo")
                        : mapUnavailable(index)       ? QString()
                        : index.end.isValid()         ? QStringLiteral("Source : Météo-France · jusqu'à ") + frameTimeText(index.end)
                                                      : QStringLiteral("Source : Météo-France"));
        QList<RainTimeline::Frame> strip;
        for (int f = 0; f < index.frames.size(); ++f)
            strip << RainTimeline::Frame{index.frames[f].nature, arrivalOf(downloads_->state(f))};
        Images->setFrames(strip, frameAt(index.frames, now));
    } else {
        Recues->setText(beforeAnyReport(true, QString()));
        Source->clear();
    }
    Carte->setAccessibleDescription(frameSentence());
}

QString FormCarte::frameSentence() const
{
    const QList<RainFrameRef> &frames = downloads_->index().frames;
    if (shown_ < 0 || shown_ >= frames.size())
        return QString();
    if (downloads_->state(shown_) != RainMapDownload::Frame::Ready)
        return frameTimeText(frames[shown_].time) + QStringLiteral(" : image indisponible");
    QList<CityCell> cells;
    for (int row = 0; row < cities_->count(); ++row) {
        const QByteArray code = cities_->valueAt(row);
        const CityWeather *w = cities_->find(code);
        if (overseas(code) || !w || !w->report() || !w->report()->position)
            continue;
        const auto [lat, lon] = *w->report()->position;
        cells << CityCell{cities_->name(row), cellAt(shown_, toLambert93({lat, lon}))};
    }
    return citiesSentence(frames[shown_].time, cells);
}

std::optional<rain::Cell> FormCarte::cellAt(int frame, MapPoint at) const
{
    const std::optional<std::pair<int, int>> cell = Carte->cellAt(at);
    const QByteArray cells = downloads_->cells(frame);
    if (!cell || cells.isEmpty())
        return std::nullopt;
    return rain::decode(std::uint8_t(cells[qsizetype(cell->second) * downloads_->index().columns + cell->first]));
}

void FormCarte::placeCities()
{
    QList<RainMapView::City> dots;
    for (int row = 0; row < cities_->count(); ++row) {
        CityWeather *w = cities_->weather(cities_->valueAt(row));
        connect(w, &CityWeather::changed, this, &FormCarte::placeCities, Qt::UniqueConnection);
        if (!w->report() || !w->report()->position || overseas(w->code()))
            continue;
        const auto [lat, lon] = *w->report()->position;
        dots << RainMapView::City{QString::fromUtf8(cities_->name(row)), toLambert93({lat, lon}), w == cities_->displayed()};
    }
    Carte->setCities(dots);
    present();
}

void FormCarte::pick(MapPoint at, bool choose)
{
    picked_ = at;
    chooseWhenFound_ = choose;
    if (!search_) {
        search_ = new CommuneSearch(host_(), this);
        connect(search_, &CommuneSearch::found, this, [this](const QString &, const CommuneList &answer) {
            commune_.reset();
            if (!answer.communes.isEmpty())
                commune_ = answer.communes.first();
            sayPlace();
            if (commune_ && chooseWhenFound_)
                Q_EMIT communeChosen(*commune_);
            chooseWhenFound_ = false;
        });
        connect(search_, &CommuneSearch::failed, this, [this](const QString &why) {
            commune_.reset();
            Lieu->setText(why);
        });
    }
    commune_.reset();
    const GeoPoint p = fromLambert93(at);
    search_->searchNear(p.latitude, p.longitude);
    sayPlace();
}

void FormCarte::sayPlace()
{
    if (!picked_)
        return;
    const QString place = commune_ ? QString::fromUtf8(commune_->label) : QStringLiteral("Ici");
    const QList<RainFrameRef> &frames = downloads_->index().frames;
    QList<PlaceFrame> ahead;
    // From the frame shown on, as far as the frames have come.
    for (int f = std::max(shown_, 0); f < frames.size() && downloads_->state(f) != RainMapDownload::Frame::Waiting; ++f)
        ahead << PlaceFrame{frames[f].time, cellAt(f, *picked_)};
    Lieu->setText(!Carte->cellAt(*picked_) ? place + QStringLiteral(" : hors de la carte") : placeOutlook(place, ahead));
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(Lieu, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

} // namespace meteo
