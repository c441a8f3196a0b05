#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleFactory>
#include <QTimer>
#include <QtTest>

#include "ui/windows/WindowHolder.h"
#include "support/TestApp.h"
#include "ui/main/MainWindow.h"
#include "ui/widgets/DeferredIconStyle.h"
#include "ui/widgets/TextBox.h"

using namespace platform::fakes;

namespace {

// Two texts are the same but for letter case, code point by code point.
bool sameButCase(const QString& a, const QString& b)
{
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

QStringList captions(const QList<QAction*>& actions)
{
    QStringList out;
    for (QAction* a : actions)
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

} // namespace

class TestFrmCase : public QObject {
    Q_OBJECT
private slots:
    void init() { m_app = std::make_unique<TestApp>(); }
    void cleanup() { m_app.reset(); }

    void layout_data();
    void layout();
    void tabOrder();
    void menuBar();
    void trayMenu();

    void transformButtons_data();
    void transformButtons();
    void pasteFromClipboard_data();
    void pasteFromClipboard();
    void copyToClipboard_data();
    void copyToClipboard();
    void randomLeavesClipboardAlone_data();
    void randomLeavesClipboardAlone();
    void nestedRandom();
    void exitCommands_data();
    void exitCommands();
    void closeBoxWithoutTrayEndsProgram();
    void mailCommand();

private:
    std::unique_ptr<TestApp> m_app;
};

void TestFrmCase::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels");
    QTest::addColumn<QString>("caption");
    // Twips / 15, rounded.
    QTest::newRow("txtBase") << "txtBase" << QRect(8, 16, 257, 267) << "";
    QTest::newRow("txtEnd") << "txtEnd" << QRect(384, 16, 257, 267) << "";
    QTest::newRow("Command1") << "Command1" << QRect(280, 80, 89, 33) << "UPPERCASE";
    QTest::newRow("Command5") << "Command5" << QRect(280, 144, 89, 33) << "rAnDOm";
    QTest::newRow("Command2") << "Command2" << QRect(280, 216, 89, 33) << "lowercase";
    QTest::newRow("Trayicon") << "Trayicon" << QRect(312, 24, 33, 33) << "";
    QTest::newRow("Command3") << "Command3" << QRect(64, 296, 145, 17) << "Paste from Clipboard";
    QTest::newRow("Command4") << "Command4" << QRect(448, 296, 145, 17) << "Copy to Clipboard";
}

void TestFrmCase::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    QFETCH(QString, caption);
    MainWindow& f = m_app->windows().get<MainWindow>();
    QCOMPARE(f.client()->size(), QSize(651, 328));
    auto* w = f.client()->findChild<QWidget*>(name);
    QVERIFY(w);
    QCOMPARE(w->geometry(), pixels);
    if (auto* button = qobject_cast<QPushButton*>(w))
        QCOMPARE(button->text(), caption);
    QCOMPARE(f.windowTitle(), QStringLiteral("Tovrin"));
    QVERIFY(!(f.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(f.windowFlags() & Qt::WindowMaximizeButtonHint));
}

void TestFrmCase::tabOrder()
{
    MainWindow& f = m_app->windows().get<MainWindow>();
    const QList<QWidget*> expected{named<QPlainTextEdit>(f, "txtBase"), named<QPlainTextEdit>(f, "txtEnd"), named<QPushButton>(f, "Command1"), named<QPushButton>(f, "Command2"), named<QPushButton>(f, "Command3"), named<QPushButton>(f, "Command4"), named<QPushButton>(f, "Command5")};
    QList<QWidget*> chain;
    QWidget* w = named<QPlainTextEdit>(f, "txtBase");
    do {
        if (expected.contains(w) && (w->focusPolicy() & Qt::TabFocus))
            chain << w;
        w = w->nextInFocusChain();
    } while (w != named<QPlainTextEdit>(f, "txtBase"));
    QCOMPARE(chain, expected);
}

void TestFrmCase::menuBar()
{
    MainWindow& f = m_app->windows().get<MainWindow>();
    QCOMPARE(captions(f.QMainWindow::menuBar()->actions()),
             (QStringList{"&File", "&Tovrin", "&Minimize to Tray"}));
    QCOMPARE(captions(named<QMenu>(f, "mnuFile")->actions()), (QStringList{"&Options...", "E&xit"}));
    QCOMPARE(captions(named<QMenu>(f, "mnuHelpmnu")->actions()), (QStringList{"C&redits", "&About..."}));
    // The arrow a narrow menu bar shows is made only then, and still the style's own.
    const std::unique_ptr<QStyle> base(QStyleFactory::create(QStringLiteral("fusion")));
    DeferredIconStyle deferring(QStyleFactory::create(QStringLiteral("fusion")));
    for (const auto arrow : {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton})
        QCOMPARE(deferring.standardIcon(arrow).pixmap(16, 16).toImage(), base->standardIcon(arrow).pixmap(16, 16).toImage());
}

void TestFrmCase::trayMenu()
{
    MainWindow& f = m_app->windows().get<MainWindow>();
    QCOMPARE(captions(named<QMenu>(f, "mnuTray")->actions()),
             (QStringList{"E&xit", "&Cancel", "-", "&Tovrin", "-", "Main &Window", "-", "rAnDOm", "&lowercase",
                          "&UPPERCASE"}));
    QCOMPARE(captions(named<QMenu>(f, "mnuTovrin")->actions()),
             (QStringList{"&Credits...", "&About...", "&Options...", "&Email Ardelon"}));
    QVERIFY(!f.QMainWindow::menuBar()->actions().contains(named<QMenu>(f, "mnuTray")->menuAction()));
}

void TestFrmCase::transformButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("expected");
    QTest::newRow("upper") << "Command1" << "Hello, World 42\r\nnext" << "HELLO, WORLD 42\r\nNEXT";
    QTest::newRow("lower") << "Command2" << "rAnDOm ÄÖÜ" << "random äöü";
    QTest::newRow("upper empty") << "Command1" << "" << "";
    QTest::newRow("lower of one long line") << "Command2" << QStringLiteral("ÄB😀").repeated(5000)
                                            << QStringLiteral("äb😀").repeated(5000);
    // Clicked while the source box still takes the text in: the whole text is converted.
    QTest::newRow("upper of a text still going in")
        << "Command1" << QStringLiteral("ab\r\n").repeated(90000) + QString(300000, u'x')
        << QStringLiteral("AB\r\n").repeated(90000) + QString(300000, u'X');
}

void TestFrmCase::transformButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, source);
    QFETCH(QString, expected);
    MainWindow& f = m_app->windows().get<MainWindow>();
    named<TextBox>(f, "txtBase")->setText(source);
    named<TextBox>(f, "txtEnd")->setPlainText(QStringLiteral("typed by the user"));
    m_app->fakes.clipboard->putText(QStringLiteral("untouched"));
    QTest::mouseClick(f.client()->findChild<QPushButton*>(button), Qt::LeftButton);
    QCOMPARE(named<TextBox>(f, "txtEnd")->text(), QString(expected).replace("\r\n", "\n"));
    QCOMPARE(named<TextBox>(f, "txtBase")->text(), QString(source).replace("\r\n", "\n"));
    QCOMPARE(m_app->fakes.clipboard->text(), QStringLiteral("untouched"));
}

void TestFrmCase::pasteFromClipboard_data()
{
    QTest::addColumn<int>("content"); // 0 text, 1 picture, 2 nothing
    QTest::addColumn<QString>("expected");
    QTest::newRow("text") << 0 << "from elsewhere";
    QTest::newRow("picture") << 1 << "";
    QTest::newRow("nothing") << 2 << "";
}

void TestFrmCase::pasteFromClipboard()
{
    QFETCH(int, content);
    QFETCH(QString, expected);
    FakeClipboard& clip = *m_app->fakes.clipboard;
    if (content == 0)
        clip.putText(QStringLiteral("from elsewhere"));
    else if (content == 1)
        clip.putPicture();
    MainWindow& f = m_app->windows().get<MainWindow>();
    named<QPlainTextEdit>(f, "txtBase")->setPlainText(QStringLiteral("old"));
    named<QPushButton>(f, "Command3")->click();
    QCOMPARE(named<QPlainTextEdit>(f, "txtBase")->toPlainText(), expected);
    QCOMPARE(clip.holdsPicture(), content == 1);
}

void TestFrmCase::copyToClipboard_data()
{
    QTest::addColumn<QString>("result");
    QTest::newRow("text") << "Result Text";
    QTest::newRow("empty result box") << "";
}

void TestFrmCase::copyToClipboard()
{
    QFETCH(QString, result);
    FakeClipboard& clip = *m_app->fakes.clipboard;
    clip.putPicture();
    MainWindow& f = m_app->windows().get<MainWindow>();
    named<QPlainTextEdit>(f, "txtEnd")->setPlainText(result);
    named<QPushButton>(f, "Command4")->click();
    QVERIFY(clip.holdsText());
    QCOMPARE(clip.text(), result);
}

void TestFrmCase::randomLeavesClipboardAlone_data()
{
    QTest::addColumn<bool>("picture");
    QTest::newRow("text on clipboard") << false;
    QTest::newRow("picture on clipboard") << true;
}

void TestFrmCase::randomLeavesClipboardAlone()
{
    QFETCH(bool, picture);
    FakeClipboard& clip = *m_app->fakes.clipboard;
    if (picture)
        clip.putPicture();
    else
        clip.putText(QStringLiteral("keep me"));
    MainWindow& f = m_app->windows().get<MainWindow>();
    const QString source = QStringLiteral("The quick brown fox, 1999\nJumps");
    named<QPlainTextEdit>(f, "txtBase")->setPlainText(source);
    named<QPushButton>(f, "Command5")->click();
    QVERIFY(sameButCase(named<QPlainTextEdit>(f, "txtEnd")->toPlainText(), source));
    QCOMPARE(clip.holdsPicture(), picture);
    if (!picture)
        QCOMPARE(clip.text(), QStringLiteral("keep me"));
    QCOMPARE(clip.writes, 0);
}

void TestFrmCase::nestedRandom()
{
    // A second click while the first conversion yields runs to its end first; the
    // outer conversion then leaves its own result in the box.
    MainWindow& f = m_app->windows().get<MainWindow>();
    const QString outer = QString(2000, QLatin1Char('a'));
    const QString inner = QStringLiteral("inner text");
    named<QPlainTextEdit>(f, "txtBase")->setPlainText(outer);
    bool innerRan = false;
    QTimer::singleShot(0, &f, [&] {
        named<QPlainTextEdit>(f, "txtBase")->setPlainText(inner);
        named<QPushButton>(f, "Command5")->click();
        innerRan = true;
        QVERIFY(sameButCase(named<TextBox>(f, "txtEnd")->text(), inner));
    });
    named<QPushButton>(f, "Command5")->click();
    QVERIFY(innerRan);
    QVERIFY(sameButCase(named<TextBox>(f, "txtEnd")->text(), outer));
}

void TestFrmCase::exitCommands_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("File menu") << "mnuExit";
    QTest::newRow("tray menu") << "mnuExitT";
}

void TestFrmCase::exitCommands()
{
    QFETCH(QString, action);
    MainWindow& f = m_app->windows().get<MainWindow>();
    f.findChild<QAction*>(action)->trigger();
    QCOMPARE(m_app->endRequests, 1);
}

void TestFrmCase::closeBoxWithoutTrayEndsProgram()
{
    MainWindow& f = m_app->windows().get<MainWindow>();
    f.showModeless();
    f.close();
    QCOMPARE(m_app->endRequests, 1);
    QVERIFY(m_app->windows().isLoaded<MainWindow>());
}

void TestFrmCase::mailCommand()
{
    MainWindow& f = m_app->windows().get<MainWindow>();
    named<QAction>(f, "mnuEmail")->trigger();
    const QList<QUrl>& opened = m_app->fakes.links->opened;
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0].scheme(), QStringLiteral("mailto"));
}

QTEST_MAIN(TestFrmCase)
#include "tst_mainwindow.moc"
