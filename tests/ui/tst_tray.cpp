#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QtTest>

#include <cstring>

#include "core/Forms.h"
#include "core/StartUp.h"
#include "platform/NotifyIcon.h"
#include "platform/fakes/FakeNotifyIcon.h"
#include "platform/fakes/FakeRegistry.h"
#include "platform/qt/QtNotifyIcon.h"
#include "support/TestApp.h"
#include "ui/dialogs/frmOptions.h"
#include "ui/main/General.h"
#include "ui/main/frmCase.h"

using namespace platform::fakes;
using platform::NIM_ADD;
using platform::NIM_DELETE;
using platform::NIF_TIP;
using platform::WM_LBUTTONDBLCLK;
using platform::WM_RBUTTONDOWN;
using platform::iconFromHandle;
using platform::tipText;
using platform::QtNotifyIcon;
// The type of the program's one record, whose variable bears the same name.
using Record = platform::TrayIconData;

namespace {

QByteArray paddedTip(const QByteArray& tip)
{
    QByteArray field = tip + '\0';
    field = field.left(64);
    field.append(QByteArray(64 - field.size(), ' '));
    return field;
}

QByteArray tipOf(const Record& data)
{
    return QByteArray(data.szTip, sizeof data.szTip);
}

quint32 trayiconWindow()
{
    return static_cast<quint32>(forms().get<frmCase>().Trayicon->winId());
}

// Runs `inside` once the tray menu is open (from a nested loop) and reports whether it opened.
bool whileMenuOpen(const std::function<void(QMenu*)>& inside, const std::function<void()>& open)
{
    bool opened = false;
    // A real timer, gone with this call when no menu opened: a zero one is a posted call
    // and would run before the menu opens.
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QMenu* menu = forms().get<frmCase>().mnuTray;
        opened = menu->isVisible();
        inside(menu);
        if (menu->isVisible())
            menu->close();
    });
    timer.start(20);
    open();
    return opened;
}

} // namespace

class TestTray : public QObject {
    Q_OBJECT
private slots:
    void recordIsZeroAtStart();

    void init();
    void cleanup();

    void addFillsRecord();
    void tipField_data();
    void tipField();
    void formLoadRemovesWhatTheRecordHolds();
    void removeOfAbsentIconDoesNothing();

    void mouseMessages_data();
    void mouseMessages();
    void rightPressMenuShowsAtPointer();
    void trayMenuCancelChangesNothing();
    void trayMenuMainWindow();
    void trayMenuExitRemovesIconFirst();
    void trayMenuIsExportedWithIcon();

    void startUpIntoTrayKeepsFirstTip();
    void minimizeFromMainWindow();
    void mainWindowWhenAlreadyVisible();
    void closeBoxWithIconHides();
    void noNotificationArea();

    void qtBackendKeepsShellRules();

private:
    std::unique_ptr<TestApp> m_app;
    FakeNotifyIcon* m_shell = nullptr;
    std::shared_ptr<FakeRegistry> m_registry;
};

void TestTray::recordIsZeroAtStart()
{
    // Runs first: nothing has touched the record yet.
    const Record zero{};
    QCOMPARE(std::memcmp(&TrayIconData, &zero, sizeof zero), 0);
}

void TestTray::init()
{
    m_app = std::make_unique<TestApp>();
    m_shell = installFakeNotifyIcon();
    m_registry = installFakeRegistry();
    // Icons left by an earlier test belong to a window that no longer exists.
    RemoveTrayIcon();
}

void TestTray::cleanup()
{
    m_app.reset();
    platform::services().notifyIcon.reset();
}

void TestTray::addFillsRecord()
{
    AddTrayIcon(QStringLiteral("Tovrin 2.0"));
    frmCase& f = forms().get<frmCase>();
    QVERIFY(!f.isVisible());
    QCOMPARE(TrayIconData.cbSize, 88u);
    QCOMPARE(TrayIconData.hWnd, trayiconWindow());
    QCOMPARE(TrayIconData.uID, 1u);
    QCOMPARE(TrayIconData.uFlags, 7u);
    QCOMPARE(TrayIconData.uCallbackMessage, 512u);
    QCOMPARE(iconFromHandle(TrayIconData.hIcon).pixmap(32, 32).toImage(), f.Trayicon->pixmap().toImage());
    QCOMPARE(tipOf(TrayIconData), paddedTip("Tovrin 2.0"));

    const Record* shown = m_shell->onlyIcon();
    QVERIFY(shown);
    QCOMPARE(std::memcmp(shown, &TrayIconData, sizeof TrayIconData), 0);
    QCOMPARE(tipText(*shown), QStringLiteral("Tovrin 2.0"));
    QVERIFY(TrayIconShown());
}

void TestTray::tipField_data()
{
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("shown");
    const QString t63(63, QLatin1Char('x'));
    const QString t64(64, QLatin1Char('y'));
    QTest::newRow("empty") << QString() << paddedTip("") << QString();
    QTest::newRow("start-up") << "Tovrin 2.0" << paddedTip("Tovrin 2.0") << "Tovrin 2.0";
    QTest::newRow("minimize") << "Tovrin 2.0.5" << paddedTip("Tovrin 2.0.5") << "Tovrin 2.0.5";
    QTest::newRow("63, NUL last") << t63 << (t63.toLatin1() + '\0') << t63;
    // No room for the NUL: the tip is read to the end of the field and no further.
    QTest::newRow("64, no NUL") << t64 << t64.toLatin1() << t64;
    QTest::newRow("70, cut") << QString(70, QLatin1Char('z')) << QByteArray(64, 'z') << QString(64, QLatin1Char('z'));
}

void TestTray::tipField()
{
    QFETCH(QString, tip);
    QFETCH(QByteArray, field);
    QFETCH(QString, shown);
    AddTrayIcon(tip);
    QCOMPARE(tipOf(TrayIconData), field);
    QCOMPARE(tipText(TrayIconData), shown);
}

void TestTray::formLoadRemovesWhatTheRecordHolds()
{
    // The first add loads the main window; its Form_Load deletes the record as it is then.
    TrayIconData = Record{};
    m_shell->requests.clear();
    AddTrayIcon(QStringLiteral("Tovrin 2.0"));
    QCOMPARE(m_shell->requests.size(), 2);
    const auto& remove = m_shell->requests[0];
    QCOMPARE(remove.message, NIM_DELETE);
    QCOMPARE(remove.data.cbSize, 88u);
    QCOMPARE(remove.data.hWnd, 0u);
    QCOMPARE(remove.data.uID, 0u);
    QVERIFY(!remove.accepted);
    QCOMPARE(m_shell->requests[1].message, NIM_ADD);
    QVERIFY(m_shell->requests[1].accepted);
}

void TestTray::removeOfAbsentIconDoesNothing()
{
    QCOMPARE(m_shell->iconCount(), 0);
    RemoveTrayIcon();
    RemoveTrayIcon();
    QCOMPARE(m_shell->iconCount(), 0);
    QVERIFY(!TrayIconShown());
    QVERIFY(!m_shell->requests.last().accepted);
}

void TestTray::mouseMessages_data()
{
    QTest::addColumn<quint32>("message");
    QTest::addColumn<bool>("showsMain");
    QTest::addColumn<bool>("opensMenu");
    QTest::newRow("WM_MOUSEMOVE") << 0x200u << false << false;
    QTest::newRow("WM_LBUTTONDOWN") << 0x201u << false << false;
    QTest::newRow("WM_LBUTTONUP") << 0x202u << false << false;
    QTest::newRow("WM_LBUTTONDBLCLK") << 0x203u << true << false;
    QTest::newRow("WM_RBUTTONDOWN") << 0x204u << false << true;
    QTest::newRow("WM_RBUTTONUP") << 0x205u << false << false;
    QTest::newRow("WM_RBUTTONDBLCLK") << 0x206u << false << false;
    QTest::newRow("WM_MBUTTONDOWN") << 0x207u << false << false;
    QTest::newRow("WM_MBUTTONUP") << 0x208u << false << false;
    QTest::newRow("WM_MBUTTONDBLCLK") << 0x209u << false << false;
}

void TestTray::mouseMessages()
{
    QFETCH(quint32, message);
    QFETCH(bool, showsMain);
    QFETCH(bool, opensMenu);
    AddTrayIcon(QStringLiteral("Tovrin 2.0"));
    const bool opened = whileMenuOpen([](QMenu*) {}, [&] {
        m_shell->mouse(TrayIconData.hWnd, 1, message);
        QCoreApplication::sendPostedEvents();
    });
    QCOMPARE(opened, opensMenu);
    QCOMPARE(forms().get<frmCase>().isVisible(), showsMain);
    QCOMPARE(m_shell->iconCount(), 1);
}

void TestTray::rightPressMenuShowsAtPointer()
{
    AddTrayIcon(QStringLiteral("Tovrin 2.0"));
    QCursor::setPos(400, 300);
    QPoint at;
    const bool opened = whileMenuOpen([&](QMenu* menu) { at = menu->pos(); }, [&] {
        m_shell->mouse(TrayIconData.hWnd, 1, WM_RBUTTONDOWN);
        QCoreApplication::sendPostedEvents();
    });
    QVERIFY(opened);
    QCOMPARE(at, QCursor::pos());
}

void TestTray::trayMenuCancelChangesNothing()
{
    AddTrayIcon(QStringLiteral("Tovrin 2.0"));
    const int requests = m_shell->requests.size();
    whileMenuOpen([](QMenu* menu) { QTest::keyClick(menu, Qt::Key_C); }, [&] {
        m_shell->mouse(TrayIconData.hWnd, 1, WM_RBUTTONDOWN);
        QCoreApplication::sendPostedEvents();
    });
    QVERIFY(!forms().get<frmCase>().mnuTray->isVisible());
    QVERIFY(!forms().get<frmCase>().isVisible());
    QCOMPARE(m_shell->requests.size(), requests);
    QCOMPARE(m_shell->iconCount(), 1);
    QCOMPARE(m_app->endRequests, 0);
}

void TestTray::trayMenuMainWindow()
{
    AddTrayIcon(QStringLiteral("Tovrin 2.0"));
    whileMenuOpen([](QMenu* menu) { QTest::keyClick(menu, Qt::Key_W); }, [&] {
        m_shell->mouse(TrayIconData.hWnd, 1, WM_RBUTTONDOWN);
        QCoreApplication::sendPostedEvents();
    });
    QVERIFY(forms().get<frmCase>().isVisible());
    QCOMPARE(m_shell->iconCount(), 1);
}

void TestTray::trayMenuExitRemovesIconFirst()
{
    AddTrayIcon(QStringLiteral("Tovrin 2.0"));
    int iconsAtEnd = -1;
    setEndProgramHandler([&] { iconsAtEnd = m_shell->iconCount(); });
    whileMenuOpen([](QMenu* menu) { QTest::keyClick(menu, Qt::Key_X); }, [&] {
        m_shell->mouse(TrayIconData.hWnd, 1, WM_RBUTTONDOWN);
        QCoreApplication::sendPostedEvents();
    });
    QCOMPARE(iconsAtEnd, 0);
    QVERIFY(!TrayIconShown());
}

void TestTray::trayMenuIsExportedWithIcon()
{
    AddTrayIcon(QStringLiteral("Tovrin 2.0"));
    QCOMPARE(m_shell->menuOf(TrayIconData.hWnd, 1), forms().get<frmCase>().mnuTray);
}

void TestTray::startUpIntoTrayKeepsFirstTip()
{
    forms().get<frmOptions>().ckTrayst->setCheckState(Qt::Checked);
    ShowMainOrTray();
    QVERIFY(!forms().get<frmCase>().isVisible());
    QCOMPARE(tipText(*m_shell->onlyIcon()), QStringLiteral("Tovrin 2.0"));

    m_shell->mouse(TrayIconData.hWnd, 1, WM_LBUTTONDBLCLK);
    QCoreApplication::sendPostedEvents();
    QVERIFY(forms().get<frmCase>().isVisible());

    forms().get<frmCase>().mnuMini->trigger();
    QVERIFY(!forms().get<frmCase>().isVisible());
    QCOMPARE(m_shell->iconCount(), 1);
    QCOMPARE(tipText(*m_shell->onlyIcon()), QStringLiteral("Tovrin 2.0"));
    QVERIFY(!m_shell->requests.last().accepted);
}

void TestTray::minimizeFromMainWindow()
{
    forms().get<frmOptions>().ckTrayst->setCheckState(Qt::Unchecked);
    ShowMainOrTray();
    QVERIFY(forms().get<frmCase>().isVisible());
    QCOMPARE(m_shell->iconCount(), 0);

    forms().get<frmCase>().mnuMini->trigger();
    QVERIFY(!forms().get<frmCase>().isVisible());
    QVERIFY(forms().isLoaded<frmCase>());
    QCOMPARE(tipText(*m_shell->onlyIcon()), QStringLiteral("Tovrin 2.0.5"));
}

void TestTray::mainWindowWhenAlreadyVisible()
{
    forms().get<frmCase>().mnuMini->trigger();
    frmCase& f = forms().get<frmCase>();
    f.mnuMain->trigger();
    QVERIFY(f.isVisible());
    f.mnuMain->trigger();
    QVERIFY(f.isVisible());
    QCOMPARE(m_shell->iconCount(), 1);
}

void TestTray::closeBoxWithIconHides()
{
    forms().get<frmCase>().mnuMini->trigger();
    forms().get<frmCase>().mnuMain->trigger();
    forms().get<frmCase>().close();
    QVERIFY(forms().isLoaded<frmCase>());
    QVERIFY(!forms().get<frmCase>().isVisible());
    QCOMPARE(m_shell->iconCount(), 1);
    QCOMPARE(m_app->endRequests, 0);
}

void TestTray::noNotificationArea()
{
    m_shell->trayAvailable = false;
    forms().get<frmOptions>().ckTrayst->setCheckState(Qt::Checked);
    ShowMainOrTray();
    frmCase& f = forms().get<frmCase>();
    QVERIFY(f.isVisible());
    QCOMPARE(m_shell->iconCount(), 0);

    f.mnuMini->trigger();
    QVERIFY(f.isMinimized());
    QCOMPARE(m_shell->iconCount(), 0);
    // Still there to come back to, and closing it ends the program.
    f.mnuMain->trigger();
    QVERIFY(!f.isMinimized());
    f.close();
    QCOMPARE(m_app->endRequests, 1);
}

void TestTray::qtBackendKeepsShellRules()
{
    QtNotifyIcon shell;
    Record a{};
    a.cbSize = 88;
    a.hWnd = 7;
    a.uID = 1;
    a.uFlags = NIF_TIP;
    std::memcpy(a.szTip, "first", 6);
    Record b = a;
    b.uID = 2;
    QVERIFY(shell.Shell_NotifyIcon(NIM_ADD, a));
    QVERIFY(!shell.Shell_NotifyIcon(NIM_ADD, a));
    QVERIFY(shell.Shell_NotifyIcon(NIM_ADD, b));
    QVERIFY(shell.Shell_NotifyIcon(NIM_DELETE, a));
    QVERIFY(!shell.Shell_NotifyIcon(NIM_DELETE, a));
    QVERIFY(shell.Shell_NotifyIcon(NIM_ADD, a));
    QVERIFY(!shell.Shell_NotifyIcon(1, a)); // no other request is known
}

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
