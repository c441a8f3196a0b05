#include <QCheckBox>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QtTest>

#include "core/Forms.h"
#include "platform/fakes/FakeNotifyIcon.h"
#include "platform/fakes/FakeRegistry.h"
#include "support/TestApp.h"
#include "ui/dialogs/frmOptions.h"
#include "ui/dialogs/frmSplash.h"
#include "ui/main/frmCase.h"

using namespace platform::fakes;

class TestFrmSplash : public QObject {
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
    frmSplash& shown();

    std::unique_ptr<TestApp> m_app;
    FakeNotifyIcon* m_shell = nullptr;
};

void TestFrmSplash::init()
{
    m_app = std::make_unique<TestApp>();
    m_shell = installFakeNotifyIcon();
    installFakeRegistry();
}

void TestFrmSplash::cleanup()
{
    m_app.reset();
    platform::services().notifyIcon.reset();
}

frmSplash& TestFrmSplash::shown()
{
    frmSplash& splash = forms().get<frmSplash>();
    splash.showModeless();
    return splash;
}

void TestFrmSplash::window()
{
    frmSplash& splash = shown();
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

void TestFrmSplash::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QString>("text");
    // Twips / 15, inside Frame1. The auto-sized labels are checked for position only.
    QTest::newRow("Label1") << "Label1" << QRect(16, 32, 145, 201) << 150.0 << false << "A";
    QTest::newRow("Label2") << "Label2" << QRect(104, 128, 49, 89) << 72.0 << false << "a";
    QTest::newRow("lblCompanyProduct") << "lblCompanyProduct" << QRect(168, 47, -1, -1) << 18.0 << true << "Ardelon";
    QTest::newRow("lblProductName") << "lblProductName" << QRect(176, 76, -1, -1) << 32.25 << true << "Tovrin";
    QTest::newRow("lblCopyright") << "lblCopyright" << QRect(304, 204, 161, 17) << 8.25 << false << "";
    QTest::newRow("lblCompany") << "lblCompany" << QRect(304, 218, 161, 17) << 8.25 << false << "";
    QTest::newRow("lblWarning") << "lblWarning" << QRect(8, 244, 459, 13) << 8.25 << false << "Warning";
}

void TestFrmSplash::controls()
{
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    QFETCH(QString, text);
    frmSplash& splash = shown();
    QCOMPARE(splash.Frame1->geometry(), QRect(10, 8, 472, 270));
    auto* label = splash.Frame1->findChild<QLabel*>(name);
    QVERIFY(label);
    QCOMPARE(label->parentWidget(), splash.Frame1);
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

void TestFrmSplash::loadFillsVersionAndTitle()
{
    frmSplash& splash = forms().get<frmSplash>();
    QCOMPARE(splash.lblVersion->text(), QStringLiteral("Version 2.0.5"));
    QCOMPARE(splash.lblProductName->text(), QStringLiteral("Tovrin"));
    QCOMPARE(splash.lblPlatform->text(), QStringLiteral("Windows 95/98"));
    QVERIFY(splash.lblVersion->width() >= splash.lblVersion->sizeHint().width());
    QVERIFY(splash.lblProductName->width() >= splash.lblProductName->sizeHint().width());
}

void TestFrmSplash::rightAlignedLinesShareTheirRightEdge()
{
    frmSplash& splash = forms().get<frmSplash>();
    // 6855 twips from the frame's left, where both were designed to end.
    QCOMPARE(splash.lblPlatform->geometry().right() + 1, 457);
    QCOMPARE(splash.lblVersion->geometry().right() + 1, 457);
    QVERIFY(splash.lblVersion->alignment() & Qt::AlignRight);
    QVERIFY(splash.lblPlatform->alignment() & Qt::AlignRight);
}

void TestFrmSplash::centredWhenShown()
{
    frmSplash& splash = shown();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint offset = splash.frameGeometry().center() - screen.center();
    QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1, qPrintable(QString::number(offset.x()) + "," + QString::number(offset.y())));
}

void TestFrmSplash::keys_data()
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
}

void TestFrmSplash::keys()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(bool, dismisses);
    frmSplash& splash = shown();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&splash, &press);
    QCOMPARE(splash.isVisible(), !dismisses);
    QCOMPARE(forms().isLoaded<frmCase>() && forms().get<frmCase>().isVisible(), dismisses);
    QVERIFY(forms().isLoaded<frmSplash>());
}

void TestFrmSplash::clicks_data()
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

void TestFrmSplash::clicks()
{
    QFETCH(QString, target);
    QFETCH(QPoint, at);
    frmSplash& splash = shown();
    QWidget* widget = &splash;
    if (target == QLatin1String("client"))
        widget = splash.client();
    else if (!target.isEmpty())
        widget = splash.findChild<QWidget*>(target);
    QVERIFY(widget);
    QCOMPARE(splash.childAt(widget->mapTo(&splash, at)) ? splash.childAt(widget->mapTo(&splash, at)) : &splash, widget);

    QTest::mouseClick(widget, Qt::LeftButton, {}, at);

    QVERIFY(!splash.isVisible());
    QVERIFY(forms().get<frmCase>().isVisible());
}

void TestFrmSplash::dismissedIntoTray()
{
    forms().get<frmOptions>().ckTrayst->setCheckState(Qt::Checked);
    frmSplash& splash = shown();
    QCOMPARE(m_shell->iconCount(), 0);
    QTest::mouseClick(splash.Label1, Qt::LeftButton);
    QVERIFY(!splash.isVisible());
    QCOMPARE(m_shell->iconCount(), 1);
    QVERIFY(!forms().get<frmCase>().isVisible());
    // A second dismissal, already queued, does not add again or show anything.
    const int requests = m_shell->requests.size();
    splash.Form_Click();
    QCOMPARE(m_shell->requests.size(), requests);
    QVERIFY(!forms().get<frmCase>().isVisible());
}

void TestFrmSplash::closedByTheDesktop_data()
{
    QTest::addColumn<bool>("placeInTray");
    QTest::newRow("main window") << false;
    QTest::newRow("tray") << true;
}

void TestFrmSplash::closedByTheDesktop()
{
    QFETCH(bool, placeInTray);
    forms().get<frmOptions>().ckTrayst->setCheckState(placeInTray ? Qt::Checked : Qt::Unchecked);
    frmSplash& splash = shown();
    // Alt+F4 from the window manager: start-up must still go on.
    QVERIFY(!splash.close());
    QVERIFY(forms().isLoaded<frmSplash>());
    QVERIFY(!splash.isVisible());
    QCOMPARE(m_shell->iconCount(), placeInTray ? 1 : 0);
    QCOMPARE(forms().get<frmCase>().isVisible(), !placeInTray);
}

QTEST_MAIN(TestFrmSplash)
#include "tst_frmsplash.moc"
