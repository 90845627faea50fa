// The window's download: the request for a city code and the five handlers of the HTTP client.
#include "citylist.h"
#include "cityweather.h"
#include "errorreport.h"
#include "executable.h"
#include "form1.h"
#include "memotext.h"
#include "places.h"
#include "refreshschedule.h"
#include "net/decomposeurl.h"
#include "net/request.h"
#include "net/response.h"
#include "common/error.h"
#include "weather/extraction.h"

using meteo::atEventBoundary;

void TForm1::Request(const QByteArray &Vil)
{
    const QByteArray Demande = meteo::weatherRequestUrl(serviceHost_, Vil);
    const bool abandons = HTTPClient->Busy() && requested_ != Vil;
    SendRequest(Demande);
    // A download under way for another city is abandoned by this one.
    if (meteo::CityWeather *abandoned = abandons ? weatherOf(requested_) : nullptr)
        abandoned->stopDownload();
    requested_ = Vil;  // the city the answer under way is of
    if (meteo::CityWeather *weather = weatherOf(Vil))
        weather->startDownload();
    if (RetirerVille)
        updateRetirerVille();  // it names the city of the last request
}

void TForm1::SendRequest(const QByteArray &url)
{
    HTTPBuffer.clear();
    QByteArray AHost, AURI;
    quint16 APort = 0;
    bool secure = false;
    // An address the build or METEO_SERVICE_HOST got wrong is said as such, never quietly port 80.
    if (!meteo::DecomposeURL(url, AHost, AURI, APort, &secure))
        throw meteo::Error(QStringLiteral("adresse du service illisible : ") + QString::fromUtf8(url));
    HTTPClient->setHost(AHost);
    HTTPClient->setURI(AURI);
    HTTPClient->setPort(APort);
    HTTPClient->setSecure(secure);
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
    QString failure = QStringLiteral("téléchargement interrompu");
    atEventBoundary("HTTPClientDisconnect", [&] {
        // An error answer (our service's 404 or 502, a redirect) is no weather: the last good
        // document stays stored and shown.
        if (ASocket && !meteo::isSuccess(ASocket->ResponseStatus())) {
            const QByteArray status = meteo::notStoredStatus(ASocket->ResponseStatus(), ASocket->ResponseReason(), HTTPBuffer);
            setStatus(status);
            failure = QString::fromUtf8(status);
            return;
        }
        Chemin = meteo::executableDir();
        // An answer without body must not store the previous body again, nor empty a good file.
        if (HTTPBuffer.isEmpty()) {
            setStatus(meteo::kNoBodyStatus);
            failure = QString::fromUtf8(meteo::kNoBodyStatus);
            return;
        }
        received_ = clock();
        const meteo::Places &places = meteo::Places::current();
        // A body the refresh would refuse (a captive portal's page, a hostile shape) never replaces
        // the last good weather: it is checked as the refresh reads it, before it is stored.
        // The one parse of this download: the refresh and the forecast windows read it.
        try {
            meteo::CheckedDocument checked = meteo::checkWeatherDocument(HTTPBuffer, places.weatherFile());
            places.prepareFolderOf(places.weatherFile());
            MemoHTML->SaveToFile(places.weatherFile());
            Document = std::move(checked);
            Mise_A_Jour();
        } catch (const std::exception &e) {
            failure = QString::fromUtf8(e.what());
            throw;
        }
        shownCity_ = requested_;
        setDisplayed(weatherOf(shownCity_));
        checkShownCity();
        setStatus(meteo::disconnectStatus(serviceHost_));
        if (positionToSay_ && position_ && shownCity_ == position_->code) {
            setStatus(positionStatus());  // where "Ma position" found the user, in place of the host
            positionToSay_ = false;
        }
        failure.clear();
    });
    downloadEnded(failure);
}

void TForm1::HTTPClientError(const QByteArray &msg, meteo::HTTPConnection *)
{
    atEventBoundary("HTTPClientError", [&] { setStatus(meteo::errorStatus(msg)); });
    downloadEnded(QString::fromUtf8(meteo::errorStatus(msg)));
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
    });
}
