#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QtTest>

#include "core/ProgramEnd.h"
#include "core/Settings.h"
#include "ui/windows/WindowHolder.h"
#include "doubles/FakeNotifyIcon.h"
#include "doubles/FakeRegistry.h"
#include "platform/qt/QtNotifyIcon.h"
#include "support/TestApp.h"
#include "ui/main/MainWindow.h"
#include "app/StartUp.h"
#include "ui/main/TrayIcon.h"

using namespace platform::fakes;
using platform::TrayProtocol;
using platform::TrayRequest;

Q_DECLARE_METATYPE(QSystemTrayIcon::ActivationReason)
Q_DECLARE_METATYPE(TrayProtocol)
Q_DECLARE_METATYPE(TrayRequest)

namespace {

// Runs `inside` once the tray menu is open (from a nested loop) and reports whether it opened.
bool whileMenuOpen(TestApp& app, const std::function<void(QMenu*)>& inside, const std::function<void()>& open)
{
    bool opened = false;
    // A real timer, gone with this call when no menu opened: a zero one is a posted call
    // and would run before the menu opens.
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QMenu* menu = named<QMenu>(app.windows().get<MainWindow>(), "mnuTray");
        opened = menu->isVisible();
        inside(menu);
        if (menu->isVisible())
            menu->close();
    });
    timer.start(20);
    open();
    return opened;
}

void setPlaceInTray(SettingsStore& settings, bool on)
{
    Settings values = settings.values();
    values.placeInTray = on;
    settings.setValues(values);
}

} // namespace

class TestTray : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void addShowsPictureAndTip();
    void shownTip_data();
    void shownTip();
    void requestForActivation_data();
    void requestForActivation();

    void requests_data();
    void requests();
    void menuPosition_data();
    void menuPosition();
    void menuBesideIcon_data();
    void menuBesideIcon();
    void secondMenuRequestOnlyCloses();
    void trayMenuCancelChangesNothing();
    void trayMenuMainWindow();
    void trayMenuExitRemovesIconFirst();
    void trayMenuIsExportedWithIcon();

    void startUpIntoTrayKeepsFirstTip();
    void minimizeFromMainWindow();
    void mainWindowWhenAlreadyVisible();
    void closeBoxWithIconHides();
    void noNotificationArea();
    void hostLost_data();
    void hostLost();
    void lateHost_data();
    void lateHost();
    void noHostAfterExit();
    void noPictureNoIcon_data();
    void noPictureNoIcon();

private:
    void openMenu() { m_shell->request(TrayRequest::Menu); QCoreApplication::sendPostedEvents(); }

    std::unique_ptr<TestApp> m_app;
    FakeNotifyIcon* m_shell = nullptr;
    std::shared_ptr<FakeRegistry> m_registry;
};

void TestTray::init()
{
    m_app = std::make_unique<TestApp>(TestApp::Doubles{.notifyIcon = true, .registry = true});
    m_shell = m_app->shell;
    m_registry = m_app->registry;
}

void TestTray::cleanup()
{
    m_registry.reset();
    m_app.reset();
}

void TestTray::addShowsPictureAndTip()
{
    m_app->windows().get<MainWindow>().putInTray(QStringLiteral("Tovrin 2.0"));
    MainWindow& main = m_app->windows().get<MainWindow>();
    QVERIFY(!main.isVisible());
    QVERIFY(m_shell->isShown());
    QCOMPARE(m_shell->icon().pixmap(32, 32).toImage(), named<QLabel>(main, "Trayicon")->pixmap().toImage());
    QCOMPARE(m_shell->tip(), QStringLiteral("Tovrin 2.0"));
    QVERIFY(m_app->program().tray().isShown());
}

void TestTray::shownTip_data()
{
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QString>("shown");
    const QString t63(63, QLatin1Char('x'));
    const QString t64(64, QLatin1Char('y'));
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("start-up") << "Tovrin 2.0" << "Tovrin 2.0";
    QTest::newRow("63") << t63 << t63;
    QTest::newRow("64 fills the field") << t64 << t64;
    QTest::newRow("70, cut") << QString(70, QLatin1Char('z')) << QString(64, QLatin1Char('z'));
    // Two bytes each in UTF-8, the code page on Windows too: 32 fit, and a character
    // is never cut in half.
    QTest::newRow("multi-byte") << QString(40, QChar(0xE4)) << QString(32, QChar(0xE4));
    QTest::newRow("emoji at the edge") << (QString(62, QLatin1Char('a')) + QString::fromUtf8("\xF0\x9F\x98\x80"))
                                       << QString(62, QLatin1Char('a'));
}

void TestTray::shownTip()
{
    QFETCH(QString, tip);
    QFETCH(QString, shown);
    QCOMPARE(tray::shownTip(tip), shown);
    m_app->windows().get<MainWindow>().putInTray(tip);
    QCOMPARE(m_shell->tip(), shown);
}

void TestTray::requestForActivation_data()
{
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
    QTest::addColumn<TrayProtocol>("protocol");
    QTest::addColumn<TrayRequest>("request");
    const auto xembed = TrayProtocol::XEmbed;
    const auto sni = TrayProtocol::StatusNotifier;
    // XEmbed reports the press of a double click as a Trigger first: only the double click opens.
    QTest::newRow("XEmbed single click") << QSystemTrayIcon::Trigger << xembed << TrayRequest::None;
    QTest::newRow("XEmbed double click") << QSystemTrayIcon::DoubleClick << xembed << TrayRequest::Open;
    QTest::newRow("XEmbed right press") << QSystemTrayIcon::Context << xembed << TrayRequest::Menu;
    QTest::newRow("XEmbed middle") << QSystemTrayIcon::MiddleClick << xembed << TrayRequest::None;
    // A StatusNotifier host never reports a double click; its activation gesture opens.
    QTest::newRow("SNI activate") << QSystemTrayIcon::Trigger << sni << TrayRequest::Open;
    QTest::newRow("SNI context") << QSystemTrayIcon::Context << sni << TrayRequest::Menu;
    QTest::newRow("SNI middle") << QSystemTrayIcon::MiddleClick << sni << TrayRequest::None;
    QTest::newRow("unknown") << QSystemTrayIcon::Unknown << sni << TrayRequest::None;
}

void TestTray::requestForActivation()
{
    QFETCH(QSystemTrayIcon::ActivationReason, reason);
    QFETCH(TrayProtocol, protocol);
    QFETCH(TrayRequest, request);
    QCOMPARE(platform::requestFor(reason, protocol), request);
}

void TestTray::requests_data()
{
    QTest::addColumn<TrayRequest>("request");
    QTest::addColumn<bool>("showsMain");
    QTest::addColumn<bool>("opensMenu");
    QTest::newRow("open") << TrayRequest::Open << true << false;
    QTest::newRow("menu") << TrayRequest::Menu << false << true;
    QTest::newRow("none") << TrayRequest::None << false << false;
}

void TestTray::requests()
{
    QFETCH(TrayRequest, request);
    QFETCH(bool, showsMain);
    QFETCH(bool, opensMenu);
    m_app->windows().get<MainWindow>().putInTray(QStringLiteral("Tovrin 2.0"));
    const bool opened = whileMenuOpen(*m_app, [](QMenu*) {}, [&] {
        m_shell->request(request);
        QCoreApplication::sendPostedEvents();
    });
    QCOMPARE(opened, opensMenu);
    QCOMPARE(m_app->windows().get<MainWindow>().isVisible(), showsMain);
    QVERIFY(m_shell->isShown());
}

void TestTray::menuPosition_data()
{
    QTest::addColumn<QRect>("icon");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QSize>("menu");
    QTest::addColumn<QPoint>("position");
    const QRect full(0, 0, 1280, 1024);
    const QSize menu(150, 200);
    // A panel that reserves its space leaves the icon outside the available area.
    QTest::newRow("bottom, right corner") << QRect(1240, 992, 32, 32) << full << menu << QPoint(1130, 792);
    QTest::newRow("bottom, reserved") << QRect(600, 992, 32, 32) << QRect(0, 0, 1280, 992) << menu
                                      << QPoint(600, 792);
    QTest::newRow("bottom, taller than the room above") << QRect(600, 180, 24, 24) << QRect(0, 0, 1280, 180)
                                                        << QSize(150, 220) << QPoint(600, 0);
    QTest::newRow("top, right corner") << QRect(1248, 0, 32, 32) << full << menu << QPoint(1130, 32);
    QTest::newRow("top, right corner, x2") << QRect(618, 1, 22, 15) << QRect(0, 0, 640, 512) << menu
                                           << QPoint(490, 16);
    QTest::newRow("top, reserved") << QRect(1248, 0, 32, 32) << QRect(0, 32, 1280, 992) << menu
                                   << QPoint(1130, 32);
    QTest::newRow("top, left corner") << QRect(0, 0, 24, 24) << full << menu << QPoint(0, 24);
    QTest::newRow("left, middle") << QRect(0, 500, 32, 32) << full << menu << QPoint(32, 500);
    QTest::newRow("left, reserved, top") << QRect(0, 0, 32, 32) << QRect(32, 0, 1248, 1024) << menu
                                         << QPoint(32, 0);
    QTest::newRow("left, low") << QRect(0, 950, 32, 32) << QRect(32, 0, 1248, 1024) << menu << QPoint(32, 824);
    QTest::newRow("right, low") << QRect(1256, 900, 24, 24) << full << menu << QPoint(1106, 824);
    QTest::newRow("right, reserved") << QRect(1248, 10, 32, 32) << QRect(0, 0, 1248, 1024) << menu
                                     << QPoint(1098, 10);
    QTest::newRow("second screen, bottom") << QRect(3160, 1048, 32, 32) << QRect(1280, 0, 1920, 1080) << menu
                                           << QPoint(3050, 848);
    QTest::newRow("second screen, left edge") << QRect(1280, 400, 22, 22) << QRect(1280, 0, 1920, 1080) << menu
                                              << QPoint(1302, 400);
    // The pointer, when the host does not say where the icon is.
    QTest::newRow("pointer mid-screen") << QRect(400, 300, 1, 1) << full << menu << QPoint(400, 301);
}

void TestTray::menuPosition()
{
    QFETCH(QRect, icon);
    QFETCH(QRect, screen);
    QFETCH(QSize, menu);
    QFETCH(QPoint, position);
    const QPoint at = tray::menuPosition(icon, screen, menu);
    QCOMPARE(at, position);
    // Never over the icon, so never an item under the pointer that opened it, unless
    // the menu is taller than the screen's room beside the icon.
    QVERIFY(!QRect(at, menu).intersects(icon) || menu.height() > screen.height() - icon.height());
}

void TestTray::menuBesideIcon_data()
{
    // Where on the screen the host docked the icon; "unknown": the host does not say.
    QTest::addColumn<QString>("where");
    QTest::newRow("bottom right") << "bottom right";
    QTest::newRow("top right") << "top right";
    QTest::newRow("left") << "left";
    QTest::newRow("unknown") << "unknown";
}

void TestTray::menuBesideIcon()
{
    QFETCH(QString, where);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize size(30, 30);
    QRect icon;
    if (where == QLatin1String("bottom right"))
        icon = QRect(screen.bottomRight() - QPoint(29, 29), size);
    else if (where == QLatin1String("top right"))
        icon = QRect(QPoint(screen.right() - 29, screen.top()), size);
    else if (where == QLatin1String("left"))
        icon = QRect(QPoint(screen.left(), screen.center().y()), size);
    m_shell->iconGeometry = icon;
    m_app->windows().get<MainWindow>().putInTray(QStringLiteral("Tovrin 2.0"));
    QCursor::setPos(icon.isEmpty() ? screen.bottomRight() - QPoint(40, 40) : icon.center());
    const QPoint pointer = QCursor::pos();
    QRect menuAt;
    const bool opened = whileMenuOpen(*m_app, [&](QMenu* menu) { menuAt = menu->geometry(); }, [&] { openMenu(); });
    QVERIFY(opened);
    const QString at = QStringLiteral("menu at %1,%2 %3x%4").arg(menuAt.x()).arg(menuAt.y()).arg(menuAt.width()).arg(menuAt.height());
    QVERIFY2(!menuAt.contains(pointer), qPrintable(at));
    if (!icon.isEmpty())
        QVERIFY2(!menuAt.intersects(icon), qPrintable(at));
    QVERIFY2(screen.contains(menuAt), qPrintable(at));
}

void TestTray::secondMenuRequestOnlyCloses()
{
    m_shell->iconGeometry = QRect(QGuiApplication::primaryScreen()->availableGeometry().bottomRight() - QPoint(29, 29), QSize(30, 30));
    m_app->windows().get<MainWindow>().putInTray(QStringLiteral("Tovrin 2.0"));
    QMenu* trayMenu = named<QMenu>(m_app->windows().get<MainWindow>(), "mnuTray");
    int shows = 0;
    connect(trayMenu, &QMenu::aboutToShow, this, [&] { ++shows; });
    // Closes whatever is still open, so a menu opened again cannot hang the test.
    QTimer rescue;
    connect(&rescue, &QTimer::timeout, this, [trayMenu] { trayMenu->close(); });
    rescue.start(500);
    whileMenuOpen(*m_app, [this](QMenu*) {
            m_shell->request(TrayRequest::Menu);
            QCoreApplication::sendPostedEvents();
        },
        [&] { openMenu(); });
    QCoreApplication::sendPostedEvents();
    QCOMPARE(shows, 1);
    QVERIFY(!trayMenu->isVisible());
    QVERIFY(!m_app->windows().get<MainWindow>().isVisible());
    QCOMPARE(m_app->endRequests, 0);
}

void TestTray::trayMenuCancelChangesNothing()
{
    m_app->windows().get<MainWindow>().putInTray(QStringLiteral("Tovrin 2.0"));
    const int calls = m_shell->calls.size();
    whileMenuOpen(*m_app, [](QMenu* menu) { QTest::keyClick(menu, Qt::Key_C); }, [&] { openMenu(); });
    QVERIFY(!named<QMenu>(m_app->windows().get<MainWindow>(), "mnuTray")->isVisible());
    QVERIFY(!m_app->windows().get<MainWindow>().isVisible());
    QCOMPARE(m_shell->calls.size(), calls);
    QVERIFY(m_shell->isShown());
    QCOMPARE(m_app->endRequests, 0);
}

void TestTray::trayMenuMainWindow()
{
    m_app->windows().get<MainWindow>().putInTray(QStringLiteral("Tovrin 2.0"));
    whileMenuOpen(*m_app, [](QMenu* menu) { QTest::keyClick(menu, Qt::Key_W); }, [&] { openMenu(); });
    QVERIFY(m_app->windows().get<MainWindow>().isVisible());
    QVERIFY(m_shell->isShown());
}

void TestTray::trayMenuExitRemovesIconFirst()
{
    m_app->windows().get<MainWindow>().putInTray(QStringLiteral("Tovrin 2.0"));
    bool shownAtEnd = true;
    m_app->program().end().setHandler([&] { shownAtEnd = m_shell->isShown(); });
    whileMenuOpen(*m_app, [](QMenu* menu) { QTest::keyClick(menu, Qt::Key_X); }, [&] { openMenu(); });
    QVERIFY(!shownAtEnd);
    QVERIFY(!m_app->program().tray().isShown());
}

void TestTray::trayMenuIsExportedWithIcon()
{
    m_app->windows().get<MainWindow>().putInTray(QStringLiteral("Tovrin 2.0"));
    QCOMPARE(m_shell->menu(), named<QMenu>(m_app->windows().get<MainWindow>(), "mnuTray"));
}

void TestTray::startUpIntoTrayKeepsFirstTip()
{
    setPlaceInTray(m_app->settings(), true);
    showMainOrTray(m_app->program());
    QVERIFY(!m_app->windows().get<MainWindow>().isVisible());
    QCOMPARE(m_shell->tip(), QStringLiteral("Tovrin 2.0"));

    m_shell->request(TrayRequest::Open);
    QCoreApplication::sendPostedEvents();
    QVERIFY(m_app->windows().get<MainWindow>().isVisible());

    named<QAction>(m_app->windows().get<MainWindow>(), "mnuMini")->trigger();
    QVERIFY(!m_app->windows().get<MainWindow>().isVisible());
    QVERIFY(m_shell->isShown());
    QCOMPARE(m_shell->tip(), QStringLiteral("Tovrin 2.0"));
}

void TestTray::minimizeFromMainWindow()
{
    setPlaceInTray(m_app->settings(), false);
    showMainOrTray(m_app->program());
    QVERIFY(m_app->windows().get<MainWindow>().isVisible());
    QVERIFY(!m_shell->isShown());

    named<QAction>(m_app->windows().get<MainWindow>(), "mnuMini")->trigger();
    QVERIFY(!m_app->windows().get<MainWindow>().isVisible());
    QVERIFY(m_app->windows().isLoaded<MainWindow>());
    QCOMPARE(m_shell->tip(), QStringLiteral("Tovrin 2.0.5"));
}

void TestTray::mainWindowWhenAlreadyVisible()
{
    named<QAction>(m_app->windows().get<MainWindow>(), "mnuMini")->trigger();
    MainWindow& f = m_app->windows().get<MainWindow>();
    named<QAction>(f, "mnuMain")->trigger();
    QVERIFY(f.isVisible());
    named<QAction>(f, "mnuMain")->trigger();
    QVERIFY(f.isVisible());
    QVERIFY(m_shell->isShown());
}

void TestTray::closeBoxWithIconHides()
{
    named<QAction>(m_app->windows().get<MainWindow>(), "mnuMini")->trigger();
    named<QAction>(m_app->windows().get<MainWindow>(), "mnuMain")->trigger();
    m_app->windows().get<MainWindow>().close();
    QVERIFY(m_app->windows().isLoaded<MainWindow>());
    QVERIFY(!m_app->windows().get<MainWindow>().isVisible());
    QVERIFY(m_shell->isShown());
    QCOMPARE(m_app->endRequests, 0);
}

void TestTray::noNotificationArea()
{
    m_shell->trayAvailable = false;
    setPlaceInTray(m_app->settings(), true);
    showMainOrTray(m_app->program());
    MainWindow& f = m_app->windows().get<MainWindow>();
    QVERIFY(f.isVisible());
    QVERIFY(!m_shell->isShown());

    named<QAction>(f, "mnuMini")->trigger();
    QVERIFY(f.isMinimized());
    QVERIFY(!m_shell->isShown());
    // Still there to come back to, and closing it ends the program.
    named<QAction>(f, "mnuMain")->trigger();
    QVERIFY(!f.isMinimized());
    f.close();
    QCOMPARE(m_app->endRequests, 1);
}

void TestTray::hostLost_data()
{
    QTest::addColumn<bool>("mainShown");
    QTest::newRow("only the icon") << false;
    QTest::newRow("main window too") << true;
}

void TestTray::hostLost()
{
    QFETCH(bool, mainShown);
    setPlaceInTray(m_app->settings(), true);
    showMainOrTray(m_app->program());
    if (mainShown)
        named<QAction>(m_app->windows().get<MainWindow>(), "mnuMain")->trigger();
    QVERIFY(m_shell->isShown());

    m_shell->setAvailable(false);
    QCoreApplication::sendPostedEvents();
    // Never neither: the window is there, and its close box ends the program.
    QVERIFY(m_app->windows().get<MainWindow>().isVisible());
    QVERIFY(!m_shell->isShown());
    QVERIFY(!m_app->program().tray().isShown());

    // The panel restarts: the icon is back with its first tip, the window stays.
    named<QAction>(m_app->windows().get<MainWindow>(), "mnuMini")->trigger();
    QVERIFY(m_app->windows().get<MainWindow>().isMinimized());
    named<QAction>(m_app->windows().get<MainWindow>(), "mnuMain")->trigger();
    m_shell->setAvailable(true);
    QCoreApplication::sendPostedEvents();
    QVERIFY(m_shell->isShown());
    QCOMPARE(m_shell->tip(), QStringLiteral("Tovrin 2.0"));
    QVERIFY(m_app->windows().get<MainWindow>().isVisible());
    QCOMPARE(m_shell->shows(), 2);

    // Put away with the close box, the window comes back when the host goes again.
    m_app->windows().get<MainWindow>().close();
    QVERIFY(!m_app->windows().get<MainWindow>().isVisible());
    QCOMPARE(m_app->endRequests, 0);
    m_shell->setAvailable(false);
    QCoreApplication::sendPostedEvents();
    QVERIFY(m_app->windows().get<MainWindow>().isVisible());
    m_app->windows().get<MainWindow>().close();
    QCOMPARE(m_app->endRequests, 1);
}

void TestTray::lateHost_data()
{
    QTest::addColumn<bool>("placeInTray");
    QTest::addColumn<bool>("iconLater");
    QTest::newRow("place in tray") << true << true;
    QTest::newRow("main window only") << false << false;
}

void TestTray::lateHost()
{
    QFETCH(bool, placeInTray);
    QFETCH(bool, iconLater);
    m_shell->trayAvailable = false;
    setPlaceInTray(m_app->settings(), placeInTray);
    showMainOrTray(m_app->program());
    QVERIFY(m_app->windows().get<MainWindow>().isVisible());
    QVERIFY(!m_shell->isShown());

    m_shell->setAvailable(true);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(m_shell->isShown(), iconLater);
    if (iconLater)
        QCOMPARE(m_shell->tip(), QStringLiteral("Tovrin 2.0"));
    QVERIFY(m_app->windows().get<MainWindow>().isVisible());
}

void TestTray::noHostAfterExit()
{
    setPlaceInTray(m_app->settings(), true);
    showMainOrTray(m_app->program());
    named<QAction>(m_app->windows().get<MainWindow>(), "mnuExitT")->trigger();
    QVERIFY(!m_shell->isShown());
    m_shell->setAvailable(false);
    m_shell->setAvailable(true);
    QCoreApplication::sendPostedEvents();
    QVERIFY(!m_shell->isShown());
    QCOMPARE(m_shell->shows(), 1);
}

void TestTray::noPictureNoIcon_data()
{
    QTest::addColumn<bool>("atStartUp");
    QTest::newRow("start-up into the tray") << true;
    QTest::newRow("Minimize to Tray") << false;
}

// An image reader missing beside the exe leaves the picture empty; Windows then
// shows no icon at all, so the window must stay within reach.
void TestTray::noPictureNoIcon()
{
    QFETCH(bool, atStartUp);
    MainWindow& f = m_app->windows().get<MainWindow>();
    named<QLabel>(f, "Trayicon")->setPixmap(QPixmap());
    setPlaceInTray(m_app->settings(), true);
    if (atStartUp) {
        showMainOrTray(m_app->program());
        QVERIFY(f.isVisible());
        QVERIFY(!f.isMinimized());
    } else {
        f.showModeless();
        named<QAction>(f, "mnuMini")->trigger();
        QVERIFY(f.isMinimized());
    }
    QVERIFY(!m_shell->isShown());
    QCOMPARE(m_shell->shows(), 0);
    QVERIFY(!m_app->program().tray().isShown());
    // With no icon to come back through, the close box ends the program.
    f.close();
    QCOMPARE(m_app->endRequests, 1);
}

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
