// The tray menu's conversions of the clipboard's text: what ends up on the clipboard,
// where the result goes, how many beeps, and what happens while rAnDOm yields.
#include <QAction>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <memory>

#include "convert/RandomGenerator.h"
#include "ui/windows/WindowHolder.h"
#include "core/Settings.h"
#include "doubles/FakeRegistry.h"
#include "support/TestApp.h"
#include "ui/dialogs/OptionsDialog.h"
#include "ui/dialogs/TextWindow.h"
#include "ui/main/MainWindow.h"

using platform::ClipboardRead;
using platform::fakes::FakeClipboard;

namespace {

// A clipboard that is busy for its first reads or writes and remembers every text
// written to it, in order.
class ScriptedClipboard final : public platform::Clipboard {
public:
    ClipboardRead read() override
    {
        ++reads;
        if (failReads > 0) {
            --failReads;
            return {ClipboardRead::Status::Unavailable, {}};
        }
        return hasText ? ClipboardRead{ClipboardRead::Status::Text, text} : ClipboardRead{};
    }
    bool setText(const QString& t) override
    {
        if (failWrites > 0) {
            --failWrites;
            return false;
        }
        written.append(t);
        hasText = true;
        text = t;
        return true;
    }

    bool hasText = true;
    QString text;
    int failReads = 0;
    int failWrites = 0;
    int reads = 0;
    QStringList written;
};

const QString kMixed = QStringLiteral("Hello, Wörld 42: Ça VA? abcdefghijklmnopqrstuvwxyz");

// rAnDOm keeps every character and changes at most its case.
bool isRecasingOf(const QString& result, const QString& input)
{
    return result.size() == input.size() && result.toLower() == input.toLower();
}

} // namespace

class TestTrayCommands : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void convertsAndRoutes_data();
    void convertsAndRoutes();
    void clipboardWithoutText_data();
    void clipboardWithoutText();
    void unreadableClipboardIsLeftAlone_data();
    void unreadableClipboardIsLeftAlone();
    void briefBusyClipboard_data();
    void briefBusyClipboard();
    void lineBreaksAndSymbolsPassThrough();
    void openTextWindowKeepsItsText();
    void optionChangeCountsBeforeOk();
    void cancelledOptionsRouteAsLoaded();
    void storeReadAgainAfterOptionsClosed_data();
    void storeReadAgainAfterOptionsClosed();
    void commandNestedInRandomFinishesFirst_data();
    void commandNestedInRandomFinishesFirst();
    void windowsClosedDuringRandomAreReachedAfresh();
    void nestingIsBounded();
    void newerCopyDuringRandomStays();
    void exitDuringRandomStopsIt_data();
    void exitDuringRandomStopsIt();
    void mainWindowClipboardButtonsNeverClear_data();
    void mainWindowClipboardButtonsNeverClear();

private:
    void storeRouting(bool openWindow);
    void trigger(const QString& item);
    FakeClipboard& clip() { return *m_app->fakes.clipboard; }
    int beeps() const { return m_app->fakes.beeper->beeps; }

    std::unique_ptr<TestApp> m_app;
    std::shared_ptr<platform::fakes::FakeRegistry> m_registry;
};

void TestTrayCommands::init()
{
    m_app = std::make_unique<TestApp>(TestApp::Doubles{.notifyIcon = false, .registry = true});
    m_registry = m_app->registry;
}

void TestTrayCommands::cleanup()
{
    m_app.reset();
}

void TestTrayCommands::storeRouting(bool openWindow)
{
    m_registry->putString(QString::fromLatin1(kSettingsPath), QString::fromLatin1(kCopy2Clip),
                          openWindow ? QStringLiteral("False") : QStringLiteral("True"));
    // As start-up reads it.
    m_app->settings().load();
}

// Through the tray menu's own item, as the user chooses it.
void TestTrayCommands::trigger(const QString& item)
{
    auto* action = m_app->windows().get<MainWindow>().findChild<QAction*>(item);
    QVERIFY2(action, qPrintable(item));
    action->trigger();
}

void TestTrayCommands::convertsAndRoutes_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("openWindow");
    QTest::addColumn<QString>("expected"); // empty for rAnDOm
    QTest::addColumn<QString>("input");
    const QString upper = QStringLiteral("HELLO, WÖRLD 42: ÇA VA? ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const QString lower = QStringLiteral("hello, wörld 42: ça va? abcdefghijklmnopqrstuvwxyz");
    for (bool open : {true, false}) {
        const char* routing = open ? "open it in a new window" : "copy it directly";
        QTest::addRow("mnuUp, %s", routing) << "mnuUp" << open << upper << kMixed;
        QTest::addRow("mnuLow, %s", routing) << "mnuLow" << open << lower << kMixed;
        QTest::addRow("mnuRnd, %s", routing) << "mnuRnd" << open << QString() << kMixed;
    }
    // Long texts go to the clipboard a piece at a time: characters of every width
    // straddle the pieces' edges.
    QTest::addRow("mnuUp, megabytes, copy it directly") << "mnuUp" << false << QStringLiteral("A😀ß€ ").repeated(300000)
                                                        << QStringLiteral("a😀ß€ ").repeated(300000);
}

void TestTrayCommands::convertsAndRoutes()
{
    QFETCH(QString, item);
    QFETCH(bool, openWindow);
    QFETCH(QString, expected);
    QFETCH(QString, input);
    storeRouting(openWindow);
    clip().putText(input);
    MainWindow& main = m_app->windows().get<MainWindow>();
    named<QPlainTextEdit>(main, "txtBase")->setPlainText(QStringLiteral("source box"));
    named<QPlainTextEdit>(main, "txtEnd")->setPlainText(QStringLiteral("result box"));

    trigger(item);

    QVERIFY(clip().holdsText());
    const QString result = clip().text();
    if (expected.isEmpty()) {
        QVERIFY2(isRecasingOf(result, input), qPrintable(result));
        QVERIFY(result != input.toUpper() && result != input.toLower());
    } else {
        QCOMPARE(result, expected);
    }
    QCOMPARE(clip().writes, 1);

    QCOMPARE(m_app->windows().isLoaded<TextWindow>(), openWindow);
    if (openWindow) {
        TextWindow& window = m_app->windows().get<TextWindow>();
        QVERIFY(window.isVisible());
        QCOMPARE(window.textBox->toPlainText(), result);
    }
    QCOMPARE(beeps(), openWindow ? 1 : 2);

    // The choice is read from the settings, not from a window built for it.
    QVERIFY(!m_app->windows().isLoaded<OptionsDialog>());
    // The main window's boxes are no part of a tray command.
    QCOMPARE(named<QPlainTextEdit>(main, "txtBase")->toPlainText(), QStringLiteral("source box"));
    QCOMPARE(named<QPlainTextEdit>(main, "txtEnd")->toPlainText(), QStringLiteral("result box"));
    QVERIFY(!main.isVisible());
}

void TestTrayCommands::clipboardWithoutText_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("picture");
    QTest::addColumn<bool>("openWindow");
    for (const char* item : {"mnuUp", "mnuLow", "mnuRnd"}) {
        QTest::addRow("%s, picture, window", item) << item << true << true;
        QTest::addRow("%s, picture, copy", item) << item << true << false;
        QTest::addRow("%s, empty clipboard, window", item) << item << false << true;
        QTest::addRow("%s, empty clipboard, copy", item) << item << false << false;
    }
}

void TestTrayCommands::clipboardWithoutText()
{
    QFETCH(QString, item);
    QFETCH(bool, picture);
    QFETCH(bool, openWindow);
    storeRouting(openWindow);
    if (picture)
        clip().putPicture();
    else
        clip().putNothing();

    trigger(item);

    // Nothing to convert, so nothing to lose: the picture stays.
    QCOMPARE(clip().holdsPicture(), picture);
    QCOMPARE(clip().isEmpty(), !picture);
    QCOMPARE(clip().writes, 0);
    // Routed as usual; the Text Window has no text to show.
    QCOMPARE(m_app->windows().isLoaded<TextWindow>(), openWindow);
    if (openWindow)
        QCOMPARE(m_app->windows().get<TextWindow>().textBox->toPlainText(), QString());
    QCOMPARE(beeps(), openWindow ? 1 : 2);
}

void TestTrayCommands::unreadableClipboardIsLeftAlone_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("openWindow");
    for (const char* item : {"mnuUp", "mnuLow", "mnuRnd"}) {
        QTest::addRow("%s, window", item) << item << true;
        QTest::addRow("%s, copy", item) << item << false;
    }
}

void TestTrayCommands::unreadableClipboardIsLeftAlone()
{
    QFETCH(QString, item);
    QFETCH(bool, openWindow);
    storeRouting(openWindow);
    clip().putText(QStringLiteral("the user's text"));
    clip().unavailable = true;

    QElapsedTimer timer;
    timer.start();
    trigger(item);

    QVERIFY2(clip().reads > 1, "tried more than once");
    QVERIFY2(timer.elapsed() < 1000, "but only briefly");
    clip().unavailable = false;
    QCOMPARE(clip().text(), QStringLiteral("the user's text"));
    QCOMPARE(clip().writes, 0);
    // One beep tells that nothing happened; no window with a text that is not there.
    QVERIFY(!m_app->windows().isLoaded<TextWindow>());
    QCOMPARE(beeps(), 1);
}

void TestTrayCommands::briefBusyClipboard_data()
{
    QTest::addColumn<int>("failReads");
    QTest::addColumn<int>("failWrites");
    QTest::addColumn<bool>("converted");
    QTest::newRow("busy for one read") << 1 << 0 << true;
    QTest::newRow("busy for two writes") << 0 << 2 << true;
    QTest::newRow("never readable") << 1000 << 0 << false;
    QTest::newRow("never writable") << 0 << 1000 << false;
}

void TestTrayCommands::briefBusyClipboard()
{
    QFETCH(int, failReads);
    QFETCH(int, failWrites);
    QFETCH(bool, converted);
    storeRouting(false);
    auto owned = std::make_unique<ScriptedClipboard>();
    ScriptedClipboard& scripted = *owned;
    m_app->services().clipboard = std::move(owned);
    scripted.text = QStringLiteral("keep Me");
    scripted.failReads = failReads;
    scripted.failWrites = failWrites;

    trigger(QStringLiteral("mnuUp"));

    QCOMPARE(scripted.text, converted ? QStringLiteral("KEEP ME") : QStringLiteral("keep Me"));
    QVERIFY(scripted.hasText);
    QCOMPARE(beeps(), converted ? 2 : 1);
}

void TestTrayCommands::lineBreaksAndSymbolsPassThrough()
{
    storeRouting(false);
    const QString input = QStringLiteral("one\r\ntwo\ttab 😀 ß 1/2\r\n");
    clip().putText(input);
    trigger(QStringLiteral("mnuUp"));
    QCOMPARE(clip().text(), QStringLiteral("ONE\r\nTWO\tTAB 😀 ß 1/2\r\n"));
    clip().putText(input);
    trigger(QStringLiteral("mnuRnd"));
    QVERIFY(isRecasingOf(clip().text(), input));
    QCOMPARE(clip().text().count(QStringLiteral("\r\n")), 2);
}

void TestTrayCommands::openTextWindowKeepsItsText()
{
    storeRouting(true);
    clip().putText(QStringLiteral("first"));
    trigger(QStringLiteral("mnuUp"));
    QCOMPARE(m_app->windows().get<TextWindow>().textBox->toPlainText(), QStringLiteral("FIRST"));

    clip().putText(QStringLiteral("Second"));
    trigger(QStringLiteral("mnuLow"));
    QCOMPARE(clip().text(), QStringLiteral("second"));
    TextWindow& window = m_app->windows().get<TextWindow>();
    QVERIFY(window.isVisible());
    QCOMPARE(window.textBox->toPlainText(), QStringLiteral("FIRST"));
    QCOMPARE(beeps(), 2);

    // Closed by the user: the next command opens it afresh with the new result.
    window.close();
    QVERIFY(!m_app->windows().isLoaded<TextWindow>());
    clip().putText(QStringLiteral("third"));
    trigger(QStringLiteral("mnuUp"));
    QCOMPARE(m_app->windows().get<TextWindow>().textBox->toPlainText(), QStringLiteral("THIRD"));
}

void TestTrayCommands::optionChangeCountsBeforeOk()
{
    storeRouting(true);
    m_app->windows().get<OptionsDialog>().showModeless();
    m_app->windows().get<OptionsDialog>().copyOption->click();
    clip().putText(QStringLiteral("a"));
    trigger(QStringLiteral("mnuUp"));
    QVERIFY(!m_app->windows().isLoaded<TextWindow>());
    QCOMPARE(beeps(), 2);

    m_app->windows().get<OptionsDialog>().openOption->click();
    trigger(QStringLiteral("mnuUp"));
    QVERIFY(m_app->windows().isLoaded<TextWindow>());
    QCOMPARE(beeps(), 3);
    // Nothing was confirmed: the store still holds the earlier choice.
    QCOMPARE(m_registry->text(QString::fromLatin1(kSettingsPath), QString::fromLatin1(kCopy2Clip)),
             std::optional<QString>(QStringLiteral("False")));
}

void TestTrayCommands::cancelledOptionsRouteAsLoaded()
{
    storeRouting(false);
    // Changed by another copy since start-up: the dialog loads what is stored now, and
    // Cancel goes back to that.
    m_registry->putString(QString::fromLatin1(kSettingsPath), QString::fromLatin1(kCopy2Clip), QStringLiteral("False"));
    m_app->windows().get<OptionsDialog>().showModeless();
    m_app->windows().get<OptionsDialog>().copyOption->click();
    m_app->windows().get<OptionsDialog>().cancelButton->click();
    clip().putText(QStringLiteral("a"));
    trigger(QStringLiteral("mnuUp"));
    QVERIFY(m_app->windows().isLoaded<TextWindow>());
    QCOMPARE(beeps(), 1);
    QCOMPARE(m_registry->count(platform::fakes::RegCall::Kind::Set), 0);
}

void TestTrayCommands::storeReadAgainAfterOptionsClosed_data()
{
    QTest::addColumn<QString>("closedBy");
    QTest::newRow("OK") << "Command1";
    QTest::newRow("Cancel") << "Command2";
    QTest::newRow("close box") << "";
}

// Another copy, or the user with an editor, changes the store once Options is gone:
// the next tray result reads it again, once, and routes by what it finds.
void TestTrayCommands::storeReadAgainAfterOptionsClosed()
{
    QFETCH(QString, closedBy);
    storeRouting(true);
    OptionsDialog& options = m_app->windows().get<OptionsDialog>();
    options.showModeless();
    if (closedBy.isEmpty())
        options.close();
    else
        named<QPushButton>(options, qPrintable(closedBy))->click();
    QVERIFY(!m_app->windows().isLoaded<OptionsDialog>());
    m_registry->putString(QString::fromLatin1(kSettingsPath), QString::fromLatin1(kCopy2Clip), QStringLiteral("True"));

    const qsizetype readsBefore = m_registry->settingReads().size();
    clip().putText(QStringLiteral("a"));
    trigger(QStringLiteral("mnuUp"));
    QVERIFY(!m_app->windows().isLoaded<TextWindow>());
    QCOMPARE(beeps(), 2);
    QCOMPARE(m_registry->settingReads().size() - readsBefore, 3);
    trigger(QStringLiteral("mnuLow"));
    QCOMPARE(m_registry->settingReads().size() - readsBefore, 3);
}

void TestTrayCommands::commandNestedInRandomFinishesFirst_data()
{
    QTest::addColumn<bool>("openWindow");
    QTest::newRow("copy it directly") << false;
    QTest::newRow("open it in a new window") << true;
}

void TestTrayCommands::commandNestedInRandomFinishesFirst()
{
    QFETCH(bool, openWindow);
    storeRouting(openWindow);
    auto owned = std::make_unique<ScriptedClipboard>();
    ScriptedClipboard& scripted = *owned;
    m_app->services().clipboard = std::move(owned);
    const QString input = QStringLiteral("abcdefghijklmnop");
    scripted.text = input;

    // Chosen from the tray menu while rAnDOm is still going through the text.
    bool nestedRan = false;
    QTimer::singleShot(0, [&] {
        nestedRan = true;
        named<QAction>(m_app->windows().get<MainWindow>(), "mnuUp")->trigger();
    });
    trigger(QStringLiteral("mnuRnd"));

    QVERIFY(nestedRan);
    // The nested command read the text before rAnDOm wrote anything, and wrote first;
    // rAnDOm's own result comes last and stays.
    QCOMPARE(scripted.written.size(), 2);
    QCOMPARE(scripted.written.at(0), input.toUpper());
    QVERIFY(isRecasingOf(scripted.written.at(1), input));
    QCOMPARE(scripted.text, scripted.written.at(1));
    QCOMPARE(beeps(), openWindow ? 2 : 4);
    if (openWindow) {
        // Opened by the nested command; the outer one only brought it forward.
        QCOMPARE(m_app->windows().get<TextWindow>().textBox->toPlainText(), input.toUpper());
    }
}

// Every rAnDOm asks for another as soon as it yields: three run, nested, the rest only beep.
void TestTrayCommands::nestingIsBounded()
{
    storeRouting(false);
    auto owned = std::make_unique<ScriptedClipboard>();
    ScriptedClipboard& scripted = *owned;
    m_app->services().clipboard = std::move(owned);
    scripted.text = QStringLiteral("abcdefghijklmnop");
    int asked = 0;
    std::function<void()> askAgain = [&] {
        if (++asked > 5)
            return;
        QTimer::singleShot(0, askAgain);
        trigger(QStringLiteral("mnuRnd"));
    };
    askAgain();
    QCOMPARE(scripted.written.size(), 3);
    QCOMPARE(beeps(), 3 * 2 + 2);
}

// Text the user copies while rAnDOm runs is not overwritten by its result.
void TestTrayCommands::newerCopyDuringRandomStays()
{
    storeRouting(true);
    clip().putText(QStringLiteral("abcdefghijklmnop"));
    QTimer::singleShot(0, [this] { clip().putText(QStringLiteral("copied meanwhile")); });
    trigger(QStringLiteral("mnuRnd"));
    QCOMPARE(clip().text(), QStringLiteral("copied meanwhile"));
    QCOMPARE(clip().writes, 0);
    QCOMPARE(beeps(), 1);
    QVERIFY(!m_app->windows().isLoaded<TextWindow>());
}

void TestTrayCommands::windowsClosedDuringRandomAreReachedAfresh()
{
    storeRouting(true);
    clip().putText(QStringLiteral("earlier"));
    trigger(QStringLiteral("mnuUp"));
    QVERIFY(m_app->windows().isLoaded<TextWindow>());

    // While rAnDOm runs, the user closes the Text Window.
    clip().putText(QStringLiteral("abcdefghijklmnop"));
    QTimer::singleShot(0, [this] {
        m_app->windows().get<TextWindow>().close();
    });
    trigger(QStringLiteral("mnuRnd"));

    QVERIFY(m_app->windows().isLoaded<TextWindow>());
    TextWindow& window = m_app->windows().get<TextWindow>();
    QVERIFY(window.isVisible());
    QCOMPARE(window.textBox->toPlainText(), clip().text());
    QVERIFY(isRecasingOf(window.textBox->toPlainText(), QStringLiteral("abcdefghijklmnop")));
}

// "E&xit" chosen while rAnDOm yields ends the program there: nothing is written,
// shown or beeped afterwards, and the rest of the text is not converted.
void TestTrayCommands::exitDuringRandomStopsIt_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("openWindow");
    QTest::newRow("tray, open window") << u"mnuRnd"_qs << true;
    QTest::newRow("tray, copy only") << u"mnuRnd"_qs << false;
    QTest::newRow("main window") << u"Command5"_qs << true;
}

void TestTrayCommands::exitDuringRandomStopsIt()
{
    QFETCH(QString, command);
    QFETCH(bool, openWindow);
    storeRouting(openWindow);
    const QString input = QStringLiteral("abcdefghijklmnop");
    clip().putText(input);
    MainWindow& main = m_app->windows().get<MainWindow>();
    named<QPlainTextEdit>(main, "txtBase")->setPlainText(input);
    named<QPlainTextEdit>(main, "txtEnd")->setPlainText(u"before"_qs);
    RandomGenerator before = m_app->program().random();
    QTimer::singleShot(0, [this] { m_app->windows().get<MainWindow>().exitProgram(); });

    if (command == u"Command5")
        named<QPushButton>(main, "Command5")->click();
    else
        trigger(command);

    QCOMPARE(m_app->endRequests, 1);
    QCOMPARE(clip().text(), input);
    QCOMPARE(clip().writes, 0);
    QVERIFY(!m_app->windows().isLoaded<TextWindow>());
    QCOMPARE(beeps(), 0);
    QCOMPARE(named<QPlainTextEdit>(m_app->windows().get<MainWindow>(), "txtEnd")->toPlainText(), u"before"_qs);
    // It stopped at its first yield: one draw taken, not one per character.
    before.next();
    QCOMPARE(m_app->program().random().next(), before.next());
}

// The main window's "Paste from Clipboard" and "Copy to Clipboard" go the same safe way.
void TestTrayCommands::mainWindowClipboardButtonsNeverClear_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("failReads");
    QTest::addColumn<int>("failWrites");
    QTest::addColumn<QString>("sourceBox");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<int>("beeps");
    QTest::newRow("paste, busy once") << "Command3" << 1 << 0 << "on the clipboard" << "on the clipboard" << 0;
    QTest::newRow("paste, unreadable") << "Command3" << 1000 << 0 << "typed" << "on the clipboard" << 1;
    QTest::newRow("copy, busy twice") << "Command4" << 0 << 2 << "typed" << "result" << 0;
    QTest::newRow("copy, unwritable") << "Command4" << 0 << 1000 << "typed" << "on the clipboard" << 1;
}

void TestTrayCommands::mainWindowClipboardButtonsNeverClear()
{
    QFETCH(QString, button);
    QFETCH(int, failReads);
    QFETCH(int, failWrites);
    QFETCH(QString, sourceBox);
    QFETCH(QString, clipboard);
    QFETCH(int, beeps);
    auto owned = std::make_unique<ScriptedClipboard>();
    ScriptedClipboard& scripted = *owned;
    m_app->services().clipboard = std::move(owned);
    scripted.text = QStringLiteral("on the clipboard");
    scripted.failReads = failReads;
    scripted.failWrites = failWrites;
    MainWindow& main = m_app->windows().get<MainWindow>();
    named<QPlainTextEdit>(main, "txtBase")->setPlainText(QStringLiteral("typed"));
    named<QPlainTextEdit>(main, "txtEnd")->setPlainText(QStringLiteral("result"));

    main.findChild<QPushButton*>(button)->click();

    QCOMPARE(named<QPlainTextEdit>(main, "txtBase")->toPlainText(), sourceBox);
    QCOMPARE(scripted.text, clipboard);
    QVERIFY(scripted.hasText);
    QCOMPARE(this->beeps(), beeps);
}

QTEST_MAIN(TestTrayCommands)
#include "tst_traycommands.moc"
