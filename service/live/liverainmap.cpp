// SPDX-License-Identifier: GPL-2.0-or-later
#include "liverainmap.h"

#include "readerprocess.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QTimeZone>
#include <QUrlQuery>

namespace service {

LiveRainMap::LiveRainMap(Options options, QObject *parent)
    : QObject(parent), options_(std::move(options)), manager_(std::make_unique<QNetworkAccessManager>())
{
    if (!options_.log)
        options_.log = [](const QByteArray &) {};
}

LiveRainMap::~LiveRainMap() = default;

void LiveRainMap::start(int intervalMs)
{
    auto *timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] { tick(QDateTime::currentDateTimeUtc()); });
    timer->start(intervalMs);
    tick(QDateTime::currentDateTimeUtc());
}

void LiveRainMap::tick(const QDateTime &nowUtc)
{
    const qint64 now = nowUtc.toSecsSinceEpoch();
    lastTick_ = now;
    if (now >= radarDue_) {
        // The next image is due one period after the one published last.
        radarDue_ = (now - options_.radarLagSeconds) / kRadarEverySeconds * kRadarEverySeconds + kRadarEverySeconds
                    + options_.radarLagSeconds;
        get(QUrl(QString::fromUtf8(options_.radarBase) + QStringLiteral("/mosaiques/METROPOLE/observations/LAME_D_EAU/produit?maille=500")),
            [this](const QByteArray &body, const QByteArray &why) {
                if (why.isEmpty())
                    readRadar(body);
                else
                    options_.log("carte des pluies : image radar absente : " + why);
            });
    }
    if (const qint64 run = (now - options_.piLagSeconds) / 3600 * 3600; run > runAsked_) {
        runAsked_ = run;
        QUrl url(QString::fromUtf8(options_.piBase) + QStringLiteral("/models/AROME-PI/grids/0.025/productPI"));
        url.setQuery(QUrlQuery{{QStringLiteral("referencetime"),
                                QDateTime::fromSecsSinceEpoch(run, QTimeZone::utc()).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"))},
                               {QStringLiteral("format"), QStringLiteral("grib2")}});
        get(url, [this](const QByteArray &body, const QByteArray &why) {
            if (why.isEmpty())
                readRun(body);
            else
                options_.log("carte des pluies : prévision AROME-PI absente : " + why);
        });
    }
}

void LiveRainMap::get(const QUrl &url, std::function<void(QByteArray body, QByteArray why)> done)
{
    ++calls_;
    QNetworkRequest request(url);
    request.setRawHeader("apikey", options_.key);  // the key travels in this header alone, never in the URL or a log
    request.setTransferTimeout(options_.timeoutMs);
    QNetworkReply *reply = manager_->get(request);
    auto body = std::make_shared<QByteArray>();
    connect(reply, &QNetworkReply::readyRead, reply, [reply, body] {
        // Room for the whole answer at once: growing by doubling would hold twice a run of AROME-PI.
        if (body->isEmpty())
            body->reserve(qsizetype(std::clamp<qint64>(reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(), 0, kMaxSourceFile)));
        *body += reply->readAll();
        if (body->size() > kMaxSourceFile)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [reply, body, done = std::move(done)] {
        reply->deleteLater();
        if (reply->isOpen())
            *body += reply->readAll();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (body->size() > kMaxSourceFile)
            done({}, "réponse de plus de 64 Mio, abandonnée");
        else if (status == 0)
            done({}, "Météo-France injoignable (" + QByteArray::number(int(reply->error())) + ")");
        else if (status != 200)
            done({}, "Météo-France a répondu HTTP " + QByteArray::number(status));
        else if (reply->error() != QNetworkReply::NoError)
            done({}, "réponse coupée (" + QByteArray::number(int(reply->error())) + ")");
        else
            done(*body, {});
    });
}

void LiveRainMap::readRadar(const QByteArray &body)
{
    readRadarApart(options_.readerProgram, options_.radar, body, this, [this](const Result<RainField> &f) { readRadarField(f); });
}

void LiveRainMap::readRun(const QByteArray &body)
{
    readRunApart(options_.readerProgram, options_.pi, body, this, [this](const Result<PiRun> &r) { readPiRun(r); });
}

void LiveRainMap::readRadarField(const Result<RainField> &field)
{
    if (!field.ok()) {
        options_.log("carte des pluies : " + field.error().text);
    } else if (observed_.holds(field.value().start, field.value().end)) {
        Q_EMIT fileRead();
        return;  // the portal had nothing newer: the map and its date stay as they are
    } else if (const std::optional<QByteArray> why = observed_.add(field.value())) {
        options_.log("carte des pluies : image radar refusée : " + *why);
    } else {
        observedUntil_ = std::max(observedUntil_, field.value().end);
        observed_.dropBefore(observedUntil_ - 3 * 3600);
        changed();
    }
    Q_EMIT fileRead();
}

void LiveRainMap::readPiRun(const Result<PiRun> &run)
{
    if (!run.ok()) {
        options_.log("carte des pluies : " + run.error().text);  // the last good run stays
    } else {
        for (const QByteArray &why : run.value().refused)
            options_.log("carte des pluies : prévision AROME-PI, " + why);
        forecast_.clear();
        runReference_ = run.value().reference;
        for (const RainField &step : run.value().steps)
            if (const std::optional<QByteArray> why = forecast_.add(step))
                options_.log("carte des pluies : prévision AROME-PI, " + *why);
        changed();
    }
    Q_EMIT fileRead();
}

void LiveRainMap::changed()
{
    pngs_.clear();
    // When the map was made, to the minute as the index says it: a later making is a later minute,
    // so that a viewer holding the frames of the last one asks for them again.
    const qint64 minute = lastTick_ / 60 * 60;
    made_ = QDateTime::fromSecsSinceEpoch(made_.isValid() ? std::max(minute, made_.toSecsSinceEpoch() + 60) : minute, QTimeZone::utc());
}

RainMapIndex LiveRainMap::index(const QDateTime &nowUtc)
{
    RainMapIndex index;
    index.source = kSources;
    index.made = made_.isValid() ? made_ : nowUtc;
    const qint64 quarter = nowUtc.toSecsSinceEpoch() / 900 * 900;
    // Observed where the radar has spoken, forecast after; nothing beyond six hours, nor beyond the
    // last run's end (a run is published some time after its hour: its six hours end sooner).
    qint64 last = quarter + 24 * 900;
    if (runReference_ > 0)
        last = std::max(quarter, std::min(last, runReference_ + 6 * 3600 - 900));
    for (qint64 t = quarter - 8 * 900; t <= last; t += 900) {
        const bool observed = t + 900 <= observedUntil_;
        index.frames << t;
        index.natures.insert(t, observed ? FrameNature::Observed : FrameNature::Forecast);
        if (!(observed ? observed_ : forecast_).whole(t))
            index.absent.insert(t);
    }
    index.end = QDateTime::fromSecsSinceEpoch(last + 900, QTimeZone::utc());
    return index;
}

void LiveRainMap::frame(qint64 instant, const QDateTime &nowUtc, std::function<void(Result<QByteArray>)> done)
{
    const RainMapIndex listed = index(nowUtc);
    if (!listed.frames.contains(instant) || listed.absent.contains(instant)) {
        done(HttpError{404, "image absente de la carte"});
        return;
    }
    if (const auto kept = pngs_.constFind(instant); kept != pngs_.cend()) {
        done(*kept);
        return;
    }
    const QuarterRain &from = listed.natures.value(instant) == FrameNature::Observed ? observed_ : forecast_;
    const QByteArray png = rainFramePng(*from.cells(instant));
    pngs_.insert(instant, png);
    done(png);
}

} // namespace service
