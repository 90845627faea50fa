// SPDX-License-Identifier: GPL-2.0-or-later
#include "vigilance.h"

#include "jsonreader.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace service {
namespace {

HttpError unreadable(const QByteArray &why)
{
    return {502, "vigilance de Météo-France illisible : " + why};
}

} // namespace

Result<VigilanceMap> parseVigilanceMap(const QByteArray &json)
{
    if (json.size() > VigilanceSource::kMaxAnswer)
        return unreadable("réponse de plus de 2 Mio");
    const QJsonObject product = jsonObject(json).value_or(QJsonObject()).value(QLatin1StringView("product")).toObject();
    if (product.isEmpty())
        return unreadable("pas d'objet product");
    VigilanceMap map;
    const std::optional<QDateTime> updated = isoInstant(product.value(QLatin1StringView("update_time")));
    if (!updated)
        return unreadable("product.update_time");
    map.updated = *updated;
    const QJsonValue periods = product.value(QLatin1StringView("periods"));
    if (!periods.isArray())
        return unreadable("product.periods");
    for (const QJsonValue period : periods.toArray()) {
        const QJsonObject p = period.toObject();
        const std::optional<QDateTime> from = isoInstant(p.value(QLatin1StringView("begin_validity_time"))),
                                       to = isoInstant(p.value(QLatin1StringView("end_validity_time")));
        const QJsonValue domains = p.value(QLatin1StringView("timelaps")).toObject().value(QLatin1StringView("domain_ids"));
        if (!from || !to || *to <= *from || !domains.isArray())
            return unreadable("période sans validité ou sans domain_ids");
        for (const QJsonValue domain : domains.toArray()) {
            const QJsonObject d = domain.toObject();
            const QJsonValue id = d.value(QLatin1StringView("domain_id"));
            const QJsonValue items = d.value(QLatin1StringView("phenomenon_items"));
            if (!id.isString() || !items.isArray())
                return unreadable("domain_id ou phenomenon_items");
            const QByteArray department = id.toString().toLatin1();
            if (!isMetropolitanDepartment(department))
                continue;  // coastal zones and other domains: not a department's
            for (const QJsonValue item : items.toArray()) {
                const QJsonObject it = item.toObject();
                const std::optional<int> phenomenonId = identifier(it.value(QLatin1StringView("phenomenon_id")));
                const QJsonValue laps = it.value(QLatin1StringView("timelaps_items"));
                if (!phenomenonId || !laps.isArray())
                    return unreadable("phenomenon_id ou timelaps_items de " + department);
                const std::optional<Phenomenon> phenomenon = meteo::phenomenonOf(*phenomenonId);
                if (!phenomenon)
                    continue;  // a phenomenon this viewer cannot name: left out rather than misnamed
                for (const QJsonValue lap : laps.toArray()) {
                    const QJsonObject l = lap.toObject();
                    const std::optional<int> colourId = identifier(l.value(QLatin1StringView("color_id")));
                    // No colour identifier is no colour (0 names none).
                    const std::optional<WarningColour> colour = meteo::warningColourOf(colourId.value_or(0));
                    const std::optional<QDateTime> begin = isoInstant(l.value(QLatin1StringView("begin_time"))),
                                                   end = isoInstant(l.value(QLatin1StringView("end_time")));
                    if (!colour || !begin || !end || *end <= *begin)
                        return unreadable("timelaps_items de " + department);
                    if (*colour != WarningColour::Vert)
                        map.byDepartment[department].append({*phenomenon, *colour, *begin, *end});
                }
            }
        }
    }
    return map;
}

Result<QByteArray> readMeteoFranceKey(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return HttpError{500, "clé de Météo-France illisible : " + path.toUtf8()};
    if (file.permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup))
        return HttpError{500, "clé de Météo-France lisible par d'autres que son propriétaire (chmod 600 " + path.toUtf8() + ")"};
    const QByteArray key = file.readAll().trimmed();
    if (key.isEmpty() || key.contains('\n') || key.size() > 4096)
        return HttpError{500, "clé de Météo-France vide ou de plusieurs lignes : " + path.toUtf8()};
    return key;
}

VigilanceSource::VigilanceSource(const QByteArray &key, const QByteArray &base, std::function<void(const QByteArray &)> log,
                                 QObject *parent)
    : QObject(parent), key_(key), url_(QString::fromUtf8(base.endsWith('/') ? base.chopped(1) : base) + QStringLiteral("/cartevigilance/encours")),
      log_(std::move(log)), manager_(std::make_unique<QNetworkAccessManager>())
{
}

VigilanceSource::~VigilanceSource() = default;

void VigilanceSource::start(int intervalMs)
{
    auto *timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &VigilanceSource::fetch);
    timer->start(intervalMs);
    fetch();
}

void VigilanceSource::fetch()
{
    if (busy_)
        return;
    busy_ = true;
    ++calls_;
    QNetworkRequest request(url_);
    request.setRawHeader("apikey", key_);  // the key travels in this header alone, never in the URL or a log
    request.setTransferTimeout(timeoutMs_);
    QNetworkReply *reply = manager_->get(request);
    auto body = std::make_shared<QByteArray>();
    connect(reply, &QNetworkReply::readyRead, reply, [reply, body] {
        *body += reply->readAll();
        if (body->size() > kMaxAnswer)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, body] {
        reply->deleteLater();
        busy_ = false;
        *body += reply->readAll();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        QByteArray why;
        if (body->size() > kMaxAnswer)
            why = "réponse de plus de 2 Mio, abandonnée";
        else if (status == 0)
            why = "Météo-France injoignable (" + QByteArray::number(int(reply->error())) + ")";
        else if (status != 200)
            why = "Météo-France a répondu HTTP " + QByteArray::number(status);
        else if (Result<VigilanceMap> map = parseVigilanceMap(*body); map.ok()) {
            map_ = std::move(map.value());
            if (map_->updated.secsTo(QDateTime::currentDateTimeUtc()) > 24 * 3600)
                why = "carte du " + map_->updated.toString(Qt::ISODate).toLatin1() + ", de plus de 24 h : pas de section vigilance";
        } else
            why = map.error().text;
        if (!why.isEmpty())
            log_("vigilance: " + why);
    });
}

std::optional<Vigilance> VigilanceSource::at(const QByteArray &department, const QDateTime &now) const
{
    if (!map_ || !isMetropolitanDepartment(department) || map_->updated.secsTo(now) > 24 * 3600)
        return std::nullopt;
    return Vigilance{department, map_->updated, warningsAhead(*map_, department, now)};
}

} // namespace service
