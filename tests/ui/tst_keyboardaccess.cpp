#include <QAccessible>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "ui/windows/WindowHolder.h"
#include "support/TestApp.h"
#include "ui/credits/CreditText.h"
#include "ui/credits/CreditsWindow.h"
#include "ui/dialogs/AboutBox.h"
#include "ui/dialogs/OptionsDialog.h"
#include "ui/dialogs/TextWindow.h"
#include "ui/main/MainWindow.h"
#include "ui/widgets/LinkLabel.h"

// What keyboard and screen-reader users meet: Tab leaves the text boxes, every box
// and link has a name, option buttons and links say what they are, the credits can
// be read out.
class TestKeyboardAccess : public QObject {
    Q_OBJECT
private slots:
    void init() { m_app = std::make_unique<TestApp>(); }
    void cleanup() { m_app.reset(); }

    void tabInTextBoxes_data();
    void tabInTextBoxes();
    void namesAndRoles_data();
    void namesAndRoles();
    void aboutLinksByKeyboard_data();
    void aboutLinksByKeyboard();
    void optionButtonsStayExclusive();
    void optionGroupByKeys();
    void creditsCanBeReadOut();

private:
    std::unique_ptr<TestApp> m_app;
};

void TestKeyboardAccess::tabInTextBoxes_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("focusAfter");
    QTest::addColumn<QString>("textAfter");
    QTest::newRow("Tab leaves the source box") << "txtBase" << int(Qt::NoModifier) << "txtEnd" << "ab";
    QTest::newRow("Tab leaves the result box") << "txtEnd" << int(Qt::NoModifier) << "Command1" << "ab";
    QTest::newRow("Shift+Tab goes back") << "txtEnd" << int(Qt::ShiftModifier) << "txtBase" << "ab";
    QTest::newRow("Ctrl+Tab types a tab") << "txtBase" << int(Qt::ControlModifier) << "txtBase" << "a\tb";
    QTest::newRow("Ctrl+Tab in the result box") << "txtEnd" << int(Qt::ControlModifier) << "txtEnd" << "a\tb";
}

void TestKeyboardAccess::tabInTextBoxes()
{
    QFETCH(QString, box);
    QFETCH(int, modifiers);
    QFETCH(QString, focusAfter);
    QFETCH(QString, textAfter);
    MainWindow& main = m_app->windows().get<MainWindow>();
    main.showModeless();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    auto* edit = main.findChild<QPlainTextEdit*>(box);
    edit->setPlainText(QStringLiteral("ab"));
    edit->setFocus();
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(1);
    edit->setTextCursor(cursor);
    const Qt::Key key = modifiers == Qt::ShiftModifier ? Qt::Key_Backtab : Qt::Key_Tab;
    QTest::keyClick(edit, key, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(QApplication::focusWidget()->objectName(), focusAfter);
    QCOMPARE(edit->toPlainText(), textAfter);
}

void TestKeyboardAccess::namesAndRoles_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::newRow("source box") << "frmCase" << "txtBase" << int(QAccessible::EditableText) << "Source text";
    QTest::newRow("result box") << "frmCase" << "txtEnd" << int(QAccessible::EditableText) << "Result text";
    QTest::newRow("text window") << "frmTraytxt" << "txtText" << int(QAccessible::EditableText) << "Converted text";
    QTest::newRow("copy option") << "frmOptions" << "optCopy" << int(QAccessible::RadioButton)
                                 << "copy it directly to the clipboard";
    QTest::newRow("open option") << "frmOptions" << "optOpen" << int(QAccessible::RadioButton)
                                 << "open it in a new window";
    QTest::newRow("home page link") << "frmAbout" << "Label7" << int(QAccessible::Link) << "Qwirl home page";
    QTest::newRow("mail link") << "frmAbout" << "Label6" << int(QAccessible::Link) << "Mail tovrin@ardelon.example";
}

void TestKeyboardAccess::namesAndRoles()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(int, role);
    QFETCH(QString, name);
    Window* w = nullptr;
    if (window == u"frmCase")
        w = &m_app->windows().get<MainWindow>();
    else if (window == u"frmTraytxt")
        w = &m_app->windows().get<TextWindow>();
    else if (window == u"frmOptions")
        w = &m_app->windows().get<OptionsDialog>();
    else
        w = &m_app->windows().get<AboutBox>();
    w->showModeless();
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w->findChild<QWidget*>(control));
    QVERIFY(a);
    QCOMPARE(int(a->role()), role);
    QCOMPARE(a->text(QAccessible::Name), name);
}

void TestKeyboardAccess::aboutLinksByKeyboard_data()
{
    QTest::addColumn<int>("tabs");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("opened");
    // OK has the focus first; the links follow it.
    QTest::newRow("Tab, Enter") << 1 << int(Qt::Key_Return) << "http://www.qwirl.example/";
    QTest::newRow("Tab, Space") << 1 << int(Qt::Key_Space) << "http://www.qwirl.example/";
    QTest::newRow("Tab Tab, Enter") << 2 << int(Qt::Key_Return) << "mailto:tovrin@ardelon.example";
    QTest::newRow("a letter opens nothing") << 2 << int(Qt::Key_M) << "";
}

void TestKeyboardAccess::aboutLinksByKeyboard()
{
    QFETCH(int, tabs);
    QFETCH(int, key);
    QFETCH(QString, opened);
    AboutBox& about = m_app->windows().get<AboutBox>();
    about.showModeless();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    QCOMPARE(QApplication::focusWidget(), about.okButton);
    for (int i = 0; i < tabs; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(qobject_cast<LinkLabel*>(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    const QList<QUrl>& urls = m_app->fakes.links->opened;
    QCOMPARE(urls.size(), opened.isEmpty() ? 0 : 1);
    if (!opened.isEmpty())
        QCOMPARE(urls[0], QUrl(opened));
    QVERIFY(about.isVisible());
}

void TestKeyboardAccess::optionButtonsStayExclusive()
{
    // One group across both frames: choosing either by keyboard unchooses the other.
    OptionsDialog& options = m_app->windows().get<OptionsDialog>();
    options.showModeless();
    QVERIFY(QTest::qWaitForWindowActive(&options));
    for (QRadioButton* chosen : {options.copyOption, options.openOption, options.copyOption}) {
        chosen->setFocus();
        QTest::keyClick(chosen, Qt::Key_Space);
        QVERIFY(chosen->isChecked());
        QCOMPARE(options.copyOption->isChecked(), chosen == options.copyOption);
        QCOMPARE(options.openOption->isChecked(), chosen == options.openOption);
    }
}

void TestKeyboardAccess::optionGroupByKeys()
{
    // One group across both frames: Tab enters and leaves it once, the arrows move
    // within it and choose.
    OptionsDialog& options = m_app->windows().get<OptionsDialog>();
    options.showModeless();
    QVERIFY(QTest::qWaitForWindowActive(&options));
    // "open it in a new window" stands above "copy it directly to the clipboard".
    options.copyOption->setFocus();
    QTest::keyClick(options.copyOption, Qt::Key_Up);
    QCOMPARE(QApplication::focusWidget(), options.openOption);
    QVERIFY(options.openOption->isChecked());
    QTest::keyClick(options.openOption, Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), options.copyOption);
    QVERIFY(options.copyOption->isChecked() && !options.openOption->isChecked());
    QTest::keyClick(options.copyOption, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), options.okButton);
}

void TestKeyboardAccess::creditsCanBeReadOut()
{
    CreditsWindow& credits = m_app->windows().get<CreditsWindow>();
    const QList<CreditText*> blocks = credits.findChildren<CreditText*>();
    QVERIFY(blocks.size() >= 10);
    for (CreditText* block : blocks) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(block);
        QVERIFY(a);
        QCOMPARE(a->role(), QAccessible::StaticText);
        const QString name = a->text(QAccessible::Name);
        // Every line that shows is read, without the CR LF breaks or padding blanks.
        for (QString line : block->text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
            QVERIFY2(name.contains(line.trimmed()), qPrintable(block->objectName() + QStringLiteral(": ") + line));
        QVERIFY(!name.contains(u'\r'));
        QVERIFY(!name.startsWith(u' ') && !name.endsWith(u'\n'));
    }
}

QTEST_MAIN(TestKeyboardAccess)
#include "tst_keyboardaccess.moc"
