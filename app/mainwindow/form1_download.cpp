// SPDX-License-Identifier: GPL-2.0-or-later
// The window's download: the request for a city code and the five handlers of the HTTP client. The
// body, weather.xml and the display are the window's; the set-up, the checks and the words of a
// failure are the download road's (CityDownload), shared with "Mes villes".
#include "form1.h"

#include "mainmenus.h"
#include "myposition.h"
#include "app/fetch/citydownload.h"
#include "app/model/citylist.h"
#include "app/model/cityweather.h"
#include "app/model/refreshschedule.h"
#include "app/storage/executable.h"
#include "app/storage/memotext.h"
#include "app/storage/places.h"
#include "app/widgets/errorreport.h"
#include "app/widgets/simplestatusbar.h"
#include "app/windows/formvilles.h"
#include "common/error.h"
#include "net/request.h"
#include "net/response.h"

#include <QTimer>

using meteo::atEventBoundary;

void TForm1::Request(const QByteArray &Vil)
{
    const QByteArray Demande = meteo::weatherRequestUrl(serviceHost(), Vil);
    const bool abandons = HTTPClient->Busy() && requested_ != Vil;
    SendRequest(Demande);
    // A download under way for another city is abandoned by this one.
    if (meteo::CityWeather *abandoned = abandons ? weatherOf(requested_) : nullptr)
        abandoned->stopDownload();
    requested_ = Vil;  // the city the answer under way is of
    if (meteo::CityWeather *weather = weatherOf(Vil))
        weather->startDownload();
    if (Menus)
        Menus->nameRequested(Vil);  // "Retirer" names the city of the last request
}

void TForm1::SendRequest(const QByteArray &url)
{
    HTTPBuffer.clear();
    // An address the build or METEO_SERVICE_HOST got wrong is said as such, never quietly port 80.
    if (!HTTPClient->aimAt(url))
        throw meteo::Error(meteo::unreadableServiceText(url));
    HTTPClient->SendRequest();
}

void TForm1::HTTPClientProcessHeaders(meteo::HTTPConnection *ASocket)
{
    atEventBoundary("HTTPClientProcessHeaders", [&] {
        setStatus(meteo::headersStatus(ASocket->ResponseStatus(), ASocket->ResponseReason()));
    });
}

qint32 TForm1::HTTPClientInput(meteo::HTTPConnection *, const char *ABuffer, qint32 ASize)
{
    atEventBoundary("HTTPClientInput", [&] {
        // The holder shares the buffer's bytes; letting go of them first lets the append grow the
        // buffer in place instead of copying the whole body at every chunk.
        MemoHTML->Clear();
        HTTPBuffer.append(ABuffer, ASize);
        MemoHTML->setText(HTTPBuffer);
        MemoHTML->setSelStart(HTTPBuffer.size());
        setStatus(meteo::inputStatus(ASize));
    });
    return ASize;
}

void TForm1::HTTPClientDoneInput(meteo::HTTPConnection *ASocket)
{
    atEventBoundary("HTTPClientDoneInput", [&] {
        ASocket->Disconnect();
        setStatus(meteo::kDoneStatus);
    });
}

void TForm1::HTTPClientDisconnect(meteo::HTTPConnection *ASocket)
{
    // An error answer (our service's 404 or 502, a redirect) or an empty one is no weather: the last
    // good document stays stored and shown.
    QString failure = meteo::CityDownload::refusal(ASocket, HTTPBuffer);
    atEventBoundary("HTTPClientDisconnect", [&] {
        if (!failure.isEmpty()) {
            setStatus(ASocket && !meteo::isSuccess(ASocket->ResponseStatus())
                          ? meteo::notStoredStatus(ASocket->ResponseStatus(), ASocket->ResponseReason(), HTTPBuffer)
                          : QByteArray(meteo::kNoBodyStatus));
            return;
        }
        Chemin = meteo::executableDir();
        received_ = clock();
        const meteo::Places &places = meteo::Places::current();
        failure = QStringLiteral("téléchargement interrompu");
        try {
            // A body the refresh would refuse (a captive portal's page, a hostile shape) never
            // replaces the last good weather: it is checked as the refresh reads it, before it is
            // stored. The one parse of this download: the refresh and every window read it.
            meteo::CheckedDocument checked = meteo::CityDownload::check(HTTPBuffer, places.weatherFile());
            places.prepareFolderOf(places.weatherFile());
            MemoHTML->SaveToFile(places.weatherFile());
            Document = std::move(checked);
            Mise_A_Jour();
        } catch (const std::exception &e) {
            failure = QString::fromUtf8(e.what());
            throw;
        }
        shownCity_ = requested_;
        Villes->setDisplayed(weatherOf(shownCity_));
        Menus->showCity(shownCity_);
        setStatus(meteo::disconnectStatus(serviceHost()));
        // Where "Ma position" found the user, in place of the host.
        if (const QByteArray where = Position ? Position->takeShownText(shownCity_) : QByteArray(); !where.isEmpty())
            setStatus(where);
        failure.clear();
    });
    downloadEnded(failure);
}

void TForm1::HTTPClientError(const QByteArray &msg, meteo::HTTPConnection *)
{
    atEventBoundary("HTTPClientError", [&] { setStatus(meteo::errorStatus(msg)); });
    downloadEnded(meteo::unreachableText(msg));
}

// Every download, chosen or timed, sets when the current city is downloaded next; one that failed
// says why to the city's weather, which keeps its last report.
void TForm1::downloadEnded(const QString &failure)
{
    if (closed_)
        return;
    const bool shown = failure.isEmpty();
    if (meteo::CityWeather *weather = shown ? nullptr : weatherOf(requested_))
        weather->fail(failure);
    failures_ = shown ? 0 : failures_ + 1;
    Actualisation->start(meteo::nextRefreshDelay(failures_, refreshInterval, retryInterval));
}

// The timer and F5 ask for the current city again by the road of a menu choice; neither changes
// which city is current or remembered. A download under way makes the timer skip its turn: its end
// sets the next one.
void TForm1::ActualiserClick()
{
    atEventBoundary("ActualiserClick", [&] {
        if (!Ville.isEmpty() && (sender() != Actualisation || !HTTPClient->Busy()))
            Request(Ville);
        if (Overview && sender() != Actualisation)
            Overview->refreshNow();  // F5 in "Mes villes" refreshes its rows too
    });
}
