// SPDX-License-Identifier: GPL-2.0-or-later
// One city's weather as the viewer knows it: its code, its latest report, and where its download
// stands. Every window, the panel icon and the notices follow a CityWeather and redraw on changed();
// none reads a widget, a file's date or the document again.
#pragma once
#include "weather/cityreport.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <memory>

namespace meteo {

class CityWeather : public QObject {
    Q_OBJECT
public:
    enum class State {
        Never,        // never downloaded
        Downloading,  // a download is under way (the last report, if any, is still there)
        Fresh,        // received less than three hours ago
        Old,          // received longer ago: shown, and said to be old
        Failed,       // the last download failed: `failure()` says why; the last report stays
    };

    CityWeather(const QByteArray &code, QObject *parent = nullptr);
    const QByteArray &code() const { return code_; }
    // The name the user knows it by (the list's), else the document's short place name.
    QByteArray name() const;
    void setName(const QByteArray &name) { name_ = name; }
    std::shared_ptr<const CityReport> report() const { return report_; }
    State state(const QDateTime &now) const;
    bool downloading() const { return downloading_; }
    const QString &failure() const { return failure_; }

    void startDownload();
    void stopDownload();  // abandoned, neither received nor failed
    void receive(std::shared_ptr<const CityReport> report);
    void fail(const QString &reason);

Q_SIGNALS:
    void changed();

private:
    QByteArray code_, name_;
    std::shared_ptr<const CityReport> report_;
    bool downloading_ = false;
    QString failure_;
};

// A subscriber's link to the city it shows: following another lets the previous one go, and a city
// that is destroyed is simply no longer followed.
class Following {
public:
    template <class Receiver, class Slot>
    void follow(CityWeather *weather, Receiver *receiver, Slot slot)
    {
        QObject::disconnect(connection_);
        weather_ = weather;
        connection_ = weather ? QObject::connect(weather, &CityWeather::changed, receiver, slot) : QMetaObject::Connection();
    }
    CityWeather *weather() const { return weather_; }
    std::shared_ptr<const CityReport> report() const { return weather_ ? weather_->report() : nullptr; }
    bool downloading() const { return weather_ && weather_->downloading(); }

private:
    QPointer<CityWeather> weather_;
    QMetaObject::Connection connection_;
};

} // namespace meteo
