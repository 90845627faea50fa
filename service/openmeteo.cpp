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
    default: return QStringLiteral("erreur réseau %1").arg(int(error));
    }
}

} // namespace

OpenMeteoSource::OpenMeteoSource(const QByteArray &base)
    : base_(base.endsWith('/') ? base.chopped(1) : base), manager_(std::make_unique<QNetworkAccessManager>())
{
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
    QNetworkRequest request(requestUrl(city));
    QNetworkReply *reply = manager_->get(request);
    reply->setReadBufferSize(256 * 1024);  // the network thread reads no further ahead of us
    auto body = std::make_shared<QByteArray>();
    // Both limits end the exchange whatever the upstream does: a trickle or an endless body never
    // holds a request or the service's memory.
    auto *limit = new QTimer(reply);
    limit->setSingleShot(true);
    QObject::connect(limit, &QTimer::timeout, reply, [reply] {
        reply->setProperty("meteoLimit", QStringLiteral("time"));
        reply->abort();
    });
    limit->start(timeoutMs_);
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, body] {
        *body += reply->readAll();
        if (body->size() > kMaxAnswer && reply->isRunning()) {
            reply->setProperty("meteoLimit", QStringLiteral("size"));
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply, city, nowUtc, body] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QString limit = reply->property("meteoLimit").toString();
        if (limit == QStringLiteral("time"))
            finished(city.code, nowUtc, sourceFailure(QStringLiteral("Open-Meteo n'a pas répondu en entier en %1 s")
                                            .arg(QLocale(QLocale::French).toString(timeoutMs_ / 1000.0))));
        else if (limit == QStringLiteral("size"))
            finished(city.code, nowUtc, sourceFailure(QStringLiteral("réponse d'Open-Meteo de plus de %1 Mio, abandonnée")
                                            .arg(kMaxAnswer / (1024 * 1024))));
        else if (status == 0)
            finished(city.code, nowUtc, sourceFailure(QStringLiteral("Open-Meteo injoignable : %1").arg(reachFailure(reply->error()))));
        else if (status != 200)
            finished(city.code, nowUtc, sourceFailure(QStringLiteral("Open-Meteo a répondu HTTP %1").arg(status)));
        else
            finished(city.code, nowUtc, parseOpenMeteo(*body + reply->readAll(), city, nowUtc));
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
