// SPDX-License-Identifier: GPL-2.0-or-later
#include "citydownload.h"

#include "app/storage/executable.h"
#include "common/error.h"
#include "net/httpclient.h"
#include "net/request.h"
#include "net/response.h"
#include "weather/namevaluelist.h"

namespace meteo {

void CityDownload::aim(HTTPClient &client, const QByteArray &code) const
{
    // An address the build or METEO_SERVICE_HOST got wrong is said as such, never quietly port 80.
    const QByteArray url = weatherRequestUrl(host_, code);
    if (!client.aimAt(url))
        throw Error(unreadableServiceText(url));
}

QString CityDownload::refusal(const HTTPConnection *answer, const QByteArray &body)
{
    if (answer && !isSuccess(answer->ResponseStatus()))
        return refusalText(answer->ResponseStatus(), body);
    return body.isEmpty() ? noBodyText() : QString();
}

CheckedDocument CityDownload::check(const QByteArray &body, const QString &name)
{
    return checkWeatherDocument(body, name);
}

std::unique_ptr<NameValueList> CityDownload::dictionary()
{
    auto list = std::make_unique<NameValueList>();
    list->loadFromFile(executableDir() + QStringLiteral("/Dictionnaire.ini"));
    return list;
}

std::shared_ptr<const CityReport> CityDownload::read(const CheckedDocument &checked, const Translator &traduire,
                                                     const QDateTime &received)
{
    return readCityReport(*checked.document, checked.condition, traduire, received);
}

} // namespace meteo
