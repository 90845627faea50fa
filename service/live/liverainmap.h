// SPDX-License-Identifier: GPL-2.0-or-later
// The live rain map: Météo-France's radar for the past two hours and AROME-PI for the next six, each
// image and each run asked once, when published, whatever the number of viewers, and kept until
// replaced. A quarter hour the sources did not give whole is a gap in the index, never a dry frame.
#pragma once
#include "pirun.h"
#include "radarimage.h"
#include "raingrid.h"
#include "service/http/source.h"

#include <QHash>
#include <QObject>
#include <QUrl>
#include <functional>
#include <memory>

class QNetworkAccessManager;

namespace service {

class LiveRainMap : public QObject, public RainMapSource {
    Q_OBJECT
public:
    struct Options {
        QByteArray key;  // sent in the apikey header alone
        QString readerProgram;  // the service's own executable, started to read each file apart
        QByteArray radarBase = "https://public-api.meteofrance.fr/public/DPRadar/v1";
        QByteArray piBase = "https://public-api.meteofrance.fr/public/DPPaquetAROMEPI/v1";
        RadarProduct radar;
        PiProduct pi;
        int radarLagSeconds = 4 * 60;  // an image is published about four minutes after its end
        int piLagSeconds = 35 * 60;    // a run about half an hour after its time
        int timeoutMs = 60 * 1000;
        std::function<void(const QByteArray &)> log;
    };
    static constexpr int kRadarEverySeconds = 5 * 60;

    explicit LiveRainMap(Options options, QObject *parent = nullptr);
    ~LiveRainMap() override;
    // Asks what is due now, then looks again every `intervalMs`.
    void start(int intervalMs = 20 * 1000);
    // Asks the portal for what has been published by `now` and not yet asked: the radar's image of
    // each five minutes, AROME-PI's run of each hour.
    void tick(const QDateTime &nowUtc);

    RainMapIndex index(const QDateTime &nowUtc) override;
    void frame(qint64 instant, const QDateTime &nowUtc, std::function<void(Result<QByteArray>)> done) override;
    [[nodiscard]] int calls() const { return calls_; }
    static constexpr const char *kSources = "meteo-france:radar+arome-pi";

Q_SIGNALS:
    // A file has been read, or refused: the map may have changed.
    void fileRead();

private:
    void get(const QUrl &url, std::function<void(QByteArray body, QByteArray why)> done);
    void readRadar(const QByteArray &body);
    void readRun(const QByteArray &body);
    void readRadarField(const Result<RainField> &field);
    void readPiRun(const Result<PiRun> &run);
    void changed();

    Options options_;
    std::unique_ptr<QNetworkAccessManager> manager_;
    QuarterRain observed_, forecast_;
    qint64 observedUntil_ = 0, radarDue_ = 0, runAsked_ = 0, runReference_ = 0, lastTick_ = 0;
    QDateTime made_;
    QHash<qint64, QByteArray> pngs_;
    int calls_ = 0;
};

} // namespace service
