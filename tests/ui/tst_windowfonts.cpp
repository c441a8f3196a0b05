#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QtTest>

#include "ui/windows/WindowHolder.h"
#include "support/TestApp.h"
#include "ui/credits/CreditsWindow.h"
#include "ui/dialogs/AboutBox.h"
#include "ui/dialogs/OptionsDialog.h"
#include "ui/dialogs/TextWindow.h"
#include "ui/main/MainWindow.h"

// Every window is designed in the same 8.25-point sans-serif; none may keep the
// desktop's own (usually larger) size, or captions and boxes stop matching.
class TestWindowFonts : public QObject {
    Q_OBJECT
private slots:
    void init() { m_app = std::make_unique<TestApp>(); }
    void cleanup() { m_app.reset(); }

    void designFont_data();
    void designFont();
    void textBoxesWithoutTouchingTheApplicationFont();

private:
    std::unique_ptr<TestApp> m_app;
};

void TestWindowFonts::designFont_data()
{
    QTest::addColumn<QString>("window");
    // The Options dialog may step down a little to fit its captions.
    QTest::addColumn<qreal>("smallest");
    QTest::newRow("frmCase") << u"frmCase"_qs << 8.25;
    QTest::newRow("frmTraytxt") << u"frmTraytxt"_qs << 8.25;
    QTest::newRow("frmAbout") << u"frmAbout"_qs << 8.25;
    QTest::newRow("frmCred") << u"frmCred"_qs << 8.25;
    QTest::newRow("frmOptions") << u"frmOptions"_qs << 7.5;
}

void TestWindowFonts::designFont()
{
    QFETCH(QString, window);
    QFETCH(qreal, smallest);
    Window* form = nullptr;
    if (window == u"frmCase")
        form = &m_app->windows().get<MainWindow>();
    else if (window == u"frmTraytxt")
        form = &m_app->windows().get<TextWindow>();
    else if (window == u"frmAbout")
        form = &m_app->windows().get<AboutBox>();
    else if (window == u"frmCred")
        form = &m_app->windows().get<CreditsWindow>();
    else
        form = &m_app->windows().get<OptionsDialog>();

    const QFont expected = Window::designFont(8.25);
    QCOMPARE(form->font().family(), expected.family());
    QVERIFY2(form->font().pointSizeF() <= 8.25 && form->font().pointSizeF() >= smallest,
             qPrintable(QString::number(form->font().pointSizeF())));
    // The controls inherit it.
    for (auto* button : form->findChildren<QAbstractButton*>())
        QCOMPARE(button->font().pointSizeF(), form->font().pointSizeF());
}

// The main window builds its text boxes while the application's font is its own;
// the desktop's must be back afterwards, for menus and all that is not ours.
void TestWindowFonts::textBoxesWithoutTouchingTheApplicationFont()
{
    const QFont desktop = QGuiApplication::font();
    MainWindow& main = m_app->windows().get<MainWindow>();
    QCOMPARE(QGuiApplication::font(), desktop);
    const auto boxes = main.findChildren<QPlainTextEdit*>();
    QCOMPARE(boxes.size(), 2);
    for (QPlainTextEdit* box : boxes)
        QCOMPARE(box->document()->defaultFont().family(), Window::designFont(8.25).family());
}

QTEST_MAIN(TestWindowFonts)
#include "tst_windowfonts.moc"
