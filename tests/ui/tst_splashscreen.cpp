#include <QCheckBox>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QtTest>

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

void setPlaceInTray(SettingsStore& settings, bool on)
{
    Settings values = settings.values();
    values.placeInTray = on;
    settings.setValues(values);
}

} // namespace

class TestSplashScreen : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void window();
    void controls_data();
    void controls();
    void loadFillsVersionAndTitle();
    void rightAlignedLinesShareTheirRightEdge();
    void centredWhenShown();

    void keys_data();
    void keys();
    void clicks_data();
    void clicks();
    void dismissedIntoTray();
    void closedByTheDesktop_data();
    void closedByTheDesktop();

private:
    SplashScreen& shown();

    std::unique_ptr<TestApp> m_app;
    FakeNotifyIcon* m_shell = nullptr;
};

void TestSplashScreen::init()
{
    m_app = std::make_unique<TestApp>(TestApp::Doubles{.notifyIcon = true, .registry = true});
    m_shell = m_app->shell;
}

void TestSplashScreen::cleanup()
{
    m_app.reset();
}

SplashScreen& TestSplashScreen::shown()
{
    SplashScreen& splash = m_app->windows().get<SplashScreen>();
    splash.showModeless();
    return splash;
}

void TestSplashScreen::window()
{
    SplashScreen& splash = shown();
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(splash.client()->size(), QSize(492, 283));
    // The border is the window's own, all round.
    const QRect client(splash.client()->mapTo(&splash, QPoint(0, 0)), splash.client()->size());
    QCOMPARE(client.topLeft(), QPoint(3, 3));
    QCOMPARE(splash.size(), QSize(498, 289));
    // Nothing on it can take the focus, so the window gets every key.
    for (QWidget* child : splash.findChildren<QWidget*>())
        QCOMPARE(child->focusPolicy(), Qt::NoFocus);
}

void TestSplashScreen::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QString>("text");
    // Twips / 15, inside frame. The auto-sized labels are checked for position only.
    QTest::newRow("Label1") << "Label1" << QRect(16, 32, 145, 201) << 150.0 << false << "A";
    QTest::newRow("Label2") << "Label2" << QRect(104, 128, 49, 89) << 72.0 << false << "a";
    QTest::newRow("lblCompanyProduct") << "lblCompanyProduct" << QRect(168, 47, -1, -1) << 18.0 << true << "Ardelon";
    QTest::newRow("lblProductName") << "lblProductName" << QRect(176, 76, -1, -1) << 32.25 << true << "Tovrin";
    QTest::newRow("lblCopyright") << "lblCopyright" << QRect(304, 204, 161, 17) << 8.25 << false << "";
    QTest::newRow("lblCompany") << "lblCompany" << QRect(304, 218, 161, 17) << 8.25 << false << "";
    QTest::newRow("lblWarning") << "lblWarning" << QRect(8, 244, 459, 13) << 8.25 << false << "Warning";
}

void TestSplashScreen::controls()
{
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    QFETCH(QString, text);
    SplashScreen& splash = shown();
    QCOMPARE(splash.frame->geometry(), QRect(10, 8, 472, 270));
    auto* label = splash.frame->findChild<QLabel*>(name);
    QVERIFY(label);
    QCOMPARE(label->parentWidget(), splash.frame);
    QCOMPARE(label->pos(), pixels.topLeft());
    if (pixels.width() > 0)
        QCOMPARE(label->size(), pixels.size());
    QCOMPARE(label->font().pointSizeF(), points);
    QCOMPARE(label->font().bold(), bold);
    QCOMPARE(label->font().family(), QStringLiteral("Liberation Sans"));
    if (!text.isEmpty())
        QCOMPARE(label->text(), text);
    // Every line of text fits its box (the logo letters are drawn into theirs).
    if (!name.startsWith(QLatin1String("Label")))
        QVERIFY(label->width() >= label->sizeHint().width());
}

void TestSplashScreen::loadFillsVersionAndTitle()
{
    SplashScreen& splash = m_app->windows().get<SplashScreen>();
    QCOMPARE(splash.versionLabel->text(), QStringLiteral("Version 2.0.5"));
    QCOMPARE(splash.productLabel->text(), QStringLiteral("Tovrin"));
    QCOMPARE(splash.platformLabel->text(), QStringLiteral("Windows 95/98"));
    QVERIFY(splash.versionLabel->width() >= splash.versionLabel->sizeHint().width());
    QVERIFY(splash.productLabel->width() >= splash.productLabel->sizeHint().width());
}

void TestSplashScreen::rightAlignedLinesShareTheirRightEdge()
{
    SplashScreen& splash = m_app->windows().get<SplashScreen>();
    // 6855 twips from the frame's left, where both were designed to end.
    QCOMPARE(splash.platformLabel->geometry().right() + 1, 457);
    QCOMPARE(splash.versionLabel->geometry().right() + 1, 457);
    QVERIFY(splash.versionLabel->alignment() & Qt::AlignRight);
    QVERIFY(splash.platformLabel->alignment() & Qt::AlignRight);
}

void TestSplashScreen::centredWhenShown()
{
    SplashScreen& splash = shown();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint offset = splash.frameGeometry().center() - screen.center();
    QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1, qPrintable(QString::number(offset.x()) + "," + QString::number(offset.y())));
}

void TestSplashScreen::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("dismisses");
    QTest::newRow("Enter") << int(Qt::Key_Return) << "\r" << true;
    QTest::newRow("Esc") << int(Qt::Key_Escape) << "\x1b" << true;
    QTest::newRow("Space") << int(Qt::Key_Space) << " " << true;
    QTest::newRow("letter") << int(Qt::Key_Q) << "q" << true;
    QTest::newRow("Ctrl+C") << int(Qt::Key_C) << "\x03" << true;
    QTest::newRow("Shift") << int(Qt::Key_Shift) << "" << false;
    QTest::newRow("Left") << int(Qt::Key_Left) << "" << false;
    QTest::newRow("F1") << int(Qt::Key_F1) << "" << false;
    QTest::newRow("F12") << int(Qt::Key_F12) << "" << false;
    // The desktop reports Delete's text as DEL; it still types nothing.
    QTest::newRow("Delete") << int(Qt::Key_Delete) << "\x7f" << false;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << "\b" << true;
}

void TestSplashScreen::keys()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(bool, dismisses);
    SplashScreen& splash = shown();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&splash, &press);
    QCOMPARE(splash.isVisible(), !dismisses);
    QCOMPARE(m_app->windows().isLoaded<MainWindow>() && m_app->windows().get<MainWindow>().isVisible(), dismisses);
    QVERIFY(m_app->windows().isLoaded<SplashScreen>());
}

void TestSplashScreen::clicks_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QPoint>("at");
    // Every part dismisses, the platform and version lines too.
    for (const char* name : {"Label1", "Label2", "lblCompanyProduct", "lblProductName", "lblPlatform", "lblVersion",
                             "lblCopyright", "lblCompany", "lblWarning"})
        QTest::newRow(name) << name << QPoint(2, 2);
    QTest::newRow("frame, empty part") << "Frame1" << QPoint(460, 20);
    QTest::newRow("margin outside the frame") << "client" << QPoint(3, 140);
    QTest::newRow("border") << "" << QPoint(1, 1);
}

void TestSplashScreen::clicks()
{
    QFETCH(QString, target);
    QFETCH(QPoint, at);
    SplashScreen& splash = shown();
    QWidget* widget = &splash;
    if (target == QLatin1String("client"))
        widget = splash.client();
    else if (!target.isEmpty())
        widget = splash.findChild<QWidget*>(target);
    QVERIFY(widget);
    QCOMPARE(splash.childAt(widget->mapTo(&splash, at)) ? splash.childAt(widget->mapTo(&splash, at)) : &splash, widget);

    QTest::mouseClick(widget, Qt::LeftButton, {}, at);

    QVERIFY(!splash.isVisible());
    QVERIFY(m_app->windows().get<MainWindow>().isVisible());
}

void TestSplashScreen::dismissedIntoTray()
{
    setPlaceInTray(m_app->settings(), true);
    SplashScreen& splash = shown();
    QVERIFY(!m_shell->isShown());
    QTest::mouseClick(splash.logoLetter, Qt::LeftButton);
    QVERIFY(!splash.isVisible());
    QVERIFY(m_shell->isShown());
    QVERIFY(!m_app->windows().get<MainWindow>().isVisible());
    // A second dismissal, already queued, does not add again or show anything.
    const int calls = m_shell->calls.size();
    splash.onClicked();
    QCOMPARE(m_shell->calls.size(), calls);
    QVERIFY(!m_app->windows().get<MainWindow>().isVisible());
}

void TestSplashScreen::closedByTheDesktop_data()
{
    QTest::addColumn<bool>("placeInTray");
    QTest::newRow("main window") << false;
    QTest::newRow("tray") << true;
}

void TestSplashScreen::closedByTheDesktop()
{
    QFETCH(bool, placeInTray);
    setPlaceInTray(m_app->settings(), placeInTray);
    SplashScreen& splash = shown();
    // Alt+F4 from the window manager: start-up must still go on.
    QVERIFY(!splash.close());
    QVERIFY(m_app->windows().isLoaded<SplashScreen>());
    QVERIFY(!splash.isVisible());
    QCOMPARE(m_shell->isShown(), placeInTray);
    QCOMPARE(m_app->windows().get<MainWindow>().isVisible(), !placeInTray);
}

QTEST_MAIN(TestSplashScreen)
#include "tst_splashscreen.moc"
