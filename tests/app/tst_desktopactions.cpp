// The desktop's actions run the tray menu's own commands: each name reaches the right
// conversion or window, and a name the program does not know changes nothing.
#include <QtTest>

#include "app/DesktopActions.h"
#include "core/Settings.h"
#include "ui/windows/WindowHolder.h"
#include "support/TestApp.h"
#include "ui/dialogs/OptionsDialog.h"
#include "ui/dialogs/TextWindow.h"
#include "ui/main/MainWindow.h"

class tst_DesktopActions : public QObject {
    Q_OBJECT
private slots:
    void init() { m_app = std::make_unique<RegistryTestApp>(); }
    void cleanup() { m_app.reset(); }

    void actions_data();
    void actions();
    void everyNamedActionRuns();
    void inPlace_data();
    void inPlace();

private:
    void copyDirectly(bool copyToClipboard)
    {
        Settings values = m_app->settings().values();
        values.copyToClipboard = copyToClipboard;
        m_app->settings().setValues(values);
    }

    std::unique_ptr<RegistryTestApp> m_app;
};

void tst_DesktopActions::actions_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("copyToClipboard");
    QTest::addColumn<bool>("known");
    QTest::addColumn<QString>("clipboardAfter");
    QTest::addColumn<QString>("visibleWindow"); // object name, or empty for none
    QTest::addColumn<int>("beeps");

    const QString text = QStringLiteral("Mixed Case ß");
    QTest::newRow("upper, to the Text Window") << "upper" << false << true << "MIXED CASE ß" << "frmTraytxt" << 1;
    QTest::newRow("upper, clipboard only") << "upper" << true << true << "MIXED CASE ß" << QString() << 2;
    QTest::newRow("lower") << "lower" << true << true << "mixed case ß" << QString() << 2;
    QTest::newRow("show") << "show" << false << true << text << "frmCase" << 0;
    QTest::newRow("empty name shows too") << "" << false << true << text << "frmCase" << 0;
    QTest::newRow("options") << "options" << false << true << text << "frmOptions" << 0;
    QTest::newRow("unknown") << "frobnicate" << false << false << text << QString() << 0;
    QTest::newRow("case matters") << "UPPER" << true << false << text << QString() << 0;
    QTest::newRow("a menu caption is no name") << "&UPPERCASE" << true << false << text << QString() << 0;
}

void tst_DesktopActions::actions()
{
    QFETCH(QString, action);
    QFETCH(bool, copyToClipboard);
    QFETCH(bool, known);
    QFETCH(QString, clipboardAfter);
    QFETCH(QString, visibleWindow);
    QFETCH(int, beeps);

    copyDirectly(copyToClipboard);
    m_app->fakes.clipboard->putText(QStringLiteral("Mixed Case ß"));

    QCOMPARE(runDesktopAction(m_app->program(), action), known);
    QCOMPARE(m_app->fakes.clipboard->text(), clipboardAfter);
    QCOMPARE(m_app->fakes.beeper->beeps, beeps);
    QStringList visible;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isWindow() && !w->objectName().isEmpty() && !w->inherits("QMenu"))
            visible << w->objectName();
    QCOMPARE(visible, visibleWindow.isEmpty() ? QStringList() : QStringList{visibleWindow});
}

// Every name the program offers to the desktop does something.
void tst_DesktopActions::everyNamedActionRuns()
{
    const QStringList names = desktopActionNames();
    QCOMPARE(names.size(), 14);
    // Long enough that rAnDOm leaves it as it was with a chance of 2^-64.
    const QString text(64, QLatin1Char('a'));
    for (const QString& name : names) {
        m_app->fakes.clipboard->putText(text);
        QVERIFY2(runDesktopAction(m_app->program(), name), qPrintable(name));
        const bool converted = m_app->fakes.clipboard->text() != text;
        QCOMPARE(converted, name != QLatin1String("lower") && !name.endsWith(QLatin1String("-in-place"))
                                && name != QLatin1String("show") && name != QLatin1String("options"));
    }
}

void tst_DesktopActions::inPlace_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("status"); // of the selection's read
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("pastes");
    QTest::addColumn<bool>("copyToClipboard");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("clipboardAfter");
    QTest::addColumn<QString>("visibleWindow");
    QTest::addColumn<int>("beeps");

    const int text = int(platform::ClipboardRead::Status::Text);
    const QString held = QStringLiteral("held");
    QTest::newRow("pasted over the selection") << "upper-in-place" << text << "Mixed ß" << true << false << "MIXED ß"
                                               << held << QString() << 0;
    QTest::newRow("title") << "title-in-place" << text << "don't ǆ" << true << false << "Don't ǅ" << held << QString() << 0;
    QTest::newRow("not sent: Text Window") << "swap-in-place" << text << "aB" << false << false << QString() << "Ab"
                                           << "frmTraytxt" << 1;
    QTest::newRow("not sent: clipboard only") << "lower-in-place" << text << "aB" << false << true << QString() << "ab"
                                              << QString() << 2;
    QTest::newRow("empty selection") << "upper-in-place" << text << "" << true << false << QString() << held << QString()
                                     << 1;
    QTest::newRow("nothing selected") << "upper-in-place" << int(platform::ClipboardRead::Status::NoText) << ""
                                      << true << false << QString() << held << QString() << 1;
    QTest::newRow("unreadable") << "sentence-in-place" << int(platform::ClipboardRead::Status::Unavailable) << ""
                                << false << false << QString() << held << QString() << 1;
}

void tst_DesktopActions::inPlace()
{
    QFETCH(QString, action);
    QFETCH(int, status);
    QFETCH(QString, selected);
    QFETCH(bool, pastes);
    QFETCH(bool, copyToClipboard);
    QFETCH(QString, pasted);
    QFETCH(QString, clipboardAfter);
    QFETCH(QString, visibleWindow);
    QFETCH(int, beeps);

    copyDirectly(copyToClipboard);
    m_app->fakes.clipboard->putText(QStringLiteral("held"));
    m_app->fakes.selection->selection = {platform::ClipboardRead::Status(status), selected};
    m_app->fakes.selection->pastes = pastes;

    QVERIFY(runDesktopAction(m_app->program(), action));
    QCOMPARE(m_app->fakes.selection->pasted, pasted.isNull() ? QStringList() : QStringList{pasted});
    QCOMPARE(m_app->fakes.clipboard->text(), clipboardAfter);
    QCOMPARE(m_app->fakes.beeper->beeps, beeps);
    QWidget* shown = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == visibleWindow)
            shown = w;
    QCOMPARE(shown != nullptr, !visibleWindow.isEmpty());
}

QTEST_MAIN(tst_DesktopActions)
#include "tst_desktopactions.moc"
