#include <QCheckBox>
#include <QRadioButton>
#include <QtTest>

#include "core/Forms.h"
#include "core/Reg.h"
#include "core/StartUp.h"
#include "platform/fakes/FakeNotifyIcon.h"
#include "platform/fakes/FakeRegistry.h"
#include "support/TestApp.h"
#include "ui/dialogs/frmOptions.h"
#include "ui/dialogs/frmSplash.h"
#include "ui/main/General.h"
#include "ui/main/frmCase.h"

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
    void sixReadsInOrder();
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
    m_app = std::make_unique<TestApp>();
    m_shell = installFakeNotifyIcon();
    m_registry = installFakeRegistry();
}

void TestStartUp::cleanup()
{
    m_app.reset();
    platform::services().notifyIcon.reset();
}

Outcome TestStartUp::outcome() const
{
    return {forms().isLoaded<frmSplash>() && forms().get<frmSplash>().isVisible(),
            forms().isLoaded<frmCase>() && forms().get<frmCase>().isVisible(), forms().isLoaded<frmCase>(),
            m_shell->iconCount()};
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

    Main();

    const Outcome seen = outcome();
    QCOMPARE(seen.splash, showsSplash);
    QCOMPARE(seen.mainWindow, showsMain);
    QCOMPARE(seen.mainLoaded, mainLoaded);
    QCOMPARE(seen.icons, icons);
    if (icons)
        QCOMPARE(platform::tipText(*m_shell->onlyIcon()), QStringLiteral("Tovrin 2.0"));
    // The Options window is loaded and stays hidden.
    QVERIFY(forms().isLoaded<frmOptions>());
    QVERIFY(!forms().get<frmOptions>().isVisible());
    QCOMPARE(m_registry->count(RegCall::Kind::Set), 0);
}

void TestStartUp::settingsLoaded_data()
{
    QTest::addColumn<QString>("splash");
    QTest::addColumn<QString>("tray");
    QTest::addColumn<QString>("copy");
    QTest::addColumn<Qt::CheckState>("ckSplash");
    QTest::addColumn<Qt::CheckState>("ckTrayst");
    QTest::addColumn<bool>("optCopy");
    const QString absent;
    QTest::newRow("all absent") << absent << absent << absent << Qt::Unchecked << Qt::Unchecked << false;
    QTest::newRow("True") << "0" << "0" << "True" << Qt::Unchecked << Qt::Unchecked << true;
    QTest::newRow("False") << "0" << "0" << "False" << Qt::Unchecked << Qt::Unchecked << false;
    QTest::newRow("true (wrong case)") << "0" << "0" << "true" << Qt::Unchecked << Qt::Unchecked << false;
    QTest::newRow("1 instead of True") << "0" << "0" << "1" << Qt::Unchecked << Qt::Unchecked << false;
    QTest::newRow("splash and tray") << "1" << "1" << "True" << Qt::Checked << Qt::Checked << true;
    QTest::newRow("tray only") << "0" << "1" << "False" << Qt::Unchecked << Qt::Checked << false;
}

void TestStartUp::settingsLoaded()
{
    QFETCH(QString, splash);
    QFETCH(QString, tray);
    QFETCH(QString, copy);
    QFETCH(Qt::CheckState, ckSplash);
    QFETCH(Qt::CheckState, ckTrayst);
    QFETCH(bool, optCopy);
    store(*m_registry, kSplashScreen, splash);
    store(*m_registry, kPlaceInTray, tray);
    store(*m_registry, kCopy2Clip, copy);

    Main();

    frmOptions& options = forms().get<frmOptions>();
    QCOMPARE(options.ckSplash->checkState(), ckSplash);
    QCOMPARE(options.ckTrayst->checkState(), ckTrayst);
    QCOMPARE(options.optCopy->isChecked(), optCopy);
    QCOMPARE(options.optOpen->isChecked(), !optCopy);
}

void TestStartUp::sixReadsInOrder()
{
    store(*m_registry, kSplashScreen, "0");
    store(*m_registry, kPlaceInTray, "0");
    store(*m_registry, kCopy2Clip, "True");

    Main();

    // One sizing query starts every read.
    QStringList reads;
    for (const RegCall& call : m_registry->calls) {
        if (call.kind == RegCall::Kind::Query && !call.withData)
            reads << call.name;
    }
    QCOMPARE(reads, (QStringList{"SplashScreen", "SplashScreen", "PlaceInTray", "Copy2Clip", "PlaceInTray",
                                 "Copy2Clip"}));
    QCOMPARE(m_registry->count(RegCall::Kind::Open), 6);
    QCOMPARE(m_registry->openHandles, 0);
}

void TestStartUp::noKeyNothingWritten()
{
    Main();
    QVERIFY(!m_registry->keyExists(kPath));
    QVERIFY(!m_registry->keyExists(QStringLiteral("Software\\Ardelon")));
    QCOMPARE(m_registry->count(RegCall::Kind::Create), 0);
    QCOMPARE(m_registry->count(RegCall::Kind::Set), 0);
}

void TestStartUp::splashThenTray()
{
    store(*m_registry, kSplashScreen, "1");
    store(*m_registry, kPlaceInTray, "1");
    Main();
    QVERIFY(forms().get<frmSplash>().isVisible());

    forms().get<frmSplash>().Form_KeyPress(' ');

    QVERIFY(forms().isLoaded<frmSplash>());
    QVERIFY(!forms().get<frmSplash>().isVisible());
    QVERIFY(!forms().get<frmCase>().isVisible());
    QCOMPARE(platform::tipText(*m_shell->onlyIcon()), QStringLiteral("Tovrin 2.0"));
}

QTEST_MAIN(TestStartUp)
#include "tst_startup.moc"
