#include "overviewdownloads.h"

#include "citylist.h"
#include "cityweather.h"
#include "executable.h"
#include "common/error.h"
#include "net/httpclient.h"
#include "net/request.h"
#include "net/response.h"
#include "net/decomposeurl.h"
#include "weather/cityreport.h"
#include "weather/namevaluelist.h"
#include "weather/translation.h"

namespace meteo {

OverviewDownloads::OverviewDownloads(CityList *cities, const QByteArray &serviceHost, QObject *parent)
    : QObject(parent), cities_(cities), host_(serviceHost)
{
    for (Slot &slot : slots_) {
        slot.client = new HTTPClient(this);
        slot.client->setTimeout(30000);
        slot.client->setTotalTimeout(60000);
        Slot *s = &slot;
        connect(slot.client, &HTTPClient::OnInput, this, [s](HTTPConnection *, const char *bytes, qint32 size) { s->body.append(bytes, size); });
        connect(slot.client, &HTTPClient::OnDoneInput, this, [](HTTPConnection *c) { c->Disconnect(); });
        connect(slot.client, &HTTPClient::OnDisconnect, this, [this, s](HTTPConnection *c) { finished(*s, c, QString()); });
        connect(slot.client, &HTTPClient::OnError, this, [this, s](const QByteArray &message) {
            finished(*s, nullptr, QStringLiteral("Service injoignable (%1)").arg(QString::fromUtf8(message)));
        });
    }
}

OverviewDownloads::~OverviewDownloads() = default;

void OverviewDownloads::downloadAll(const QByteArray &skip)
{
    QSet<QByteArray> under;
    for (const Slot &slot : slots_)
        if (!slot.code.isEmpty())
            under << slot.code;
    waiting_.clear();
    for (int row = 0; row < cities_->count(); ++row)
        if (const QByteArray code = cities_->valueAt(row); code != skip && !under.contains(code) && !waiting_.contains(code))
            waiting_ << code;
    done_ = 0;
    total_ = int(waiting_.size() + under.size());
    // The dictionary, read once for the whole round: every report's skies are translated with it.
    dictionary_ = std::make_unique<NameValueList>();
    try {
        dictionary_->loadFromFile(executableDir() + QStringLiteral("/Dictionnaire.ini"));
    } catch (const Error &) {
        dictionary_.reset();  // the skies stay in English; the rest is read all the same
    }
    Q_EMIT progress(done_, total_);
    for (Slot &slot : slots_)
        if (slot.code.isEmpty())
            next(slot);
}

void OverviewDownloads::next(Slot &slot)
{
    slot.code.clear();
    while (!waiting_.isEmpty()) {
        const QByteArray code = waiting_.takeFirst();
        QByteArray host, uri;
        quint16 port = 0;
        bool secure = false;
        CityWeather *weather = cities_->weather(code);
        if (!DecomposeURL(weatherRequestUrl(host_, code), host, uri, port, &secure)) {
            weather->fail(QStringLiteral("adresse du service illisible"));
            ++done_;
            continue;
        }
        slot.code = code;
        slot.body.clear();
        slot.client->setHost(host);
        slot.client->setURI(uri);
        slot.client->setPort(port);
        slot.client->setSecure(secure);
        weather->startDownload();
        slot.client->SendRequest();
        return;
    }
}

void OverviewDownloads::finished(Slot &slot, HTTPConnection *connection, const QString &failure)
{
    if (slot.code.isEmpty())
        return;
    CityWeather *weather = cities_->weather(slot.code);
    QString why = failure;
    if (why.isEmpty() && connection && !isSuccess(connection->ResponseStatus()))
        why = QStringLiteral("Réponse du service : %1").arg(connection->ResponseStatus());
    if (why.isEmpty()) {
        try {
            // The same check as the main window's, on bytes that are never stored.
            const CheckedDocument checked = checkWeatherDocument(slot.body, QStringLiteral("réponse de ") + QString::fromUtf8(slot.code));
            const Translator traduire = [this](const QByteArray &phrase) { return dictionary_ ? translate(phrase, *dictionary_) : phrase; };
            weather->receive(readCityReport(*checked.document, checked.condition, traduire, clock()));
        } catch (const Error &e) {
            why = QString::fromUtf8(e.what());
        }
    }
    if (!why.isEmpty())
        weather->fail(why);
    slot.body.clear();
    ++done_;
    Q_EMIT progress(done_, total_);
    next(slot);
}

} // namespace meteo
