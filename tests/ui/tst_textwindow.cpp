// The Text Window: its layout, what it loads, and its "Copy to Clipboard" command.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QtTest>

#include <memory>

#include "ui/windows/WindowHolder.h"
#include "support/TestApp.h"
#include "ui/dialogs/TextWindow.h"

using platform::fakes::FakeClipboard;

class TestTraytxt : public QObject {
    Q_OBJECT

private slots:
    void init() { m_app = std::make_unique<TestApp>(); }
    void cleanup() { m_app.reset(); }

    void layout();
    void loadsClipboardText_data();
    void loadsClipboardText();
    void showWhileLoadedKeepsText();
    void closeBoxUnloads();
    void copyToClipboard_data();
    void copyToClipboard();
    void copyFailureLeavesClipboard();
    void shortcutsKeepCtrlCForTheTextBox();

private:
    FakeClipboard& clip() { return *m_app->fakes.clipboard; }
    std::unique_ptr<TestApp> m_app;
};

void TestTraytxt::layout()
{
    TextWindow& w = m_app->windows().get<TextWindow>();
    w.showModeless();
    QCOMPARE(w.windowTitle(), QStringLiteral("Text Window"));
    QVERIFY(!w.windowIcon().isNull());
    // Fixed border: a close box, no minimise or maximise, not resizable.
    QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(w.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    // 5055 x 4230 twips of client area, the text box over it.
    QCOMPARE(w.client()->size(), QSize(337, 282));
    QCOMPARE(w.textBox->geometry(), QRect(0, 0, 337, 281));
    QCOMPARE(w.textBox->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(w.textBox->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(w.textBox->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(!w.textBox->isReadOnly());
    // The menu bar holds one command, and no menu.
    const QList<QAction*> bar = w.menuBar()->actions();
    QCOMPARE(bar.size(), 1);
    QCOMPARE(bar.first(), w.copyAction);
    QCOMPARE(w.copyAction->text(), QStringLiteral("Copy to Clipboard"));
    QVERIFY(!w.copyAction->menu());
}

void TestTraytxt::loadsClipboardText_data()
{
    QTest::addColumn<int>("content"); // 0 text, 1 picture, 2 nothing, 3 unreadable
    QTest::addColumn<QString>("text");
    QTest::newRow("text") << 0 << QStringLiteral("Line one\nline TWO\twith tab 😀");
    QTest::newRow("empty text") << 0 << QString();
    QTest::newRow("one line of 3 MB") << 0 << QStringLiteral("Ab😀 ").repeated(600000);
    QTest::newRow("picture") << 1 << QString();
    QTest::newRow("nothing") << 2 << QString();
    QTest::newRow("unreadable") << 3 << QString();
}

void TestTraytxt::loadsClipboardText()
{
    QFETCH(int, content);
    QFETCH(QString, text);
    if (content == 0)
        clip().putText(text);
    else if (content == 1)
        clip().putPicture();
    else if (content == 3)
        clip().unavailable = true;
    TextWindow& w = m_app->windows().get<TextWindow>();
    QCOMPARE(w.textBox->text(), text);
    // Loading only reads; a clipboard that cannot be read is worth a beep.
    QCOMPARE(clip().holdsPicture(), content == 1);
    QCOMPARE(clip().writes, 0);
    QCOMPARE(m_app->fakes.beeper->beeps, content == 3 ? 1 : 0);
}

void TestTraytxt::showWhileLoadedKeepsText()
{
    clip().putText(QStringLiteral("earlier"));
    m_app->windows().get<TextWindow>().showModeless();
    clip().putText(QStringLiteral("later"));
    m_app->windows().get<TextWindow>().showModeless();
    QCOMPARE(m_app->windows().get<TextWindow>().textBox->toPlainText(), QStringLiteral("earlier"));
    QCOMPARE(clip().reads, 1);
}

void TestTraytxt::closeBoxUnloads()
{
    clip().putText(QStringLiteral("earlier"));
    TextWindow& w = m_app->windows().get<TextWindow>();
    w.showModeless();
    w.textBox->setPlainText(QStringLiteral("edited, never saved"));
    QVERIFY(w.close());
    QVERIFY(!m_app->windows().isLoaded<TextWindow>());
    QCOMPARE(clip().text(), QStringLiteral("earlier"));
    clip().putText(QStringLiteral("later"));
    QCOMPARE(m_app->windows().get<TextWindow>().textBox->toPlainText(), QStringLiteral("later"));
}

void TestTraytxt::copyToClipboard_data()
{
    QTest::addColumn<QString>("edited");
    QTest::addColumn<bool>("picture");
    QTest::newRow("edited text over text") << QStringLiteral("Edited\nall of it") << false;
    QTest::newRow("edited text over a picture") << QStringLiteral("Edited") << true;
    QTest::newRow("empty box over a picture") << QString() << true;
    QTest::newRow("one long line over text") << QStringLiteral("x😀").repeated(2000) << false;
}

void TestTraytxt::copyToClipboard()
{
    QFETCH(QString, edited);
    QFETCH(bool, picture);
    clip().putText(QStringLiteral("loaded"));
    TextWindow& w = m_app->windows().get<TextWindow>();
    w.showModeless();
    w.textBox->setText(edited);
    // A selection plays no part.
    QTextCursor cursor = w.textBox->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(qMin<int>(2, edited.size()), QTextCursor::KeepAnchor);
    w.textBox->setTextCursor(cursor);
    if (picture)
        clip().putPicture();

    w.copyAction->trigger();

    QVERIFY(clip().holdsText());
    QCOMPARE(clip().text(), edited);
    QCOMPARE(m_app->fakes.beeper->beeps, 0);
}

void TestTraytxt::copyFailureLeavesClipboard()
{
    clip().putText(QStringLiteral("the user's text"));
    TextWindow& w = m_app->windows().get<TextWindow>();
    w.textBox->setPlainText(QStringLiteral("new"));
    clip().unavailable = true;
    w.copyAction->trigger();
    clip().unavailable = false;
    QCOMPARE(clip().text(), QStringLiteral("the user's text"));
    QCOMPARE(m_app->fakes.beeper->beeps, 1);
}

void TestTraytxt::shortcutsKeepCtrlCForTheTextBox()
{
    clip().putText(QStringLiteral("whole text"));
    TextWindow& w = m_app->windows().get<TextWindow>();
    QVERIFY(!w.copyAction->shortcut().isEmpty());
    QVERIFY(w.copyAction->shortcut() != QKeySequence(QKeySequence::Copy));
    w.showModeless();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.textBox->setFocus();
    QTextCursor cursor = w.textBox->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    w.textBox->setTextCursor(cursor);

    // Ctrl+C: the text box copies its selection (through the toolkit's own clipboard),
    // and the window's command does not run.
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(w.textBox, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("whole"));
    QCOMPARE(clip().writes, 0);

    // The command's own shortcut copies everything.
    clip().putText(QStringLiteral("other"));
    QTest::keyClick(w.textBox, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(clip().text(), QStringLiteral("whole text"));
    QCOMPARE(clip().writes, 1);
}

QTEST_MAIN(TestTraytxt)
#include "tst_textwindow.moc"
