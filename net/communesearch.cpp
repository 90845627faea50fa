#include "communesearch.h"

#include "weather/error.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>
#include <QXmlStreamReader>
#include <algorithm>

namespace meteo {
namespace {
constexpr qint64 kMaxAnswer = 64 * 1024;  // twenty communes take about 2 KB

bool plainCode(const QByteArray &code)
{
    if (code.isEmpty() || code.size() > 16)
        return false;
    return std::all_of(code.begin(), code.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
}

// No C0 or C1 control, DEL, line or paragraph separator, nor the list's "=".
bool plainText(QStringView text)
{
    return std::none_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x20 || (u >= 0x7f && u <= 0x9f) || u == 0x2028 || u == 0x2029 || u == u'=';
    });
}

} // namespace

QByteArray FoundCommune::name() const
{
    const qsizetype at = label.lastIndexOf(" (");
    return at > 0 ? label.left(at) : label;
}

CommuneList parseCommuneList(const QByteArray &xml)
{
    CommuneList out;
    QXmlStreamReader reader(xml);
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("communes"))
            continue;
        if (reader.name() != QLatin1String("commune")) {
            reader.skipCurrentElement();
            continue;
        }
        FoundCommune c;
        c.code = reader.attributes().value(QLatin1String("code")).toUtf8();
        const QString postalCode = reader.attributes().value(QLatin1String("cp")).toString();
        const QString label = reader.readElementText();
        c.postalCode = postalCode.toUtf8();
        c.label = label.toUtf8();
        if (out.communes.size() + out.ignored >= 100)
            continue;
        if (plainCode(c.code) && !label.isEmpty() && plainText(label) && plainText(postalCode))
            out.communes << c;
        else
            ++out.ignored;
    }
    if (reader.hasError())
        throw Error(QStringLiteral("liste des communes illisible (") + reader.errorString() + u')');
    return out;
}

CommuneSearch::CommuneSearch(const QByteArray &serviceHost, QObject *parent)
    : QObject(parent), host_(serviceHost), manager_(new QNetworkAccessManager(this))
{
}

void CommuneSearch::search(const QString &text)
{
    if (reply_) {
        waiting_ = text;
        hasWaiting_ = true;
        return;
    }
    send(text);
}

void CommuneSearch::send(const QString &text)
{
    asked_ = text;
    hasWaiting_ = false;
    QNetworkRequest request(QUrl::fromEncoded("http://" + host_ + "/communes?q=" + text.toUtf8().toPercentEncoding()));
    request.setTransferTimeout(10000);
    reply_ = manager_->get(request);
    connect(reply_, &QNetworkReply::downloadProgress, reply_, [reply = reply_.data()](qint64 received) {
        if (received > kMaxAnswer)
            reply->abort();
    });
    connect(reply_, &QNetworkReply::finished, this, &CommuneSearch::onFinished);
}

void CommuneSearch::onFinished()
{
    QNetworkReply *reply = reply_;
    reply_ = nullptr;
    reply->deleteLater();
    if (hasWaiting_) {  // overtaken: only the newest text's answer is shown
        send(waiting_);
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError && status == 0) {
        Q_EMIT failed(QStringLiteral("Service météo injoignable (%1)").arg(reply->errorString()));
        return;
    }
    try {
        if (status != 200)
            throw Error(QStringLiteral("le service a répondu %1").arg(status));
        Q_EMIT found(asked_, parseCommuneList(reply->readAll()));
    } catch (const Error &e) {
        Q_EMIT failed(QString::fromUtf8(e.what()));
    }
}

} // namespace meteo
