// The window itself: construction from the description, its own events, the display target, and
// the close path with the property storage.
#include "form1.h"

#include "activationhistory.h"
#include "citylist.h"
#include "cityweather.h"
#include "errorreport.h"
#include "executable.h"
#include "inipropstorage.h"
#include "memotext.h"
#include "places.h"
#include "screenplacement.h"
#include "simplestatusbar.h"
#include "common/error.h"
#include "desktopnotifier.h"
#include "formheures.h"
#include "formprevisions.h"
#include "formair.h"
#include "panelicon.h"
#include "vigilancebadge.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

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
    setupUi(this);  // components, properties and event bindings, from form1.ui
    serviceHost_ = METEO_SERVICE_HOST;  // the build names the service
    if (const QByteArray host = qgetenv("METEO_SERVICE_HOST"); !host.isEmpty())
        serviceHost_ = host;  // another service than the one the build names
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
            Villes->load();
        } catch (const meteo::Error &e) {
            // Reported, but the window is still built whole: a menu with only "Quitter", and Imag.
            meteo::ErrorReport::report("FormCreate", QString::fromUtf8(e.what()));
        }
        buildCityMenu();
        Imag = new QLabel(ClientArea);
        Imag->setObjectName(QStringLiteral("Imag"));
        Imag->move(30, 60);
        Imag->show();
        // In the empty area under the icon, clear of every label of the window.
        Vigilance = new meteo::VigilanceBadge(ClientArea);
        Vigilance->setGeometry(16, 168, 272, 58);
        Vigilance->clock = [this] { return clock(); };
        connect(Vigilance, &QPushButton::clicked, this, &TForm1::HeuresClick);
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
        // Only the first showing and a return from another application are activations. Coming
        // back from one of our own windows is not: the add dialog's town or the city chosen before
        // opening the forecast stays, and a return from the error dialog does not fail again.
        const bool activation = !activatedOnce_ || !activations_->fromOwnWindow();
        activatedOnce_ = true;
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

void TForm1::closeEvent(QCloseEvent *e)
{
    // A download under way ends here: its end would otherwise schedule the next one.
    closed_ = true;
    HTTPClient->Abandon();
    Actualisation->stop();
    Q_EMIT OnClose();
    try {
        meteo::Places::current().prepareFolderOf(IniPropStorage->IniFileName());
        IniPropStorage->Save();
    } catch (const std::exception &error) {
        std::fprintf(stderr, "meteo: %s\n", error.what());
    }
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
    QLabel *target = label(number);
    const QString full = QString::fromUtf8(text);
    target->setText(full);
    target->adjustSize();  // labels size themselves to their text from their top-left corner
    // Up to the window's edge (the sky's label up to the column of values): a longer text is cut
    // with "…", and said whole by its tooltip and to a screen reader.
    const int right = number == 9 ? Label2->x() - 8 : maximumWidth() - 8;
    const int room = right - target->x();
    const bool cut = target->width() > room && room > 0;
    if (cut) {
        target->setText(target->fontMetrics().elidedText(full, Qt::ElideRight, room - 2 * target->margin() - 2));
        target->adjustSize();
    }
    target->setToolTip(cut ? full : QString());
    target->setAccessibleName(full);
}

void TForm1::loadIcon(const QString &plainPath)
{
    Imag->setAccessibleName(QString::fromUtf8(Traduire(CondMeteo.Nuages)));  // the condition the picture shows
    const QString path = meteo::sharpIconPath(plainPath, devicePixelRatioF());
    // The same unchanged file as last time: its picture is already shown.
    const QFileInfo info(path);
    const QString stamp = path + u'|' + QString::number(info.size()) + u'|'
                          + QString::number(info.lastModified().toMSecsSinceEpoch());
    if (info.isFile() && stamp == iconStamp_ && !Imag->pixmap().isNull())
        return;
    iconStamp_.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw meteo::Error(path + QStringLiteral(": fichier introuvable ou illisible"));
    QImage image;
    if (!image.loadFromData(file.readAll(), "PNG"))  // PNG whatever the name says
        throw meteo::Error(path + QStringLiteral(": image PNG illisible"));
    if (path != plainPath)
        image.setDevicePixelRatio(2);
    Imag->setPixmap(QPixmap::fromImage(image));
    Imag->adjustSize();
    iconStamp_ = stamp;
}

void TForm1::setStatus(const QByteArray &text)
{
    BarStatus->setSimpleText(QString::fromUtf8(text));
}

void TForm1::warnIfNotKept(const QString &what)
{
    if (settingsWarned_ || !IniPropStorage)
        return;
    const QString file = IniPropStorage->IniFileName();
    QString why;
    try {
        meteo::Places::current().prepareFolderOf(file);
    } catch (const meteo::Error &e) {
        why = QString::fromUtf8(e.what());
    }
    const QFileInfo ini(file);
    // Written beside itself and renamed over: its folder must be writable, whatever the file is.
    // Asked as the process is, with its effective rights (QFileInfo grants root everything).
    if (why.isEmpty() && ::faccessat(AT_FDCWD, QFile::encodeName(ini.absolutePath()).constData(), W_OK, AT_EACCESS) != 0)
        why = ini.absolutePath() + QStringLiteral(" : dossier impossible à écrire");
    if (why.isEmpty())
        return;
    settingsWarned_ = true;
    meteo::ErrorReport::report("Réglages", what + QStringLiteral(" au prochain lancement de Météo (") + why + u')');
}

void TForm1::setAvertirPluie(bool on)
{
    if (on != avertirPluie_ && AvertirPluieItem)  // a change by the user, not the start's restoring
        warnIfNotKept(QStringLiteral("Le réglage « Avertir de la pluie » ne sera pas retenu"));
    avertirPluie_ = on;
    if (AvertirPluieItem)
        AvertirPluieItem->setChecked(on);
    if (Notifications)
        Notifications->setRainWanted(on);
}

QString TForm1::PollensGenants() const
{
    QStringList taxa;
    for (QAction *item : PollensItems)
        if (item->isChecked())
            taxa << item->property("Taxon").toString();
    return taxa.join(u',');
}

void TForm1::setPollensGenants(const QString &taxa)
{
    const QStringList chosen = taxa.split(u',', Qt::SkipEmptyParts);
    QSet<meteo::Taxon> set;
    for (int t = 0; t < int(PollensItems.size()); ++t) {
        const QSignalBlocker quiet(PollensItems[t]);
        PollensItems[t]->setChecked(chosen.contains(PollensItems[t]->property("Taxon").toString()));
        if (PollensItems[t]->isChecked())
            set << meteo::Taxon(t);
    }
    if (Notifications)
        Notifications->setPollens(set);
}

// What the first picture of the window does without: its icon (the first picture file read asks
// every image plugin whether it would rather read it), the notices and, where a panel can show it,
// the panel icon, which follow the city shown.
void TForm1::startDesktop()
{
    if (closed_)
        return;
    setWindowIcon(QIcon(QStringLiteral(":/meteo.ico")));
    Notifications = new meteo::DesktopNotifier(QDBusConnection::sessionBus(), this);
    Notifications->clock = [this] { return clock(); };
    Notifications->setRainWanted(avertirPluie_);
    try {
        meteo::Places::current().prepareFolderOf(meteo::Places::current().noticesFile());
        Notifications->rememberIn(meteo::Places::current().noticesFile());
    } catch (const meteo::Error &) {
        // no cache folder: the notices are remembered for this run only
    }
    setPollensGenants(PollensGenants());
    Notifications->follow(Affichee);
    // Made even without a panel: it shows itself when one starts.
    Panneau = new meteo::PanelIcon(this, new QMenu(this));
    Panneau->clock = [this] { return clock(); };
    fillPanelMenu();
    Panneau->follow(Affichee);
}

meteo::CityWeather *TForm1::weatherOf(const QByteArray &code) const
{
    return Villes && !code.isEmpty() ? Villes->weather(code) : nullptr;
}

// Every window, the panel icon and the notices follow the city whose weather the window shows.
void TForm1::setDisplayed(meteo::CityWeather *weather)
{
    if (weather == Affichee)
        return;
    Affichee = weather;
    Vigilance->follow(weather);
    if (Previsions)
        Previsions->follow(weather);
    if (Heures)
        Heures->follow(weather);
    if (AirPollens)
        AirPollens->follow(weather);
    if (Panneau)
        Panneau->follow(weather);
    if (Notifications)
        Notifications->follow(weather);
}
