// SPDX-License-Identifier: GPL-2.0-or-later
#include "openmeteo.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QLocale>
#include <QTimeZone>
#include <QTimer>
#include <QUrlQuery>

namespace service {
namespace {

constexpr qint64 kCacheSeconds = 10 * 60;

// Why Open-Meteo could not be reached, in words a user of the viewer understands: Qt's own text is
// English and names hosts and sockets.
QString reachFailure(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::HostNotFoundError: return QStringLiteral("adresse introuvable (pas de réseau ?)");
    case QNetworkReply::ConnectionRefusedError: return QStringLiteral("connexion refusée");
    case QNetworkReply::TimeoutError: return QStringLiteral("délai dépassé");
    case QNetworkReply::RemoteHostClosedError: return QStringLiteral("connexion fermée par le serveur");
    case QNetworkReply::SslHandshakeFailedError: return QStringLiteral("connexion sécurisée impossible");
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError: return QStringLiteral("réseau indisponible");
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError: return QStringLiteral("mandataire (proxy) injoignable");
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError: return QStringLiteral("redirections sans fin ou non sûres");
    case QNetworkReply::UnknownContentError:
    case QNetworkReply::ProtocolFailure: return QStringLiteral("réponse mal formée ou compressée au-delà du raisonnable");
    default: return QStringLiteral("erreur réseau %1").arg(int(error));
    }
}

} // namespace

OpenMeteoSource::OpenMeteoSource(const QByteArray &base, const QByteArray &airBase)
    : base_(base.endsWith('/') ? base.chopped(1) : base), manager_(std::make_unique<QNetworkAccessManager>())
{
    // Another forecast upstream (a test's, a proxy) serves the air too unless told otherwise.
    const QByteArray air = !airBase.isEmpty() ? airBase : base_ == "https://api.open-meteo.com" ? QByteArray(kAirBase) : base_;
    airBase_ = air.endsWith('/') ? air.chopped(1) : air;
}

OpenMeteoSource::~OpenMeteoSource() = default;

QUrl OpenMeteoSource::requestUrl(const City &city) const
{
    QUrl url(QString::fromUtf8(base_) + QStringLiteral("/v1/forecast"));
    QUrlQuery q;
    q.addQueryItem(QStringLiteral("latitude"), QString::number(city.latitude, 'f', 4));
    q.addQueryItem(QStringLiteral("longitude"), QString::number(city.longitude, 'f', 4));
    // Days are cut at the commune's midnights, but every time comes as Unix seconds: Open-Meteo writes
    // local times with one offset for the whole answer, wrong past a change of legal time.
    q.addQueryItem(QStringLiteral("timezone"), QString::fromUtf8(city.timeZone()));
    q.addQueryItem(QStringLiteral("timeformat"), QStringLiteral("unixtime"));
    q.addQueryItem(QStringLiteral("forecast_days"), QStringLiteral("9"));
    q.addQueryItem(QStringLiteral("past_hours"), QStringLiteral("3"));
    q.addQueryItem(QStringLiteral("current"),
                   QStringLiteral("temperature_2m,apparent_temperature,relative_humidity_2m,is_day,weather_code,"
                                  "pressure_msl,wind_speed_10m,wind_direction_10m,wind_gusts_10m"));
    q.addQueryItem(QStringLiteral("hourly"),
                   QStringLiteral("pressure_msl,visibility,uv_index,temperature_2m,apparent_temperature,"
                                  "precipitation_probability,precipitation,weather_code,wind_speed_10m,wind_gusts_10m,"
                                  "wind_direction_10m"));
    q.addQueryItem(QStringLiteral("minutely_15"), QStringLiteral("precipitation"));
    q.addQueryItem(QStringLiteral("forecast_minutely_15"), QStringLiteral("12"));
    q.addQueryItem(QStringLiteral("daily"), QStringLiteral("weather_code,temperature_2m_max,temperature_2m_min,sunrise,sunset,"
                                                           "wind_speed_10m_max,wind_direction_10m_dominant"));
    url.setQuery(q);
    return url;
}

// One upstream exchange, bounded in time and size whatever the upstream does (a trickle or an endless
// body never holds a request or the service's memory); `done` hears its outcome once.
void OpenMeteoSource::get(const QUrl &url, int timeoutMs, std::function<void(const Exchange &)> done)
{
    QNetworkReply *reply = manager_->get(QNetworkRequest(url));
    reply->setReadBufferSize(256 * 1024);  // the network thread reads no further ahead of us
    auto body = std::make_shared<QByteArray>();
    auto *limit = new QTimer(reply);
    limit->setSingleShot(true);
    QObject::connect(limit, &QTimer::timeout, reply, [reply] {
        reply->setProperty("meteoLimit", QStringLiteral("time"));
        reply->abort();
    });
    limit->start(timeoutMs);
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, body] {
        *body += reply->readAll();
        if (body->size() > kMaxAnswer && reply->isRunning()) {
            reply->setProperty("meteoLimit", QStringLiteral("size"));
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, body, done = std::move(done)] {
        reply->deleteLater();
        *body += reply->readAll();
        // Qt 6.4 takes a connection closed before the announced length for a whole answer: the
        // length is checked here (an answer it decompressed is longer than its header says).
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        const bool cut = reply->error() == QNetworkReply::NoError && length.isValid() && reply->rawHeader("Content-Encoding").isEmpty()
                         && body->size() < length.toLongLong();
        done({reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), *body, reply->property("meteoLimit").toString(),
              cut ? QStringLiteral("réponse plus courte que sa longueur annoncée") : reachFailure(reply->error()),
              cut || reply->error() != QNetworkReply::NoError});
    });
}

// Why an exchange gave no answer to read, in words of `who`; empty when it did. A body the network
// says was cut is no answer, even when its bytes happen to be whole JSON.
QString OpenMeteoSource::Exchange::failure(const QString &who, int timeoutMs) const
{
    const bool vowel = QStringLiteral("AEIOUaeiouÉé").contains(who.left(1));
    const QString of = (vowel ? QStringLiteral("d'") : QStringLiteral("de ")) + who;
    if (limit == QStringLiteral("time"))
        return QStringLiteral("%1 n'a pas répondu en entier en %2 s").arg(who, QLocale(QLocale::French).toString(timeoutMs / 1000.0));
    if (limit == QStringLiteral("size"))
        return QStringLiteral("réponse %1 de plus de %2 Mio, abandonnée").arg(of).arg(kMaxAnswer / (1024 * 1024));
    if (status == 0 || (broken && status >= 300 && status < 400))
        return QStringLiteral("%1 injoignable : %2").arg(who, unreachable);
    if (status != 200)
        return QStringLiteral("%1 a répondu HTTP %2").arg(who).arg(status);
    if (broken)
        return QStringLiteral("réponse %1 interrompue : %2").arg(of, unreachable);
    return {};
}

void OpenMeteoSource::fetch(const City &city, const QDateTime &nowUtc, std::function<void(SourceResult)> done)
{
    if (const Kept *kept = reports_.object(city.code); kept && kept->fetchedAt.secsTo(nowUtc) < kCacheSeconds) {
        done(kept->report);
        return;
    }
    QList<std::function<void(SourceResult)>> &waiting = waiting_[city.code];
    waiting << std::move(done);
    if (waiting.size() > 1)
        return;  // an upstream call for this city is already on its way
    // The forecast and the air asked at once; the air has a shorter deadline of its own, so that its
    // failure or slowness never costs the forecast more than that.
    struct Join {
        std::optional<SourceResult> forecast;
        bool airDone = false, answered = false;
        std::optional<AirReport> air;
        QByteArray airWhy;
    };
    auto join = std::make_shared<Join>();
    // A failed forecast is said at once: the air, without it, is worth no wait.
    const auto complete = [this, join, code = city.code, nowUtc] {
        if (join->answered || !join->forecast || (join->forecast->ok() && !join->airDone))
            return;
        join->answered = true;
        SourceResult result = *join->forecast;
        if (result.ok() && join->air)
            result.value().air = join->air;
        else if (result.ok())
            result.value().omitted << "air omis : " + join->airWhy;
        finished(code, nowUtc, result);
    };
    get(requestUrl(city), timeoutMs_, [this, join, complete, city, nowUtc](const Exchange &e) {
        const QString failure = e.failure(QStringLiteral("Open-Meteo"), timeoutMs_);
        join->forecast = failure.isEmpty() ? parseOpenMeteo(e.body, city, nowUtc) : sourceFailure(failure);
        complete();
    });
    get(airRequestUrl(airBase_, city), airTimeoutMs_, [this, join, complete, city, nowUtc](const Exchange &e) {
        QString failure = e.failure(QStringLiteral("CAMS"), airTimeoutMs_);
        if (failure.isEmpty()) {
            Result<AirReport> air = parseAirQuality(e.body, city, nowUtc);
            if (air.ok())
                join->air = air.value();
            else
                failure = QString::fromUtf8(air.error().text);
        }
        join->airWhy = failure.toUtf8();
        join->airDone = true;
        complete();
    });
}

void OpenMeteoSource::finished(const QByteArray &code, const QDateTime &startedAt, SourceResult result)
{
    if (result.ok()) {
        result.value().validUntil = startedAt.addSecs(kCacheSeconds);
        reports_.insert(code, new Kept{startedAt, result.value()});
    }  // a failure adds nothing: an older report stays as it was
    const QList<std::function<void(SourceResult)>> waiting = waiting_.take(code);
    for (const auto &done : waiting)
        done(result);
}

} // namespace service
