#include <algorithm>

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "core/Settings.h"
#include "ui/windows/Twips.h"
#include "ui/windows/WindowHolder.h"
#include "doubles/FakeRegistry.h"
#include "support/TestApp.h"
#include "ui/dialogs/OptionsDialog.h"
#include "ui/main/MainWindow.h"

using namespace platform;
using namespace platform::fakes;
using Kind = RegCall::Kind;

namespace {

const QString kPath = QString::fromLatin1(kSettingsPath);
const QStringList kOrder = {"SplashScreen", "PlaceInTray", "Copy2Clip"};

OptionsDialog& options(TestApp& app)
{
    return app.windows().get<OptionsDialog>();
}

// "splash tray copy open" as 0/1 digits, for compact comparisons.
QString state(TestApp& app)
{
    OptionsDialog& f = options(app);
    return QStringLiteral("%1%2%3%4")
        .arg(int(f.showSplashCheck->isChecked()))
        .arg(int(f.placeInTrayCheck->isChecked()))
        .arg(int(f.copyOption->isChecked()))
        .arg(int(f.openOption->isChecked()));
}

QStringList reads(const FakeRegistry& reg)
{
    return reg.settingReads();
}

} // namespace

class TestOptionsDialog : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_app = std::make_unique<RegistryTestApp>();
        m_reg = m_app->registry.get();
    }
    void cleanup() { m_app.reset(); }

    void layout_data();
    void layout();
    void window();
    void tabOrder();
    void captionsFit();
    void fontIsLargestStepThatFits_data();
    void fontIsLargestStepThatFits();

    void loadsFromStore_data();
    void loadsFromStore();
    void loadReadsEachSettingOnce();
    void okWrites_data();
    void okWrites();
    void okWithoutChangesRewritesAll();
    void cancelDropsChanges();
    void closeBoxDropsChanges();
    void enterAndEscapeDoNothing_data();
    void enterAndEscapeDoNothing();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void optionButtonsStayExclusive_data();
    void optionButtonsStayExclusive();
    void keyboardChoosesOption();
    void readingAControlLoadsHidden();
    void reopeningShownDialogKeepsChoices();
    void fileMenuOpensDialog();
    void failedWriteKeepsTheChoice();

private:
    std::unique_ptr<RegistryTestApp> m_app;
    FakeRegistry* m_reg = nullptr;
};

void TestOptionsDialog::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twipsRect");

    QTest::newRow("Frame1") << "Frame1" << "" << "General Options" << QRect(120, 120, 3375, 855);
    QTest::newRow("ckSplash") << "ckSplash" << "" << "Show splash screen on start-up" << QRect(360, 360, 2655, 195);
    QTest::newRow("ckTrayst") << "ckTrayst" << "" << "Place in tray on start-up" << QRect(360, 600, 2055, 195);
    QTest::newRow("Frame2") << "Frame2" << "" << "Tray Options" << QRect(120, 960, 3375, 1215);
    QTest::newRow("Label1") << "Label1" << "Frame2" << "After Switching text:" << QRect(120, 360, 2295, 255);
    QTest::newRow("optOpen") << "optOpen" << "Frame2" << "open it in a new window" << QRect(480, 600, 2055, 255);
    QTest::newRow("optCopy") << "optCopy" << "" << "copy it directly to the clipboard" << QRect(600, 1800, 2535, 195);
    QTest::newRow("Command2") << "Command2" << "" << "Cancel" << QRect(600, 2280, 1335, 495);
    QTest::newRow("Command1") << "Command1" << "" << "OK" << QRect(2160, 2280, 1335, 495);
}

void TestOptionsDialog::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, twipsRect);

    OptionsDialog& f = options(*m_app);
    auto* w = f.findChild<QWidget*>(name);
    QVERIFY(w);
    QCOMPARE(w->parentWidget(), container.isEmpty() ? f.client() : f.findChild<QWidget*>(container));
    QString text;
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        text = b->text();
    else if (auto* l = qobject_cast<QLabel*>(w))
        text = l->text();
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        text = g->title();
    QCOMPARE(text, caption);
    // Place as designed; a caption wider than its design may widen it, and a taller
    // font may grow it evenly about its row.
    const QRect designed = twips::rect(twipsRect.x(), twipsRect.y(), twipsRect.width(), twipsRect.height());
    const QRect g = w->geometry();
    QCOMPARE(g.left(), designed.left());
    QVERIFY(g.width() >= designed.width());
    QCOMPARE(g.center().y(), designed.center().y());
}

void TestOptionsDialog::window()
{
    OptionsDialog& f = options(*m_app);
    QCOMPARE(f.windowTitle(), QStringLiteral("Options"));
    QCOMPARE(f.client()->size(), twips::size(3585, 2850));
    QVERIFY(!(f.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(f.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(f.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!f.okButton->isDefault());
    QVERIFY(!f.cancelButton->isDefault());
    // One exclusive group across both frames.
    QVERIFY(f.optionGroup->exclusive());
    QCOMPARE(f.copyOption->group(), f.optionGroup);
    QCOMPARE(f.openOption->group(), f.optionGroup);
    // No icon of its own shows in the title bar.
    const QImage icon = f.windowIcon().pixmap(16, 16).toImage();
    QVERIFY(!icon.isNull());
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x)
            QCOMPARE(icon.pixelColor(x, y).alpha(), 0);
    QVERIFY(!f.showSplashCheck->isTristate() && !f.placeInTrayCheck->isTristate());
    f.showModeless();
    QCOMPARE(f.minimumSize(), f.maximumSize()); // not resizable
}

void TestOptionsDialog::tabOrder()
{
    OptionsDialog& f = options(*m_app);
    f.showModeless();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QCOMPARE(QApplication::focusWidget(), f.showSplashCheck); // the first in the order has the focus
    QList<QWidget*> order;
    QWidget* w = f.showSplashCheck;
    for (int i = 0; i < 6; ++i) {
        order << w;
        w = w->nextInFocusChain();
        while (w && !(w->focusPolicy() & Qt::TabFocus))
            w = w->nextInFocusChain();
    }
    QCOMPARE(order, (QList<QWidget*>{f.showSplashCheck, f.placeInTrayCheck, f.copyOption, f.openOption, f.okButton, f.cancelButton}));
}

void TestOptionsDialog::captionsFit()
{
    OptionsDialog& f = options(*m_app);
    for (QWidget* w : QList<QWidget*>{f.showSplashCheck, f.placeInTrayCheck, f.copyOption, f.openOption, f.afterSwitchingLabel, f.okButton, f.cancelButton}) {
        QVERIFY2(w->sizeHint().width() <= w->width(), qPrintable(w->objectName()));
        // Nothing sticks out of its container.
        QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(w->objectName()));
    }
}

void TestOptionsDialog::fontIsLargestStepThatFits_data()
{
    QTest::addColumn<QString>("family");
    // Narrow to very wide desktop fonts, so that each step of the search ends somewhere.
    QTest::newRow("narrow") << "Liberation Sans Narrow";
    QTest::newRow("usual") << "Liberation Sans";
    QTest::newRow("wide") << "DejaVu Sans";
    QTest::newRow("fixed pitch") << "DejaVu Sans Mono";
}

void TestOptionsDialog::fontIsLargestStepThatFits()
{
    QFETCH(QString, family);
    const QFont before = QApplication::font();
    QFont desktop = before;
    desktop.setFamilies({family});
    QApplication::setFont(desktop);
    OptionsDialog& f = options(*m_app);
    const qreal chosen = f.font().pointSizeF();
    QApplication::setFont(before);

    const int windowInner = f.generalFrame->geometry().right() - 1;
    const int frameInner = f.trayFrame->width() - 2;
    const std::pair<QWidget*, int> captions[] = {{f.showSplashCheck, windowInner}, {f.placeInTrayCheck, windowInner},
                                                 {f.copyOption, windowInner}, {f.openOption, frameInner}, {f.afterSwitchingLabel, frameInner}};
    // Measured the plain way: the whole dialog in each size.
    const auto fitsAt = [&](qreal points) {
        QFont font = f.font();
        font.setPointSizeF(points);
        f.setFont(font);
        return std::all_of(std::begin(captions), std::end(captions),
                           [](const auto& c) { return c.first->sizeHint().width() <= c.second - c.first->x(); });
    };
    qreal expected = 8.25;
    while (expected > 7.5 && !fitsAt(expected))
        expected -= 0.25;
    QCOMPARE(chosen, expected);
}

void TestOptionsDialog::loadsFromStore_data()
{
    QTest::addColumn<QStringList>("stored"); // splash, tray, copy; "-" is no value
    QTest::addColumn<QString>("expected");

    QTest::newRow("first run") << QStringList{"-", "-", "-"} << "0001";
    QTest::newRow("all on") << QStringList{"1", "1", "True"} << "1110";
    QTest::newRow("all off") << QStringList{"0", "0", "False"} << "0001";
    QTest::newRow("mixed") << QStringList{"1", "0", "False"} << "1001";
    QTest::newRow("2 is not a state") << QStringList{"2", "2", "True"} << "0010";
    QTest::newRow("empty texts") << QStringList{"", "", ""} << "0001";
    QTest::newRow("other spellings") << QStringList{" 1", "01", "true"} << "0001";
    QTest::newRow("TRUE") << QStringList{"1", "1", "TRUE"} << "1101";
}

void TestOptionsDialog::loadsFromStore()
{
    QFETCH(QStringList, stored);
    QFETCH(QString, expected);
    for (int i = 0; i < 3; ++i) {
        if (stored[i] != "-")
            m_reg->putString(kPath, kOrder[i], stored[i]);
    }
    QCOMPARE(state(*m_app), expected);
}

void TestOptionsDialog::loadReadsEachSettingOnce()
{
    options(*m_app);
    QCOMPARE(reads(*m_reg), kOrder);
    QCOMPARE(m_reg->count(Kind::Open), 3);
    QCOMPARE(m_reg->count(Kind::Close), 3);
    QCOMPARE(m_reg->count(Kind::Create), 0); // reading never creates the key
    QVERIFY(!m_reg->keyExists("Software\\Ardelon"));
}

void TestOptionsDialog::okWrites_data()
{
    QTest::addColumn<bool>("splash");
    QTest::addColumn<bool>("tray");
    QTest::addColumn<bool>("copy");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("all on") << true << true << true << QStringList{"1", "1", "True"};
    QTest::newRow("all off") << false << false << false << QStringList{"0", "0", "False"};
    QTest::newRow("splash only") << true << false << false << QStringList{"1", "0", "False"};
    QTest::newRow("copy only") << false << false << true << QStringList{"0", "0", "True"};
}

void TestOptionsDialog::okWrites()
{
    QFETCH(bool, splash);
    QFETCH(bool, tray);
    QFETCH(bool, copy);
    QFETCH(QStringList, expected);
    m_reg->putString(kPath, "SplashScreen", "1");
    m_reg->putString(kPath, "PlaceInTray", "0");
    m_reg->putString(kPath, "Copy2Clip", "True");

    options(*m_app).showModeless();
    OptionsDialog& f = options(*m_app);
    if (f.showSplashCheck->isChecked() != splash)
        QTest::mouseClick(f.showSplashCheck, Qt::LeftButton);
    if (f.placeInTrayCheck->isChecked() != tray)
        QTest::mouseClick(f.placeInTrayCheck, Qt::LeftButton);
    QTest::mouseClick(copy ? f.copyOption : f.openOption, Qt::LeftButton);
    m_reg->calls.clear();
    QTest::mouseClick(f.okButton, Qt::LeftButton);

    QVERIFY(!m_app->windows().isLoaded<OptionsDialog>());
    QCOMPARE(m_reg->names(Kind::Set), kOrder);
    QCOMPARE(m_reg->count(Kind::Create), 3);
    QCOMPARE(m_reg->count(Kind::Close), 3);
    QCOMPARE(m_reg->openHandles, 0);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(m_reg->value(kPath, kOrder[i])->type, kRegSz);
        QCOMPARE(m_reg->text(kPath, kOrder[i]), std::optional<QString>(expected[i]));
    }
}

void TestOptionsDialog::okWithoutChangesRewritesAll()
{
    options(*m_app).showModeless();
    m_reg->calls.clear();
    QTest::mouseClick(options(*m_app).okButton, Qt::LeftButton);
    QCOMPARE(m_reg->names(Kind::Set), kOrder);
    QCOMPARE(m_reg->text(kPath, "SplashScreen"), std::optional<QString>("0"));
    QCOMPARE(m_reg->text(kPath, "PlaceInTray"), std::optional<QString>("0"));
    QCOMPARE(m_reg->text(kPath, "Copy2Clip"), std::optional<QString>("False"));
}

void TestOptionsDialog::cancelDropsChanges()
{
    m_reg->putString(kPath, "SplashScreen", "0");
    options(*m_app).showModeless();
    QTest::mouseClick(options(*m_app).showSplashCheck, Qt::LeftButton);
    QTest::mouseClick(options(*m_app).copyOption, Qt::LeftButton);
    QCOMPARE(state(*m_app), "1010");
    m_reg->calls.clear();
    QTest::mouseClick(options(*m_app).cancelButton, Qt::LeftButton);

    QVERIFY(!m_app->windows().isLoaded<OptionsDialog>());
    QCOMPARE(m_reg->count(Kind::Set), 0);
    QCOMPARE(m_reg->count(Kind::Create), 0);
    QCOMPARE(m_reg->text(kPath, "SplashScreen"), std::optional<QString>("0"));
    options(*m_app).showModeless();
    QCOMPARE(state(*m_app), "0001");
}

void TestOptionsDialog::closeBoxDropsChanges()
{
    options(*m_app).showModeless();
    QTest::mouseClick(options(*m_app).placeInTrayCheck, Qt::LeftButton);
    m_reg->calls.clear();
    QVERIFY(options(*m_app).close());
    QVERIFY(!m_app->windows().isLoaded<OptionsDialog>());
    QCOMPARE(m_reg->count(Kind::Set), 0);
    QCOMPARE(state(*m_app), "0001");
}

void TestOptionsDialog::enterAndEscapeDoNothing_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("focus");
    QTest::newRow("Enter on a check box") << int(Qt::Key_Return) << "ckSplash";
    QTest::newRow("Enter on the option button") << int(Qt::Key_Return) << "optCopy";
    QTest::newRow("Esc on a check box") << int(Qt::Key_Escape) << "ckSplash";
    QTest::newRow("Esc on Cancel") << int(Qt::Key_Escape) << "Command2";
}

void TestOptionsDialog::enterAndEscapeDoNothing()
{
    QFETCH(int, key);
    QFETCH(QString, focus);
    options(*m_app).showModeless();
    QVERIFY(QTest::qWaitForWindowActive(&options(*m_app)));
    QWidget* w = options(*m_app).findChild<QWidget*>(focus);
    w->setFocus();
    QTest::keyClick(w, Qt::Key(key));
    QVERIFY(m_app->windows().isLoaded<OptionsDialog>());
    QVERIFY(options(*m_app).isVisible());
    QCOMPARE(m_reg->count(Kind::Set), 0);
}

void TestOptionsDialog::enterPressesTheFocusedButton_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("writes");
    QTest::newRow("Enter on OK") << int(Qt::Key_Return) << "Command1" << 3;
    QTest::newRow("keypad Enter on OK") << int(Qt::Key_Enter) << "Command1" << 3;
    QTest::newRow("Enter on Cancel") << int(Qt::Key_Return) << "Command2" << 0;
}

void TestOptionsDialog::enterPressesTheFocusedButton()
{
    QFETCH(int, key);
    QFETCH(QString, button);
    QFETCH(int, writes);
    options(*m_app).showModeless();
    QVERIFY(QTest::qWaitForWindowActive(&options(*m_app)));
    QWidget* w = options(*m_app).findChild<QWidget*>(button);
    w->setFocus();
    QTest::keyClick(w, Qt::Key(key));
    QVERIFY(!m_app->windows().isLoaded<OptionsDialog>());
    QCOMPARE(m_reg->count(Kind::Set), writes);
}

void TestOptionsDialog::optionButtonsStayExclusive_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("expected"); // copyOption openOption
    QTest::newRow("chosen copy again") << "True" << QStringList{"optCopy"} << "10";
    QTest::newRow("chosen open again") << "False" << QStringList{"optOpen"} << "01";
    QTest::newRow("open to copy") << "False" << QStringList{"optCopy"} << "10";
    QTest::newRow("copy to open") << "True" << QStringList{"optOpen"} << "01";
    QTest::newRow("back and forth") << "False" << QStringList{"optCopy", "optOpen", "optOpen", "optCopy", "optCopy"} << "10";
}

void TestOptionsDialog::optionButtonsStayExclusive()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, clicks);
    QFETCH(QString, expected);
    m_reg->putString(kPath, "Copy2Clip", stored);
    options(*m_app).showModeless();
    for (const QString& name : clicks) {
        QTest::mouseClick(options(*m_app).findChild<QRadioButton*>(name), Qt::LeftButton);
        QVERIFY(options(*m_app).copyOption->isChecked() != options(*m_app).openOption->isChecked());
    }
    QCOMPARE(state(*m_app).right(2), expected);
}

void TestOptionsDialog::keyboardChoosesOption()
{
    options(*m_app).showModeless();
    QVERIFY(QTest::qWaitForWindowActive(&options(*m_app)));
    options(*m_app).copyOption->setFocus();
    QTest::keyClick(options(*m_app).copyOption, Qt::Key_Space);
    QCOMPARE(state(*m_app).right(2), "10");
    QTest::keyClick(options(*m_app).copyOption, Qt::Key_Space); // pressing the chosen one keeps it
    QCOMPARE(state(*m_app).right(2), "10");
    options(*m_app).openOption->setFocus();
    QTest::keyClick(options(*m_app).openOption, Qt::Key_Space);
    QCOMPARE(state(*m_app).right(2), "01");
}

void TestOptionsDialog::readingAControlLoadsHidden()
{
    m_reg->putString(kPath, "PlaceInTray", "1");
    QVERIFY(!m_app->windows().isLoaded<OptionsDialog>());
    QVERIFY(m_app->windows().get<OptionsDialog>().placeInTrayCheck->isChecked());
    QVERIFY(m_app->windows().isLoaded<OptionsDialog>());
    QVERIFY(!options(*m_app).isVisible());
    QCOMPARE(reads(*m_reg), kOrder);
    // Loaded once: further reads do not go back to the store.
    QVERIFY(m_app->windows().get<OptionsDialog>().placeInTrayCheck->isChecked());
    QCOMPARE(reads(*m_reg), kOrder);
}

void TestOptionsDialog::reopeningShownDialogKeepsChoices()
{
    m_app->windows().get<MainWindow>().showOptions();
    QVERIFY(options(*m_app).isVisible());
    QTest::mouseClick(options(*m_app).showSplashCheck, Qt::LeftButton);
    QTest::mouseClick(options(*m_app).copyOption, Qt::LeftButton);
    m_reg->putString(kPath, "SplashScreen", "0"); // changed behind its back: not reread
    named<QAction>(m_app->windows().get<MainWindow>(), "mnuOptions")->trigger();
    named<QAction>(m_app->windows().get<MainWindow>(), "mnuOption")->trigger();
    QCOMPARE(state(*m_app), "1010");
    QCOMPARE(reads(*m_reg), kOrder);
}

void TestOptionsDialog::fileMenuOpensDialog()
{
    MainWindow& main = m_app->windows().get<MainWindow>();
    QCOMPARE(named<QAction>(main, "mnuOptions")->text(), QStringLiteral("&Options..."));
    named<QAction>(main, "mnuOptions")->trigger();
    QVERIFY(m_app->windows().isLoaded<OptionsDialog>());
    QVERIFY(options(*m_app).isVisible());
    QCOMPARE(reads(*m_reg), kOrder);
}

void TestOptionsDialog::failedWriteKeepsTheChoice()
{
    m_reg->putString(kPath, "SplashScreen", "0");
    m_reg->failWrites = true;
    options(*m_app).showModeless();
    QTest::mouseClick(options(*m_app).showSplashCheck, Qt::LeftButton);
    QTest::mouseClick(options(*m_app).okButton, Qt::LeftButton);
    QVERIFY(!m_app->windows().isLoaded<OptionsDialog>());
    QCOMPARE(m_reg->text(kPath, "SplashScreen"), std::optional<QString>("0"));
    QCOMPARE(m_app->fakes.beeper->beeps, 1);
    // Not stored, but chosen: it holds for the rest of the run, and the next OK tries again.
    QVERIFY(m_app->settings().values().showSplash);
    QCOMPARE(state(*m_app), "1001");
    m_reg->failWrites = false;
    QTest::mouseClick(options(*m_app).okButton, Qt::LeftButton);
    QCOMPARE(m_reg->text(kPath, "SplashScreen"), std::optional<QString>("1"));
    QCOMPARE(m_app->fakes.beeper->beeps, 1);
}

QTEST_MAIN(TestOptionsDialog)
#include "tst_optionsdialog.moc"
