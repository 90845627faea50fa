// SPDX-License-Identifier: GPL-2.0-or-later
#include "overviewdownloads.h"

#include "citydownload.h"
#include "app/model/citylist.h"
#include "app/model/cityweather.h"
#include "common/error.h"
#include "net/httpclient.h"
#include "net/response.h"
#include "weather/namevaluelist.h"
#include "weather/translation.h"

namespace meteo {

OverviewDownloads::OverviewDownloads(CityList *cities, const QByteArray &serviceHost, QObject *parent)
    : QObject(parent), cities_(cities), road_(std::make_unique<CityDownload>(serviceHost))
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
            finished(*s, nullptr, unreachableText(message));
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
    done_ = failed_ = 0;
    total_ = int(waiting_.size() + under.size());
    // The dictionary, read once for the whole round: every report's skies are translated with it.
    // Without it no report is read, and each city says why, as the main window does.
    dictionary_.reset();
    dictionaryError_.clear();
    try {
        dictionary_ = CityDownload::dictionary();
    } catch (const Error &e) {
        dictionaryError_ = QString::fromUtf8(e.what());
    }
    Q_EMIT progress(done_, total_);
    for (Slot &slot : slots_)
        if (slot.code.isEmpty())
            next(slot);
}

void OverviewDownloads::stop()
{
    waiting_.clear();
    for (Slot &slot : slots_) {
        slot.client->Abandon();
        if (CityWeather *weather = slot.code.isEmpty() ? nullptr : cities_->find(slot.code))
            weather->stopDownload();
        slot.code.clear();
        slot.body.clear();
    }
}

void OverviewDownloads::next(Slot &slot)
{
    slot.code.clear();
    while (!waiting_.isEmpty()) {
        const QByteArray code = waiting_.takeFirst();
        CityWeather *weather = cities_->weather(code);
        try {
            road_->aim(*slot.client, code);
        } catch (const Error &e) {
            weather->fail(QString::fromUtf8(e.what()));
            ++done_;
            ++failed_;
            continue;
        }
        slot.code = code;
        slot.body.clear();
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
    QString why = failure.isEmpty() ? CityDownload::refusal(connection, slot.body) : failure;
    if (why.isEmpty() && !dictionary_)
        why = dictionaryError_;
    if (why.isEmpty()) {
        try {
            // The same check as the main window's, on bytes that are never stored.
            // The row names its city: the fault is the service's answer's.
            const CheckedDocument checked = CityDownload::check(slot.body, QStringLiteral("Réponse du service"));
            const Translator traduire = [this](const QByteArray &phrase) { return translate(phrase, *dictionary_); };
            weather->receive(CityDownload::read(checked, traduire, clock()));
        } catch (const Error &e) {
            why = QString::fromUtf8(e.what());
        }
    }
    if (!why.isEmpty()) {
        weather->fail(why);
        ++failed_;
    }
    slot.body.clear();
    ++done_;
    Q_EMIT progress(done_, total_);
    next(slot);
}

} // namespace meteo
