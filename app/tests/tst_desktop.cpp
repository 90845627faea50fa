// SPDX-License-Identifier: GPL-2.0-or-later
// On the desktop: the decision to announce rain (a table over downloads and the clock), the notice
// sent to a fake notification service on a private session bus, the panel icon's picture, and the
// setting kept in meteo.ini.
#include "app/desktop/desktopnotifier.h"
#include "common/instanttext.h"
#include "app/widgets/errorreport.h"
#include "app/mainwindow/form1.h"
#include "app/desktop/panelicon.h"
#include "app/widgets/mnemonics.h"
#include "testsupport.h"
#include "windowfixture.h"
#include "reportsupport.h"
#include "weather/rainalert.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMenu>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

using namespace testing;

// Named, not anonymous: the test class's lambdas hold references to these.
namespace fakes {

// A notification service that records what it is asked.
class FakeNotifications : public QObject, WindowFixture {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString app, icon, summary, body;
        uint replaces;
        QVariantMap hints;
    };
    QList<Call> calls;

public Q_SLOTS:
    uint Notify(const QString &app, uint replaces, const QString &icon, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &hints, int)
    {
        calls.append({app, icon, summary, body, replaces, hints});
        return 40 + uint(calls.size());
    }
};

// A private session bus of our own, for as long as the test needs it.
struct PrivateBus {
    QProcess daemon;
    QString address;
    PrivateBus()
    {
        daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        if (daemon.waitForReadyRead(5000))
            address = QString::fromUtf8(daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        daemon.terminate();
        daemon.waitForFinished(2000);
    }
};

// Eight quarter hours from the one that holds `now`, wet from quarter `wetFrom` (-1: dry) at `mm` a
// quarter.
QList<meteo::RainSlot> quarters(const QDateTime &now, int wetFrom, double mm = 0.8)
{
    const QDateTime start = now.addSecs(-(now.time().minute() % 15 * 60 + now.time().second()));
    QList<meteo::RainSlot> out;
    for (int i = 0; i < 8; ++i)
        out << meteo::RainSlot{start.addSecs(900 * i), wetFrom >= 0 && i >= wetFrom ? mm : 0.0};
    return out;
}

// A private bus with the fake notification service on it, as "service"; gone with it.
struct BusWithNotifications {
    PrivateBus bus;
    FakeNotifications fake;
    bool ready = false;
    BusWithNotifications()
    {
        QDBusConnection service = QDBusConnection::connectToBus(bus.address, QStringLiteral("service"));
        ready = !bus.address.isEmpty() && service.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &fake, QDBusConnection::ExportAllSlots)
                && service.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    ~BusWithNotifications() { QDBusConnection::disconnectFromBus(QStringLiteral("service")); }
    QDBusConnection connect(const QString &name) const { return QDBusConnection::connectToBus(bus.address, name); }
};

const QDateTime kStart(QDate(2026, 12, 7), QTime(14, 0), Qt::OffsetFromUTC, 3600);

} // namespace fakes
using namespace fakes;

// For the tests of the whole window: a city list of Paris alone, meteo.ini in a folder of its own.
class DesktopTest : public QObject, WindowFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        prepare(false);
        files.write(QStringLiteral("villes.ini"), "Paris=FR75056\n");
    }

    // Downloads one after the other, each a few minutes apart: what is announced. A download is
    // (minutes after 14 h 00 of its clock and its quarters' start, the first wet quarter, mm a
    // quarter, the document's age in minutes).
    void rainIsAnnouncedOncePerSpell_data()
    {
        QTest::addColumn<QList<QList<double>>>("downloads");
        QTest::addColumn<QStringList>("said");  // per download: "", or "+ summary | body", "= summary" when it replaces
        const auto row = [](const char *name, QList<QList<double>> downloads, QStringList said) {
            QTest::newRow(name) << downloads << said;
        };
        row("rain in 15 minutes", {{0, 1, 0.8, 0}}, {QStringLiteral("+ Pluie à Brest vers 14 h 15 | Pluie modérée attendue")});
        row("rain in 45 minutes: not yet", {{0, 3, 0.5, 0}}, {QString()});
        row("already raining: no warning", {{0, 0, 0.5, 0}}, {QString()});
        row("dry", {{0, -1, 0, 0}}, {QString()});
        row("a document 40 minutes old", {{0, 1, 0.5, 40}}, {QString()});
        row("light, then heavy after two dry hours", {{0, 1, 0.2, 0}, {120, 1, 2.5, 0}},
            {QStringLiteral("+ Pluie à Brest vers 14 h 15 | Pluie faible attendue"), QStringLiteral("+ Pluie à Brest vers 16 h 15 | Pluie forte attendue")});
        row("the same spell seen again", {{0, 2, 0.8, 0}, {15, 1, 0.8, 0}, {20, 1, 0.8, 0}},
            {QStringLiteral("+ Pluie à Brest vers 14 h 30 | Pluie modérée attendue"), QString(), QString()});
        row("its start moves by 15 minutes", {{0, 2, 0.8, 0}, {5, 1, 0.8, 0}, {10, 4, 0.8, 0}},
            {QStringLiteral("+ Pluie à Brest vers 14 h 30 | Pluie modérée attendue"), QStringLiteral("= Pluie à Brest vers 14 h 15"),
             QStringLiteral("= Pluie à Brest vers 15 h 00")});
        row("a new spell after a dry hour", {{0, 1, 0.8, 0}, {30, 0, 0.8, 0}, {60, -1, 0, 0}, {125, 1, 0.8, 0}},
            {QStringLiteral("+ Pluie à Brest vers 14 h 15 | Pluie modérée attendue"), QString(), QString(),
             QStringLiteral("+ Pluie à Brest vers 16 h 15 | Pluie modérée attendue")});
    }

    void rainIsAnnouncedOncePerSpell()
    {
        QFETCH(QList<QList<double>>, downloads);
        QFETCH(QStringList, said);
        meteo::RainAlertMemory memory;
        for (qsizetype i = 0; i < downloads.size(); ++i) {
            const QList<double> &d = downloads[i];
            const QDateTime now = kStart.addSecs(qint64(d[0]) * 60);
            const std::optional<meteo::RainAlert> alert =
                meteo::decideRainAlert(memory, quarters(now, int(d[1]), d[2]), "Brest", now.addSecs(-qint64(d[3]) * 60), now);
            const QString got = alert ? QString(alert->replaces ? u'=' : u'+') + u' ' + QString::fromUtf8(alert->summary)
                                            + (alert->replaces ? QString() : QStringLiteral(" | ") + QString::fromUtf8(alert->body))
                                      : QString();
            QCOMPARE(got, said[i].section(QStringLiteral(" | "), 0, said[i].startsWith(u'=') ? 0 : -1));
        }
        // Unreadable rain says nothing.
        meteo::RainAlertMemory fresh;
        QList<meteo::RainSlot> rain = quarters(kStart, 1);
        rain[5].mm.reset();
        QVERIFY(!meteo::decideRainAlert(fresh, rain, "Brest", kStart, kStart));
    }

    // Over a private session bus: the call's arguments, once per spell across three downloads, the
    // replacement of the notice when its start moves.
    void noticesReachTheNotificationService()
    {
        BusWithNotifications bus;
        QVERIFY2(bus.ready, "dbus-daemon did not start");
        FakeNotifications &fake = bus.fake;
        meteo::DesktopNotifier notifier(bus.connect(QStringLiteral("viewer")));
        notifier.considerRain("FR29019", "Brest", quarters(kStart, 2), kStart, kStart);
        QTRY_COMPARE(fake.calls.size(), 1);
        const FakeNotifications::Call first = fake.calls[0];
        QCOMPARE(first.app, QStringLiteral("Météo"));
        QCOMPARE(first.icon, QStringLiteral("meteo"));
        QCOMPARE(first.summary, QStringLiteral("Pluie à Brest vers 14 h 30"));
        QCOMPARE(first.body, QStringLiteral("Pluie modérée attendue"));
        QCOMPARE(first.replaces, 0u);
        QCOMPARE(first.hints.value(QStringLiteral("urgency")).value<uchar>(), uchar(1));
        QTRY_COMPARE(notifier.lastId(), 41u);
        notifier.considerRain("FR29019", "Brest", quarters(kStart.addSecs(300), 2), kStart.addSecs(300), kStart.addSecs(300));
        // The same spell seen again says nothing: the next notice to arrive is the moved one's.
        notifier.considerRain("FR29019", "Brest", quarters(kStart.addSecs(1200), 2), kStart.addSecs(1200), kStart.addSecs(1200));
        QTRY_COMPARE(fake.calls.size(), 2);  // its start moved by a quarter of an hour: the notice is replaced
        QCOMPARE(fake.calls[1].replaces, 41u);
        QCOMPARE(fake.calls[1].summary, QStringLiteral("Pluie à Brest vers 14 h 45"));
        // Official warnings: a new orange one, once; raised to red, again; a yellow one, never.
        const auto warning = [](int phenomenon, int colour) {
            return meteo::OfficialWarning{meteo::Phenomenon(phenomenon), meteo::WarningColour(colour), kStart, kStart.addSecs(8 * 3600)};
        };
        notifier.considerWarnings("FR29019", "Brest", {warning(1, 3), warning(3, 2)}, kStart);
        QTRY_COMPARE(fake.calls.size(), 3);
        QCOMPARE(fake.calls[2].summary, QStringLiteral("Vigilance orange à Brest : vent violent"));
        QCOMPARE(fake.calls[2].body, QStringLiteral("Vigilance orange vent violent jusqu'à lundi 22 h"));
        QCOMPARE(fake.calls[2].replaces, 0u);
        notifier.considerWarnings("FR29019", "Brest", {warning(1, 3), warning(3, 2)}, kStart.addSecs(600));
        notifier.considerWarnings("FR29019", "Brest", {warning(1, 4)}, kStart.addSecs(1200));
        QTRY_COMPARE(fake.calls.size(), 4);
        QCOMPARE(fake.calls[3].summary, QStringLiteral("Vigilance rouge à Brest : vent violent"));
        notifier.considerWarnings("FR29019", "Brest", {}, kStart.addSecs(9 * 3600));  // over
        notifier.considerWarnings("FR29019", "Brest", {warning(1, 3)}, kStart.addSecs(30 * 3600));  // a new one
        QTRY_COMPARE(fake.calls.size(), 5);
        notifier.considerRain("FR75056", "Paris", quarters(kStart, 2), kStart, kStart);  // a later notice, of another city
        QTRY_COMPARE(fake.calls.size(), 6);
        QCOMPARE(fake.calls[5].summary, QStringLiteral("Pluie à Paris vers 14 h 30"));
        QDBusConnection::disconnectFromBus(QStringLiteral("viewer"));
    }

    // What was announced is remembered in its file: a restart, or rain notices turned off and on
    // while the spell goes on, never says the same spell or warning twice. A red warning is sent
    // critical, ending "jusqu'à mardi minuit"; a damaged file is an empty memory.
    void announcementsSurviveARestart()
    {
        BusWithNotifications bus;
        QVERIFY(bus.ready);
        FakeNotifications &fake = bus.fake;
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("annonces.txt"));
        const meteo::OfficialWarning red{meteo::Phenomenon::VentViolent, meteo::WarningColour::Rouge, kStart,
                                         QDateTime(QDate(2026, 12, 9), QTime(0, 0), Qt::OffsetFromUTC, 3600)};
        // A run of the viewer: its notifier over its own connection, at `now`.
        const auto run = [&](const QString &name, const QDateTime &now, const std::function<void(meteo::DesktopNotifier &)> &act) {
            meteo::DesktopNotifier notifier(bus.connect(name));
            notifier.clock = [now] { return now; };
            notifier.rememberIn(file);
            act(notifier);
            // A city of this run's own last: once its rain has come, whatever the run sent before has too.
            notifier.considerRain(name.toLatin1(), name.toUtf8(), quarters(now, 1), now, now);
            QTRY_VERIFY(!fake.calls.isEmpty() && fake.calls.last().summary.contains(name));
            QDBusConnection::disconnectFromBus(name);
        };
        run(QStringLiteral("first"), kStart, [&](meteo::DesktopNotifier &n) {
            n.considerRain("FR29019", "Brest", quarters(kStart, 2), kStart, kStart);
            n.considerWarnings("FR29019", "Brest", {red}, kStart);
        });
        QCOMPARE(fake.calls.size(), 3);
        QCOMPARE(fake.calls[1].body, QStringLiteral("Vigilance rouge vent violent jusqu'à mardi minuit"));
        QCOMPARE(fake.calls[1].hints.value(QStringLiteral("urgency")).value<uchar>(), uchar(2));
        QCOMPARE(fake.calls[0].hints.value(QStringLiteral("urgency")).value<uchar>(), uchar(1));
        // Restarted ten minutes later, rain notices off then on again as the spell draws near.
        const QDateTime later = kStart.addSecs(600);
        run(QStringLiteral("second"), later, [&](meteo::DesktopNotifier &n) {
            n.setRainWanted(false);
            n.considerRain("FR29019", "Brest", quarters(later, 2), later, later);
            n.setRainWanted(true);
            n.considerRain("FR29019", "Brest", quarters(later.addSecs(300), 1), later.addSecs(300), later.addSecs(300));
            n.considerWarnings("FR29019", "Brest", {red}, later);
        });
        QCOMPARE(fake.calls.size(), 4);  // nothing of Brest
        // Garbage, an overlong line and a warning without its offset: read as nothing, so said again.
        writeFile(file, "rain FR29019 hier\n" + QByteArray(5000, 'x') + "\nwarning FR29019 1 4 2026-12-09T00:00\n\x01\x02\n");
        run(QStringLiteral("third"), later, [&](meteo::DesktopNotifier &n) { n.considerWarnings("FR29019", "Brest", {red}, later); });
        QCOMPARE(fake.calls.size(), 6);
        QCOMPARE(fake.calls[4].summary, QStringLiteral("Vigilance rouge à Brest : vent violent"));
    }

    // A pollen chosen is announced at once from the report at hand, not at the next download.
    void pollenChosenIsAnnouncedAtOnce()
    {
        BusWithNotifications bus;
        QVERIFY(bus.ready);
        const QDateTime now(QDate(2027, 4, 12), QTime(10, 20), Qt::OffsetFromUTC, 7200);
        QByteArray air = "<air maj=\"2027-04-12T10:00+02:00\" src=\"CAMS\"><jour d=\"2027-04-12\" atmo=\"2\" aulne=\"0\" bouleau=\"4\" "
                         "graminees=\"0\" armoise=\"0\" olivier=\"0\" ambroisie=\"0\"/>";
        for (int i = 0; i < 48; ++i)
            air += "<h t=\"" + meteo::instantText(now.addSecs(3600 * i - 1200)).toLatin1() + "\" pm25=\"8\" pm10=\"15\" no2=\"20\" o3=\"60\" so2=\"1\"/>";
        meteo::CityWeather city("FR67482");
        city.setName("Strasbourg");
        city.receive(reportOf(parisWith(air + "</air>"), now));
        meteo::DesktopNotifier notifier(bus.connect(QStringLiteral("pollen")));
        notifier.clock = [now] { return now; };
        notifier.follow(&city);
        notifier.setPollens({meteo::Taxon::Bouleau});
        QTRY_COMPARE(bus.fake.calls.size(), 1);
        QVERIFY(bus.fake.calls[0].summary.startsWith(QStringLiteral("Pollens de bouleau")));
        QDBusConnection::disconnectFromBus(QStringLiteral("pollen"));
    }

    // A bus without a notification service: nothing happens but one line on stderr, once.
    void noServiceIsOneLineOnStderr()
    {
        PrivateBus bus;
        QVERIFY(!bus.address.isEmpty());
        CapturedStderr err;
        meteo::DesktopNotifier notifier(QDBusConnection::connectToBus(bus.address, QStringLiteral("lonely")));
        notifier.considerRain("FR29019", "Brest", quarters(kStart, 1), kStart, kStart);
        notifier.considerRain("FR75056", "Paris", quarters(kStart, 1), kStart, kStart);
        // A round trip to the bus after both: their failures have come back by its answer.
        QDBusConnection::connectToBus(bus.address, QStringLiteral("lonely"))
            .call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                                 QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
        QTRY_VERIFY(err.text().contains('\n'));
        QCoreApplication::processEvents();
        const QByteArray said = err.text();
        QCOMPARE(said.count('\n'), 1);
        QVERIFY2(said.startsWith("meteo: pas de notification sur le bureau"), said.constData());
        QDBusConnection::disconnectFromBus(QStringLiteral("lonely"));
    }

    // The panel's picture: the temperature's digits over the condition, at each size asked for,
    // and at twice the pixels for a scale of 2.
    void panelPictureShowsTheTemperature()
    {
        QImage sky(64, 64, QImage::Format_ARGB32);
        sky.fill(QColor(120, 170, 230));
        for (const int side : {16, 22, 32, 48, 64}) {
            const QImage eight = meteo::panelPicture(sky, 8, side), minus = meteo::panelPicture(sky, -12, side);
            const QImage none = meteo::panelPicture(sky, std::nullopt, side);
            QCOMPARE(eight.size(), QSize(side, side));
            // White digits in the lower part, none where no temperature is known, and the sky still
            // around the digits: no plate over the lower half.
            int white = 0, whiteWithout = 0, skyLeft = 0;
            for (int y = side / 2; y < side; ++y)
                for (int x = 0; x < side; ++x) {
                    white += qRed(eight.pixel(x, y)) > 200 && qBlue(eight.pixel(x, y)) > 200 && qGreen(eight.pixel(x, y)) > 200;
                    whiteWithout += qRed(none.pixel(x, y)) > 200 && qGreen(none.pixel(x, y)) > 200;
                    skyLeft += eight.pixel(x, y) == sky.pixel(0, 0);
                }
            QVERIFY2(white >= side / 4, qPrintable(QString::number(side)));
            QCOMPARE(whiteWithout, 0);
            QVERIFY2(skyLeft >= side * side / 2 / 4, qPrintable(QStringLiteral("%1 px: %2").arg(side).arg(skyLeft)));
            QVERIFY(eight != minus);
        }
    }

    // The panel icon shows while a panel can hold it: when one starts after the viewer, and no
    // longer once it has gone. Its menu has the window's order and shows or hides the window.
    void panelIconFollowsThePanel()
    {
        TempCurrentDir cwd;
        TForm1 w;
        w.show();
        QTRY_VERIFY(w.findChild<meteo::PanelIcon *>());
        meteo::PanelIcon *icon = w.findChild<meteo::PanelIcon *>();
        bool panel = false;
        icon->trayAvailable = [&panel] { return panel; };
        QImage sky(32, 32, QImage::Format_ARGB32);
        sky.fill(Qt::blue);
        icon->show(sky, 3, QStringLiteral("Paris : 3 °C"));
        QVERIFY(!icon->tray()->isVisible());  // no panel yet
        // The city's report, then a download of it under way: the tooltip says so.
        meteo::CityWeather paris("FR75056");
        paris.receive(reportOf(parisDocument(), QDateTime::currentDateTime()));
        icon->follow(&paris);
        QVERIFY(!icon->tray()->toolTip().contains(QStringLiteral("Actualisation")));
        paris.startDownload();
        QVERIFY2(icon->tray()->toolTip().endsWith(QStringLiteral("\nActualisation…")), qPrintable(icon->tray()->toolTip()));
        panel = true;
        icon->checkTray();
        QVERIFY(icon->tray()->isVisible());
        panel = false;
        icon->checkTray();
        QVERIFY(!icon->tray()->isVisible());

        // Its menu holds the window's own items: one click does what the window's menu does.
        QMenu *menu = icon->tray()->contextMenu();
        for (QAction *a : menu->actions())
            QVERIFY(a->isSeparator() || a == icon->toggleAction() || !a->associatedObjects().isEmpty());
        w.activateWindow();
        QTRY_VERIFY(w.isActiveWindow());
        icon->toggleAction()->trigger();
        QVERIFY(!w.isVisible());
        Q_EMIT menu->aboutToShow();
        QCOMPARE(meteo::withoutMnemonic(icon->toggleAction()->text()), QStringLiteral("Afficher Météo"));
        icon->toggleAction()->trigger();
        QVERIFY(w.isVisible());
    }

    // The settings are kept in meteo.ini and the menus show them: a check mark changes the setting,
    // a setting read back checks its item.
    void settingsAreRememberedAndShown()
    {
        TempCurrentDir cwd;
        {
            TForm1 w;
            auto *item = w.findChild<QAction *>(QStringLiteral("AvertirPluie"));
            QVERIFY(item && item->isCheckable() && item->isChecked() && w.AvertirPluie());
            item->trigger();
            QVERIFY(!w.AvertirPluie());
            w.findChild<QMenu *>(QStringLiteral("PollensGenants"))->actions().at(1)->trigger();  // bouleau
            QCOMPARE(w.Reglages->pollens(), QSet<meteo::Taxon>{meteo::Taxon::Bouleau});
            QVERIFY(readFile(QStringLiteral("meteo.ini")).contains("PollensGenants=bouleau"));  // kept when chosen
            w.close();
        }
        const QByteArray ini = readFile(QStringLiteral("meteo.ini"));
        QVERIFY(ini.contains("AvertirPluie=false") && ini.contains("PollensGenants=bouleau"));
        TForm1 again;
        QVERIFY(!again.AvertirPluie() && !again.findChild<QAction *>(QStringLiteral("AvertirPluie"))->isChecked());
        const QList<QAction *> pollens = again.findChild<QMenu *>(QStringLiteral("PollensGenants"))->actions();
        QVERIFY(pollens.at(1)->isChecked() && !pollens.at(0)->isChecked());
        again.Reglages->setPollensText(QStringLiteral("aulne"));
        QVERIFY(pollens.at(0)->isChecked() && !pollens.at(1)->isChecked());
    }
};

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
