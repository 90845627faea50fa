// SPDX-License-Identifier: GPL-2.0-or-later
#include "weatherservice.h"

#include "service/communes/nearindex.h"
#include "weatherrequest.h"

#include <QElapsedTimer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QTcpSocket>
#include <algorithm>
#include <cstdio>
#include <deque>
#include <memory>
#include <optional>

namespace service {
namespace {

constexpr char kAnswered[] = "meteoAnswered";

QByteArray methodName(QHttpServerRequest::Method m)
{
    switch (m) {
    case QHttpServerRequest::Method::Get: return "GET";
    case QHttpServerRequest::Method::Head: return "HEAD";
    case QHttpServerRequest::Method::Post: return "POST";
    case QHttpServerRequest::Method::Put: return "PUT";
    case QHttpServerRequest::Method::Delete: return "DELETE";
    default: return "OTHER";
    }
}

// <communes><commune code="FR42218" cp="42000">Saint-Étienne (42)</commune>…</communes>; the postal
// code shown is the one that matched, or the commune's first.
QByteArray communesXml(const QString &text)
{
    const QByteArray digits = text.toLatin1();
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<communes>\n";
    for (const City *c : CommuneTable::shipped().search(text)) {
        const QList<QByteArray> codes = c->postalCodes.split(',');
        const auto matched = std::find_if(codes.begin(), codes.end(), [&](const QByteArray &cp) { return cp.startsWith(digits); });
        const QByteArray cp = matched != codes.end() ? *matched : codes.first();
        xml += "  <commune code=\"" + c->code + "\" cp=\"" + cp + "\">"
               + QString::fromUtf8(c->label()).toHtmlEscaped().toUtf8() + "</commune>\n";
    }
    return xml + "</communes>\n";
}

// The same list for the communes nearest a point, each with its distance: km="0.4".
QByteArray nearXml(const Point &p)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<communes>\n";
    for (const NearCommune &n : CommuneTable::shipped().nearest(p.latitude, p.longitude)) {
        const City *c = n.commune;
        xml += "  <commune code=\"" + c->code + "\" cp=\"" + n.seat->postalCodes.split(',').first() + "\" km=\""
               + QByteArray::number(n.km, 'f', 1) + "\">" + QString::fromUtf8(c->label()).toHtmlEscaped().toUtf8()
               + "</commune>\n";
    }
    return xml + "</communes>\n";
}

// The answers owed on one connection, sent in the order of its requests whatever order the source
// finishes them in: a pipelining client reads each answer as that of its own request.
class AnswerQueue : public QObject {
public:
    explicit AnswerQueue(QTcpSocket *socket) : QObject(socket) { setObjectName(QString::fromLatin1(kName)); }
    static AnswerQueue *of(QTcpSocket *socket)
    {
        // Found by its name: a class without a meta-object of its own cannot be told apart by type.
        QObject *queue = socket->findChild<QObject *>(QString::fromLatin1(kName), Qt::FindDirectChildrenOnly);
        return queue ? static_cast<AnswerQueue *>(queue) : new AnswerQueue(socket);
    }
    quint64 reserve()
    {
        owed_.emplace_back();
        return first_ + owed_.size() - 1;
    }
    // Sends the answer of `ticket` once every earlier one has gone.
    void fill(quint64 ticket, std::function<void()> send)
    {
        owed_[size_t(ticket - first_)] = std::move(send);
        while (!owed_.empty() && owed_.front()) {
            const std::function<void()> next = std::move(*owed_.front());
            owed_.pop_front();
            ++first_;
            next();
        }
    }

private:
    static constexpr char kName[] = "meteoAnswerQueue";
    std::deque<std::optional<std::function<void()>>> owed_;
    quint64 first_ = 0;
};

constexpr char kXmlType[] = "text/xml; charset=UTF-8";

} // namespace

WeatherService::WeatherService(WeatherSource &source, QObject *parent)
    : QAbstractHttpServer(parent), source_(source), clock_([] { return QDateTime::currentDateTimeUtc(); }),
      log_([](const QByteArray &line) {
          std::fprintf(stderr, "%s\n", line.constData());
          std::fflush(stderr);
      })
{
}

bool WeatherService::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    QElapsedTimer timer;
    timer.start();
    const QByteArray method = methodName(request.method());
    const QByteArray path = request.url().path(QUrl::FullyEncoded).toUtf8();
    const QByteArray query = request.url().query(QUrl::FullyEncoded).toUtf8();
    // A position asked for is nobody's business: the log keeps a query only for a weather request
    // (its fixed products); any other says that it had one, not what it was, whatever its path.
    const QByteArray target = query.isEmpty()                         ? path
                              : path.startsWith("/weather/local/") ? path + '?' + query
                                                                   : path + "?…";
    const QByteArray peer = request.remoteAddress().toString().toUtf8();
    auto responder = std::make_shared<QHttpServerResponder>(makeResponder(request, socket));
    QPointer<QTcpSocket> client(socket);
    QPointer<AnswerQueue> queue(AnswerQueue::of(socket));
    const quint64 ticket = queue->reserve();

    auto finish = [this, responder, client, queue, ticket, timer, method, target, peer](int status, const QByteArray &body,
                                                                                         const QByteArray &note,
                                                                                         const QByteArray &type = kXmlType) {
        if (client && queue)
            queue->fill(ticket, [responder, method, status, body, type] {
                if (method == "HEAD") {  // the GET's headers, its length included, and no body
                    responder->writeStatusLine(QHttpServerResponder::StatusCode(status));
                    responder->writeHeaders({{"Content-Type", type}, {"Content-Length", QByteArray::number(body.size())}});
                    responder->writeBody(QByteArray());
                } else {
                    responder->write(body, {{"Content-Type", type}}, QHttpServerResponder::StatusCode(status));
                }
            });
        log_(QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8() + ' ' + peer + " \"" + method + ' '
             + target + "\" " + QByteArray::number(status) + ' ' + QByteArray::number(body.size()) + "B "
             + QByteArray::number(timer.elapsed()) + "ms" + (note.isEmpty() ? QByteArray() : " " + note)
             + (client ? QByteArray() : " (client parti)"));
    };

    const auto refuse = [&finish](const HttpError &error, const QByteArray &note) {
        finish(error.status, errorXml(error.status, error.text), note);
    };

    // Qt's server hands any upgrade to its own missing-request handler as well: this answer is the
    // only one, and the socket says so to that handler.
    if (request.value("Upgrade").size() > 0 || request.value("upgrade").size() > 0) {
        socket->setProperty(kAnswered, true);
        refuse({400, "changement de protocole non servi"}, "changement de protocole refusé");
        return true;
    }
    const QByteArray asGet = method == "HEAD" ? QByteArray("GET") : method;
    if (path == "/communes/near") {
        const Result<Point> point = parseNearQuery(asGet, query);
        if (point.ok())
            finish(200, nearXml(point.value()), QByteArray());
        else
            refuse(point.error(), point.error().text);
        return true;
    }
    if (path == "/communes") {
        const Result<QString> search = parseCommuneQuery(asGet, query);
        if (search.ok())
            finish(200, communesXml(search.value()), QByteArray());
        else
            refuse(search.error(), search.error().text);
        return true;
    }
    if (path == "/carte/pluie" || path.startsWith("/carte/pluie/")) {
        const Result<std::optional<qint64>> map = parseRainMapRequest(asGet, path, query);
        if (!map.ok()) {
            refuse(map.error(), map.error().text);
        } else if (!rainMap_) {
            refuse({404, "pas de carte des pluies"}, "pas de carte");
        } else if (!map.value()) {
            finish(200, rainIndexXml(rainMap_->index(clock_())), QByteArray());
        } else {
            QPointer<WeatherService> self(this);
            rainMap_->frame(*map.value(), clock_(), [self, finish](const Result<QByteArray> &frame) {
                if (!self)
                    return;  // the server went away while the frame was made
                if (frame.ok())
                    finish(200, frame.value(), QByteArray(), "image/png");
                else
                    finish(frame.error().status, errorXml(frame.error().status, frame.error().text), frame.error().text);
            });
        }
        return true;
    }
    const Result<WeatherRequest> asked = parseWeatherRequest(asGet, path, query);
    if (!asked.ok()) {
        refuse(asked.error(), asked.error().text);
        return true;
    }
    const City *city = findCity(asked.value().code);
    if (!city) {
        refuse({404, "code de lieu inconnu"}, "code inconnu");
        return true;
    }
    const int days = asked.value().days;
    const QDateTime now = clock_();
    const QByteArray key = city->code + '/' + QByteArray::number(days);
    if (const Rendered *kept = rendered_.object(key); kept && now < kept->until) {
        finish(200, kept->xml, source_.name());
        return true;
    }
    QPointer<WeatherService> self(this);
    source_.fetch(*city, now, [self, finish, days, key, now, department = city->department, name = source_.name()](SourceResult result) {
        if (!self)
            return;  // the server went away while the source worked: nothing of it may run
        if (result.ok() && self->vigilance_)
            result.value().vigilance = self->vigilance_(department, now);
        if (result.ok()) {
            const QByteArray xml = toXml(result.value(), days);
            self->keep(key, xml, result.value().validUntil);
            finish(200, xml, result.value().omitted.isEmpty() ? name : name + "; " + result.value().omitted.join("; "));
        } else {
            const HttpError &error = result.error();
            finish(error.status, errorXml(error.status, error.text), name + ": " + error.text);
        }
    });
    return true;
}

void WeatherService::keep(const QByteArray &key, const QByteArray &xml, const QDateTime &until)
{
    if (!until.isValid())
        return;  // a source that cannot tell: rendered for every request
    rendered_.insert(key, new Rendered{xml, until}, xml.size());
}

void WeatherService::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    if (socket->property(kAnswered).toBool())
        return;
    makeResponder(request, socket).write(errorXml(400, "requête non servie"), {{"Content-Type", "text/xml; charset=UTF-8"}},
                                         QHttpServerResponder::StatusCode::BadRequest);
}

} // namespace service
