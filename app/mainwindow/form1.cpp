// SPDX-License-Identifier: GPL-2.0-or-later
// The window itself: construction from the description, its own events, the display target, the
// desktop started after the first picture, and the close path with the property storage.
#include "form1.h"

#include "activationhistory.h"
#include "companions.h"
#include "mainmenus.h"
#include "myposition.h"
#include "app/fetch/citydownload.h"
#include "app/model/citylist.h"
#include "app/model/cityweather.h"
#include "app/storage/inipropstorage.h"
#include "app/storage/memotext.h"
#include "app/storage/places.h"
#include "app/storage/settings.h"
#include "app/storage/settings.h"
#include "app/widgets/errorreport.h"
#include "app/widgets/labelcontent.h"
#include "app/widgets/screenplacement.h"
#include "app/widgets/simplestatusbar.h"
#include "app/widgets/vigilancebadge.h"
#include "common/error.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QTimer>
#include <cstdio>

using meteo::atEventBoundary;

// The window icon lives in the static library's resources, which are not registered on their own.
static void initResources()
{
    Q_INIT_RESOURCE(meteo);
}

TForm1::TForm1(QWidget *parent) : QMainWindow(parent)
{
    initResources();
    activations_ = new meteo::ActivationHistory(this);
    Reglages = new meteo::Settings(this);
    connect(Reglages, &meteo::Settings::notKept, this, [](const QString &why) { meteo::ErrorReport::report("Réglages", why); });
    connect(Reglages, &meteo::Settings::chosen, this, &TForm1::keepSettings);
    QByteArray host = METEO_SERVICE_HOST;  // the build names the service
    if (const QByteArray other = qgetenv("METEO_SERVICE_HOST"); !other.isEmpty())
        host = other;  // another service than the one the build names
    road_ = std::make_unique<meteo::CityDownload>(host);
    setupUi(this);  // components, properties and event bindings, from form1.ui
    // The window's light blue and the fonts of the place, the sky and the station (in pixels), set
    // without a style sheet, which would restyle every widget of the window before its first picture.
    meteo::setAreaBackground(ClientArea, QColor(0xC5, 0xDB, 0xF3));
    meteo::setLabelFont(Label1, 18, false, Qt::blue);
    meteo::setLabelFont(Label9, 16, true, Qt::black);
    meteo::setLabelFont(Label10, 14, true, palette().color(QPalette::WindowText));
    Q_EMIT OnCreate();
    setProperty("SessionProperties", property("SessionProperties").toString() + QStringLiteral(";AvertirPluie;PollensGenants"));
    IniPropStorage->setIniFileName(meteo::Places::current().settingsFile());
    IniPropStorage->Restore();
    meteo::keepWholeOnScreen(this);
    // The hidden code holder is no field for a screen reader: as a window of its own (never shown)
    // it leaves the window's accessibility tree, and stays a component found by its name.
    Edit1->setWindowFlag(Qt::Window);
    Actualisation = new QTimer(this);
    Actualisation->setObjectName(QStringLiteral("Actualisation"));
    Actualisation->setSingleShot(true);
    connect(Actualisation, &QTimer::timeout, this, &TForm1::ActualiserClick);  // again once the window manager has framed it (event())
}

TForm1::~TForm1() = default;

void TForm1::FormCreate()
{
    atEventBoundary("FormCreate", [&] {
        MemoHTML = new meteo::MemoText(this);
        MemoHTML->setObjectName(QStringLiteral("MemoHTML"));
        MemoHTML->Clear();
        Villes = std::make_unique<meteo::CityList>();
        try {
            if (const QString cut = Villes->load(); !cut.isEmpty())
                meteo::ErrorReport::report("villes.ini", cut);
        } catch (const meteo::Error &e) {
            // Reported, but the window is still built whole: a menu with only "Quitter", and Imag.
            meteo::ErrorReport::report("FormCreate", QString::fromUtf8(e.what()));
        }
        Menus = new meteo::MainMenus(this, Villes.get(), Reglages,
                                     [this](QAction *town) { connect(town, &QAction::triggered, this, &TForm1::MenuItemClick); });
        MainMenu = Menus->bar;
        connectMenus();
        Compagnons = new meteo::Companions(this, Villes.get(), Reglages, Menus, [this] { return clock(); });
        Imag = new QLabel(ClientArea);
        Imag->setObjectName(QStringLiteral("Imag"));
        Imag->move(30, 60);
        Imag->show();
        // In the empty area under the icon, clear of every label of the window.
        Vigilance = new meteo::VigilanceBadge(ClientArea);
        Vigilance->setGeometry(16, 168, 272, 58);
        Vigilance->clock = [this] { return clock(); };
        connect(Vigilance, &QPushButton::clicked, this, &TForm1::HeuresClick);
        connect(Villes.get(), &meteo::CityList::displayedChanged, Vigilance, &meteo::VigilanceBadge::follow);
        // A screen reader reads children in their order: the city and the station first, then the
        // values, the picture among them.
        for (QWidget *w : std::initializer_list<QWidget *>{Label1, Label10, Label2, Label3, Label4, Label5, Label6,
                                                          Label7, Label8, Label9, Imag, Label11, Label12, Button1})
            w->raise();
    });
}

void TForm1::CloseAppli()
{
    close();
}

bool TForm1::event(QEvent *e)
{
    switch (e->type()) {
    case QEvent::StatusTip:
        return true;  // menu hovers must not replace the status text
    case QEvent::Paint:
        // The session bus, the panel, the notices and the window's icon are not needed for the
        // first picture of the window: they come once it is painted.
        if (!desktopStarted_) {
            desktopStarted_ = true;
            QMetaObject::invokeMethod(this, "startDesktop", Qt::QueuedConnection);
        }
        break;
    case QEvent::WindowActivate: {
        // Coming back from one of our own windows is no activation: the add dialog's town or the
        // city chosen before opening the forecast stays, and a return from the error dialog does
        // not fail again.
        const bool activation = activations_->isArrival(this);
        const bool handled = QMainWindow::event(e);
        if (activation)
            Q_EMIT OnActivate();
        return handled;
    }
    default:
        break;
    }
    return QMainWindow::event(e);
}

// meteo.ini written now, as at the close; a folder that cannot be written was said when the choice was made.
void TForm1::keepSettings()
{
    try {
        meteo::Places::current().prepareFolderOf(IniPropStorage->IniFileName());
        IniPropStorage->Save();
    } catch (const std::exception &error) {
        std::fprintf(stderr, "meteo: %s\n", error.what());
    }
}

void TForm1::closeEvent(QCloseEvent *e)
{
    // A download under way ends here: its end would otherwise schedule the next one.
    closed_ = true;
    HTTPClient->Abandon();
    if (Position)
        Position->disconnect(this);  // a position found after the close shows nothing
    Actualisation->stop();
    Q_EMIT OnClose();
    keepSettings();
    e->accept();
}

QLabel *TForm1::label(int number) const
{
    QLabel *const labels[] = {Label1, Label2, Label3, Label4, Label5, Label6,
                              Label7, Label8, Label9, Label10, Label11, Label12};
    return number >= 1 && number <= 12 ? labels[number - 1] : nullptr;
}

void TForm1::setCaption(const QByteArray &text)
{
    setWindowTitle(QString::fromUtf8(text));
}

void TForm1::setLabel(int number, const QByteArray &text)
{
    // Up to the window's edge (the sky's label up to the column of values).
    meteo::setTextWithin(label(number), QString::fromUtf8(text), number == 9 ? Label2->x() - 8 : maximumWidth() - 8);
}

void TForm1::loadIcon(const QString &plainPath)
{
    Imag->setAccessibleName(shownSky_);  // the condition the picture shows, from the report
    const QString path = meteo::sharpIconPath(plainPath, devicePixelRatioF());
    picture_.show(Imag, path, path != plainPath);
}

void TForm1::setStatus(const QByteArray &text)
{
    BarStatus->setSimpleText(QString::fromUtf8(text));
}

// What the first picture of the window does without: its icon (the first picture file read asks
// every image plugin whether it would rather read it), the notices and the panel icon.
void TForm1::startDesktop()
{
    if (!closed_ && Compagnons)
        Compagnons->startDesktop();
}

meteo::CityWeather *TForm1::Affichee() const
{
    return Villes ? Villes->displayed() : nullptr;
}

meteo::CityWeather *TForm1::weatherOf(const QByteArray &code) const
{
    return Villes && !code.isEmpty() ? Villes->weather(code) : nullptr;
}
