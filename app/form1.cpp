// The window itself: construction from the description, its own events, the display target, and
// the close path with the property storage.
#include "form1.h"

#include "activationhistory.h"
#include "errorreport.h"
#include "executable.h"
#include "inipropstorage.h"
#include "memotext.h"
#include "places.h"
#include "screenplacement.h"
#include "simplestatusbar.h"
#include "common/error.h"
#include "hourlychart.h"
#include "weather/hourly.h"
#include "desktopnotifier.h"
#include "panelicon.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QDateTime>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
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
    setupUi(this);  // components, properties and event bindings, from form1.ui
    serviceHost_ = METEO_SERVICE_HOST;  // the build names the service
    if (const QByteArray host = qgetenv("METEO_SERVICE_HOST"); !host.isEmpty())
        serviceHost_ = host;  // another service than the one the build names
    Q_EMIT OnCreate();
    Notifications = new meteo::DesktopNotifier(QDBusConnection::sessionBus(), this);
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        Panneau = new meteo::PanelIcon(this, new QMenu(this));
        fillPanelMenu();
    }
    setProperty("SessionProperties", property("SessionProperties").toString() + QStringLiteral(";AvertirPluie"));
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
        Villes = std::make_unique<meteo::NameValueList>();
        try {
            Villes->loadFromFile(meteo::Places::current().citiesFile());
            limitCities();
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
        Vigilance = new QPushButton(ClientArea);
        Vigilance->setObjectName(QStringLiteral("Vigilance"));
        Vigilance->setGeometry(16, 168, 272, 58);
        Vigilance->setAccessibleName(QStringLiteral("Vigilance"));
        Vigilance->hide();
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
    target->setText(QString::fromUtf8(text));
    target->adjustSize();  // labels size themselves to their text from their top-left corner
}

void TForm1::loadIcon(const QString &plainPath)
{
    iconFile_ = plainPath;
    Imag->setAccessibleName(Label9->text());  // the condition the picture shows
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

void TForm1::setAvertirPluie(bool on)
{
    avertirPluie_ = on;
    if (auto *item = findChild<QAction *>(QStringLiteral("AvertirPluie")))
        item->setChecked(on);
}

// What follows a shown download beside the window: the panel icon and the rain notice.
void TForm1::afterShown()
{
    if (!Document)
        return;
    const meteo::HourlyForecast hourly = meteo::readHourly(*Document);
    const int line = cityLine(shownCity_);
    const QByteArray place = line >= 0 ? Villes->name(line) : hourly.place;
    const QDateTime now = QDateTime::currentDateTime();
    QList<meteo::OfficialWarning> warnings;
    for (const meteo::OfficialWarning &w : meteo::readWarnings(*Document).list)
        if (w.end > now)
            warnings << w;
    showWarnings(warnings, now);
    Notifications->considerWarnings(shownCity_, place, warnings, now);
    if (avertirPluie_)
        Notifications->considerRain(shownCity_, place, hourly.rain, QFileInfo(meteo::Places::current().weatherFile()).lastModified(),
                                    QDateTime::currentDateTime());
    if (!Panneau)
        return;
    bool known = false;
    const int temperature = CondMeteo.Temperature.Texte.trimmed().toInt(&known);
    const auto lowerFirst = [](QString text) { return text.isEmpty() ? text : text.left(1).toLower() + text.mid(1); };
    QString tip = QString::fromUtf8(place) + QStringLiteral(" : ") + (known ? QString::number(temperature) + QStringLiteral(" °C, ") : QString())
                  + lowerFirst(Label9->text());
    if (const QByteArray rain = meteo::rainSentence(hourly.rain, QDateTime::currentDateTime()); !rain.isEmpty())
        tip += QStringLiteral(" — ") + lowerFirst(QString::fromUtf8(rain));
    Panneau->show(QImage(iconFile_), known ? std::optional<int>(temperature) : std::nullopt, tip);
}

// The worst warning on its colour, and how many others; nothing when the department is green or
// the document has no vigilance.
void TForm1::showWarnings(const QList<meteo::OfficialWarning> &warnings, const QDateTime &now)
{
    const auto [first, second] = meteo::badgeTexts(warnings);
    Vigilance->setVisible(!first.isEmpty());
    if (first.isEmpty())
        return;
    Vigilance->setText(QString::fromUtf8(second.isEmpty() ? first : first + '\n' + second));
    const QColor colour = meteo::warningColour(warnings.first().colour);
    Vigilance->setStyleSheet(QStringLiteral("QPushButton#Vigilance { background-color: %1; color: %2; font-weight: bold; "
                                            "border: 1px solid #555; border-radius: 6px; padding: 4px; }")
                                 .arg(colour.name(), warnings.first().colour == 2 ? QStringLiteral("black") : QStringLiteral("white")));
    Vigilance->setAccessibleDescription(QString::fromUtf8(meteo::spokenWarnings(warnings, now)));
    Vigilance->setToolTip(QString::fromUtf8(meteo::spokenWarnings(warnings, now)).replace(QStringLiteral(" ; "), QStringLiteral("\n")));
}
