// SPDX-License-Identifier: GPL-2.0-or-later
// "Carte des pluies": the rain over mainland France and Corsica from two hours ago to two days
// ahead, one frame at a time, with the user's cities on it. It opens on the frame that holds now and
// moves on with the clock; a slider, play and pause and the keys move through the frames; a click
// names the nearest commune and says what falls there from the frame shown on, Enter or a double
// click shows its weather in the main window. Its own downloads, only while shown.
#pragma once
#include "common/lambert93.h"
#include "net/communelist.h"
#include "weather/rainmap.h"

#include <QDateTime>
#include <QWidget>
#include <functional>
#include <optional>

class QLabel;
class QSlider;
class QTimer;
class QToolButton;

namespace meteo {

class CityList;
class CommuneSearch;
class RainLegend;
class RainMapDownload;
class RainMapView;
class RainTimeline;

class FormCarte : public QWidget {
    Q_OBJECT
public:
    FormCarte(CityList *cities, std::function<QByteArray()> serviceHost, QWidget *parent);

    RainMapView *Carte;
    QSlider *Curseur;
    QToolButton *Lecture;
    QLabel *Heure, *Lieu, *Recues, *Source, *Message;
    RainLegend *Legende;
    RainTimeline *Images;
    RainMapDownload *downloads() const { return downloads_; }

    int shownFrame() const { return shown_; }
    void showFrame(int frame);
    bool playing() const;
    void setPlaying(bool on);
    // The frame `hours` hours before or after the one shown, or the nearest there is.
    [[nodiscard]] int frameHoursAway(int hours) const;
    // The sentence a screen reader hears for the frame shown.
    QString frameSentence() const;
    // Moves on to the frame that holds now while the user stays on it; called every 30 s.
    void followClock();

    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    int playIntervalMs = 600;

Q_SIGNALS:
    // Enter or a double click on a commune: the main window shows its weather.
    void communeChosen(const meteo::FoundCommune &commune);

protected:
    void showEvent(QShowEvent *) override;
    void hideEvent(QHideEvent *) override;

private:
    void onIndex();
    void onFrame(int frame);
    void placeCities();
    void present();
    void pick(MapPoint at, bool choose);
    void sayPlace();
    std::optional<rain::Cell> cellAt(int frame, MapPoint at) const;

    CityList *cities_;
    std::function<QByteArray()> host_;
    RainMapDownload *downloads_;
    CommuneSearch *search_ = nullptr;
    QTimer *player_, *minute_, *refresh_;
    int shown_ = -1;
    bool followingNow_ = true;  // the user has not moved away from the frame that holds now
    std::optional<MapPoint> picked_;
    std::optional<FoundCommune> commune_;
    bool chooseWhenFound_ = false;
};

} // namespace meteo
