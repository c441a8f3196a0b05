#include <QtTest>

#include "app/StartUp.h"
#include "core/Settings.h"
#include "ui/windows/WindowHolder.h"
#include "doubles/FakeNotifyIcon.h"
#include "doubles/FakeRegistry.h"
#include "support/TestApp.h"
#include "ui/dialogs/OptionsDialog.h"
#include "ui/dialogs/SplashScreen.h"
#include "ui/main/MainWindow.h"

using namespace platform::fakes;

namespace {

const QString kPath = QString::fromLatin1(kSettingsPath);

// What the user sees once start-up is over.
struct Outcome {
    bool splash;
    bool mainWindow;
    bool mainLoaded;
    int icons;
};

// A stored value; a null text means "not stored".
void store(FakeRegistry& registry, const char* name, const QString& text)
{
    if (!text.isNull())
        registry.putString(kPath, QString::fromLatin1(name), text);
}

} // namespace

class TestStartUp : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void firstThingShown_data();
    void firstThingShown();
    void settingsLoaded_data();
    void settingsLoaded();
    void threeReadsInOrder();
    void noKeyNothingWritten();
    void splashThenTray();

private:
    Outcome outcome() const;

    std::unique_ptr<TestApp> m_app;
    FakeNotifyIcon* m_shell = nullptr;
    std::shared_ptr<FakeRegistry> m_registry;
};

void TestStartUp::init()
{
    m_app = std::make_unique<TestApp>(TestApp::Doubles{.notifyIcon = true, .registry = true});
    m_shell = m_app->shell;
    m_registry = m_app->registry;
}

void TestStartUp::cleanup()
{
    m_app.reset();
}

Outcome TestStartUp::outcome() const
{
    return {m_app->windows().isLoaded<SplashScreen>() && m_app->windows().get<SplashScreen>().isVisible(),
            m_app->windows().isLoaded<MainWindow>() && m_app->windows().get<MainWindow>().isVisible(),
            m_app->windows().isLoaded<MainWindow>(), m_shell->isShown() ? 1 : 0};
}

void TestStartUp::firstThingShown_data()
{
    QTest::addColumn<QString>("splash");
    QTest::addColumn<QString>("tray");
    QTest::addColumn<bool>("trayAvailable");
    QTest::addColumn<bool>("showsSplash");
    QTest::addColumn<bool>("showsMain");
    QTest::addColumn<bool>("mainLoaded");
    QTest::addColumn<int>("icons");
    const QString absent;
    QTest::newRow("no key") << absent << absent << true << false << true << true << 0;
    QTest::newRow("0 0") << "0" << "0" << true << false << true << true << 0;
    QTest::newRow("0 1: icon only") << "0" << "1" << true << false << false << true << 1;
    QTest::newRow("1 0: splash") << "1" << "0" << true << true << false << false << 0;
    QTest::newRow("1 1: splash") << "1" << "1" << true << true << false << false << 0;
    QTest::newRow("1 absent: splash") << "1" << absent << true << true << false << false << 0;
    QTest::newRow("0 1, no tray: main") << "0" << "1" << false << false << true << true << 0;
    // Texts the program never writes count as absent, never as a third state.
    QTest::newRow("2 0") << "2" << "0" << true << false << true << true << 0;
    QTest::newRow("empty 0") << "" << "0" << true << false << true << true << 0;
    QTest::newRow("0 2") << "0" << "2" << true << false << true << true << 0;
    QTest::newRow("0 yes") << "0" << "yes" << true << false << true << true << 0;
    QTest::newRow("' 1' 1") << " 1" << "1" << true << false << false << true << 1;
}

void TestStartUp::firstThingShown()
{
    QFETCH(QString, splash);
    QFETCH(QString, tray);
    QFETCH(bool, trayAvailable);
    QFETCH(bool, showsSplash);
    QFETCH(bool, showsMain);
    QFETCH(bool, mainLoaded);
    QFETCH(int, icons);
    store(*m_registry, kSplashScreen, splash);
    store(*m_registry, kPlaceInTray, tray);
    m_shell->trayAvailable = trayAvailable;

    startProgram(m_app->program());

    const Outcome seen = outcome();
    QCOMPARE(seen.splash, showsSplash);
    QCOMPARE(seen.mainWindow, showsMain);
    QCOMPARE(seen.mainLoaded, mainLoaded);
    QCOMPARE(seen.icons, icons);
    if (icons)
        QCOMPARE(m_shell->tip(), QStringLiteral("Tovrin 2.0"));
    // No window is built just to hold the settings.
    QVERIFY(!m_app->windows().isLoaded<OptionsDialog>());
    QCOMPARE(m_registry->count(RegCall::Kind::Set), 0);
}

void TestStartUp::settingsLoaded_data()
{
    QTest::addColumn<QString>("splash");
    QTest::addColumn<QString>("tray");
    QTest::addColumn<QString>("copy");
    QTest::addColumn<bool>("showSplash");
    QTest::addColumn<bool>("placeInTray");
    QTest::addColumn<bool>("copyToClipboard");
    const QString absent;
    QTest::newRow("all absent") << absent << absent << absent << false << false << false;
    QTest::newRow("True") << "0" << "0" << "True" << false << false << true;
    QTest::newRow("False") << "0" << "0" << "False" << false << false << false;
    QTest::newRow("true (wrong case)") << "0" << "0" << "true" << false << false << false;
    QTest::newRow("1 instead of True") << "0" << "0" << "1" << false << false << false;
    QTest::newRow("splash and tray") << "1" << "1" << "True" << true << true << true;
    QTest::newRow("tray only") << "0" << "1" << "False" << false << true << false;
}

void TestStartUp::settingsLoaded()
{
    QFETCH(QString, splash);
    QFETCH(QString, tray);
    QFETCH(QString, copy);
    QFETCH(bool, showSplash);
    QFETCH(bool, placeInTray);
    QFETCH(bool, copyToClipboard);
    store(*m_registry, kSplashScreen, splash);
    store(*m_registry, kPlaceInTray, tray);
    store(*m_registry, kCopy2Clip, copy);

    startProgram(m_app->program());

    QCOMPARE(m_app->settings().values(), (Settings{showSplash, placeInTray, copyToClipboard}));
}

void TestStartUp::threeReadsInOrder()
{
    store(*m_registry, kSplashScreen, "0");
    store(*m_registry, kPlaceInTray, "0");
    store(*m_registry, kCopy2Clip, "True");

    startProgram(m_app->program());

    QCOMPARE(m_registry->settingReads(), (QStringList{"SplashScreen", "PlaceInTray", "Copy2Clip"}));
    QCOMPARE(m_registry->count(RegCall::Kind::Open), 3);
    QCOMPARE(m_registry->openHandles, 0);
}

void TestStartUp::noKeyNothingWritten()
{
    startProgram(m_app->program());
    QVERIFY(!m_registry->keyExists(kPath));
    QVERIFY(!m_registry->keyExists(QStringLiteral("Software\\Ardelon")));
    QCOMPARE(m_registry->count(RegCall::Kind::Create), 0);
    QCOMPARE(m_registry->count(RegCall::Kind::Set), 0);
}

void TestStartUp::splashThenTray()
{
    store(*m_registry, kSplashScreen, "1");
    store(*m_registry, kPlaceInTray, "1");
    startProgram(m_app->program());
    QVERIFY(m_app->windows().get<SplashScreen>().isVisible());

    m_app->windows().get<SplashScreen>().onKeyTyped(' ');

    QVERIFY(m_app->windows().isLoaded<SplashScreen>());
    QVERIFY(!m_app->windows().get<SplashScreen>().isVisible());
    QVERIFY(!m_app->windows().get<MainWindow>().isVisible());
    QCOMPARE(m_shell->tip(), QStringLiteral("Tovrin 2.0"));
}

QTEST_MAIN(TestStartUp)
#include "tst_startup.moc"
