// SPDX-License-Identifier: GPL-2.0-or-later
// The downloads of "Mes villes": each city of the list through a client of its own (the project's
// HTTP client), at most four at once, each body checked and read once into its city's report in
// memory. They never write weather.xml nor touch the main window: the city it shows keeps its own
// road, and is left out here.
#pragma once
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSet>
#include <array>
#include <memory>
#include <functional>

namespace meteo {

class CityDownload;
class CityList;
class CityWeather;
class HTTPClient;
class HTTPConnection;
class NameValueList;

class OverviewDownloads : public QObject {
    Q_OBJECT
public:
    static constexpr int kAtOnce = 4;
    OverviewDownloads(CityList *cities, const QByteArray &serviceHost, QObject *parent = nullptr);
    ~OverviewDownloads() override;
    // Downloads every city of the list again but `skip` (the main window's), the ones under way
    // left to finish; a new call while some are waiting starts none twice.
    void downloadAll(const QByteArray &skip);
    // Abandons the downloads under way (their cities keep what they had) and starts no other.
    void stop();
    int done() const { return done_; }
    int failed() const { return failed_; }  // of those done this round
    int total() const { return total_; }
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

Q_SIGNALS:
    void progress(int done, int total);

private:
    struct Slot {
        HTTPClient *client = nullptr;
        QByteArray code, body;
    };
    void next(Slot &slot);
    void finished(Slot &slot, HTTPConnection *connection, const QString &failure);

    CityList *cities_;
    std::unique_ptr<CityDownload> road_;
    QList<QByteArray> waiting_;
    std::array<Slot, kAtOnce> slots_;
    std::unique_ptr<NameValueList> dictionary_;
    QString dictionaryError_;
    int done_ = 0, total_ = 0, failed_ = 0;
};

} // namespace meteo
