// SPDX-License-Identifier: GPL-2.0-or-later
// The main window: built from its description (form1.ui), it holds the weather record, the city list,
// the download buffer and every handler the description binds. The routines are thin: each names its
// step and calls what does the work (the download road, the menus, the settings, "Ma position").
#pragma once
#include "ui_form1.h"
#include "app/fetch/citydownload.h"
#include "app/storage/settings.h"
#include "weather/conditionmeteo.h"
#include "weather/display.h"
#include "weather/extraction.h"
#include "weather/namevaluelist.h"
#include "app/widgets/labelcontent.h"
#include "net/communelist.h"

#include <QDateTime>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QTimer;

namespace meteo {
class ActivationHistory;
class CityList;
class CityWeather;
class Companions;
class FormVilles;
class MainMenus;
class MemoText;
class MyPosition;
class VigilanceBadge;
}

class TForm1 : public QMainWindow, public Ui::TForm1, private meteo::DisplayTarget {
    Q_OBJECT
    Q_PROPERTY(int Top READ Top WRITE setTop)
    Q_PROPERTY(int Left READ Left WRITE setLeft)
    // Our own remembered values beside the description's, kept by the settings: whether rain is
    // announced on the desktop, and the pollens the user wants to be told of ("bouleau,graminees").
    Q_PROPERTY(bool AvertirPluie READ AvertirPluie WRITE setAvertirPluie)
    Q_PROPERTY(QString PollensGenants READ PollensGenants WRITE setPollensGenants)
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    int Top() const { return pos().y(); }
    void setTop(int top) { move(pos().x(), top); }
    int Left() const { return pos().x(); }
    void setLeft(int left) { move(left, pos().y()); }
    bool AvertirPluie() const { return Reglages->rainWanted(); }
    void setAvertirPluie(bool on) { Reglages->setRainWanted(on); }
    QString PollensGenants() const { return Reglages->pollensText(); }
    void setPollensGenants(const QString &taxa) { Reglages->setPollensText(taxa); }

    // The weather service's host name, optionally with ":port". Tests point it at their own server.
    QByteArray serviceHost() const { return road_->serviceHost(); }
    void setServiceHost(const QByteArray &host) { road_ = std::make_unique<meteo::CityDownload>(host); }

    // Routines (not bound by the description).
    QByteArray Traduire(const QByteArray &Phrase) const;
    void Request(const QByteArray &Vil);
    void Mise_A_Jour();
    void SendRequest(const QByteArray &url);
    void Assigne_Meteo(const QString &Nam);
    // Adds a commune found by the "Ajouter une ville" dialog (once) and requests it.
    void AjouterVille(const QByteArray &name, const QByteArray &label, const QByteArray &code);

    // State shared by the routines, under the names the handlers use.
    TConditionMeteo CondMeteo;
    std::unique_ptr<meteo::NameValueList> Traductions;  // exists only while a refresh runs
    std::unique_ptr<meteo::CityList> Villes;  // lines of villes.ini and their cities' weather, until FormClose
    QByteArray Ville;                         // code of the last request
    meteo::MemoText *MemoHTML = nullptr;
    QMenuBar *MainMenu = nullptr;
    QLabel *Imag = nullptr;
    meteo::MainMenus *Menus = nullptr;       // the menu bar's menus and commands, and the panel's menu
    meteo::Settings *Reglages = nullptr;     // what meteo.ini keeps beside the window's place
    meteo::MyPosition *Position = nullptr;   // "Ma position", made when first asked for
    meteo::Companions *Compagnons = nullptr; // the forecast windows, the notices, the panel icon
    meteo::FormVilles *Overview = nullptr;   // "Mes villes", made when first asked for
    QTimer *Actualisation = nullptr;         // the next download of the current city
    meteo::VigilanceBadge *Vigilance = nullptr;  // the department's worst warning, under the icon
    // The stored weather.xml as parsed and read once by the download that stored it.
    meteo::CheckedDocument Document;
    QString Chemin;
    // The real time; tests set their own.
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    // How often the current city is downloaded again, and the first wait after a failed download
    // (milliseconds); tests shorten them.
    int refreshInterval = 15 * 60 * 1000;
    int retryInterval = 60 * 1000;
    int positionTimeout = 30 * 1000;  // for one fix of "Ma position"

    // The weather of the city the window shows, which every other window, the panel icon and the
    // notices follow.
    meteo::CityWeather *Affichee() const;
    QLabel *label(int number) const;
    QByteArray httpBuffer() const { return HTTPBuffer; }

public Q_SLOTS:
    void Button1Click();
    void FormClose();
    void HTTPClientDisconnect(meteo::HTTPConnection *ASocket);
    void HTTPClientDoneInput(meteo::HTTPConnection *ASocket);
    void HTTPClientError(const QByteArray &msg, meteo::HTTPConnection *ASocket);
    qint32 HTTPClientInput(meteo::HTTPConnection *ASocket, const char *ABuffer, qint32 ASize);
    void HTTPClientProcessHeaders(meteo::HTTPConnection *ASocket);
    void FormActivate();
    void FormCreate();
    void MenuItemClick();
    void AjouterVilleClick();
    void ActualiserClick();
    void RetirerVilleClick();
    void PrevisionsClick();
    void HeuresClick();
    void AirClick();
    void CarteClick();
    void CloseAppli();
    void MesVillesClick();
    // Shows the weather of `code` as a choice in the "Villes" menu does.
    void choisirVille(const QByteArray &code);
    // Shows a commune found by "Ma position" or on the rain map, and offers it to the list.
    void showCommune(const meteo::FoundCommune &commune);

Q_SIGNALS:
    // The window's own events, bound to their handlers by the description.
    void OnCreate();
    void OnActivate();
    void OnClose();

private Q_SLOTS:
    void startDesktop();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void setCaption(const QByteArray &text) override;
    void setLabel(int number, const QByteArray &text) override;
    void loadIcon(const QString &path) override;
    void setStatus(const QByteArray &text);
    void connectMenus();
    void keepSettings();
    void downloadEnded(const QString &failure);
    meteo::CityWeather *weatherOf(const QByteArray &code) const;
    void requestStartCity();

    QByteArray HTTPBuffer;
    std::optional<meteo::FoundCommune> offered_;  // the commune "Ajouter à mes villes" adds
    std::unique_ptr<meteo::CityDownload> road_;  // the download's set-up, checks and reading
    meteo::ActivationHistory *activations_ = nullptr;
    int failures_ = 0;  // downloads in a row that did not end with the weather shown
    bool closed_ = false;  // once closed, nothing downloads or schedules a download again
    QByteArray shownCity_;  // code of the city whose weather is shown
    QByteArray requested_;  // code of the city of the download under way
    bool desktopStarted_ = false;
    QDateTime received_;  // when the download being shown ended
    QString shownSky_;   // the sky of the report being shown, in French: what the picture shows
    meteo::PictureFile picture_;  // the condition's picture, decoded again only when its file changed
};
