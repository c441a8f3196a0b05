#include <QAction>
#include <QGroupBox>
#include <QTimer>
#include <QtTest>

#include "ui/windows/WindowHolder.h"
#include "ui/windows/Twips.h"
#include "support/TestApp.h"
#include "ui/credits/CreditText.h"
#include "ui/credits/CreditsWindow.h"
#include "ui/main/MainWindow.h"

using S = CreditsScroll;

namespace {

// The lines of a text box's text, which ends with one CR LF.
QStringList linesOf(const QString& text)
{
    if (!text.endsWith(QLatin1String("\r\n")))
        return {QStringLiteral("<no final CR LF>")};
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

QList<int> nonEmptyLines(const QStringList& lines)
{
    QList<int> out;
    for (int i = 0; i < lines.size(); ++i) {
        if (!lines[i].isEmpty())
            out << i + 1;
    }
    return out;
}

QList<int> range(int from, int to)
{
    QList<int> out;
    for (int i = from; i <= to; ++i)
        out << i;
    return out;
}

CreditText* block(TestApp& app, const QString& name)
{
    return app.windows().get<CreditsWindow>().findChild<CreditText*>(name);
}

} // namespace

class TestCreditsWindow : public QObject {
    Q_OBJECT
private slots:
    void init() { m_app = std::make_unique<TestApp>(); }
    void cleanup() { m_app.reset(); }

    void window();
    void oneLineTexts_data();
    void oneLineTexts();
    void textBoxLines_data();
    void textBoxLines();
    void unitTwoColumns();
    void thanksList();
    void loadPlacesTheStartLayout();
    void firstCycleAsLongAsTheNext();
    void ticksMoveTheWidgets();
    void timerScrolls();
    void scrollsOnlyWhileSeen();
    void outerHeightLeavesTheGagLinesAlone();
    void showingAgainDoesNotRestart();
    void closeUnloadsAndReopenRestarts();

private:
    std::unique_ptr<TestApp> m_app;
};

void TestCreditsWindow::window()
{
    CreditsWindow& f = m_app->windows().get<CreditsWindow>();
    QCOMPARE(f.windowTitle(), QStringLiteral("Credits"));
    QCOMPARE(f.client()->size(), QSize(385, 307));
    QVERIFY(!(f.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(f.client()->palette().color(QPalette::Window), QColor(Qt::black));
    QVERIFY(f.windowIcon().availableSizes().contains(QSize(32, 32)));
    QVERIFY(f.windowIcon().availableSizes().contains(QSize(16, 16)));
    QCOMPARE(f.scrollTimer->interval(), 10);
    QVERIFY(f.scrollTimer->isActive());
}

void TestCreditsWindow::oneLineTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("txtAppname") << "txtAppname" << QString(26, ' ') + "Tovrin v2.0.5" + QString(27, ' ');
    QTest::newRow("txtCred") << "txtCred" << "       CREDITS       ";
    QTest::newRow("txtU1") << "txtU1" << "       Unit One       ";
    QTest::newRow("txtU2") << "txtU2" << "       Unit Two       ";
    QTest::newRow("Label1") << "Label1"
                            << "No animals were harmed in the filming and/or production of this product.";
    QTest::newRow("txtFire") << "txtFire" << "Where's The Fire?";
    QTest::newRow("txtPants") << "txtPants" << "IN MY PANTS!";
}

void TestCreditsWindow::oneLineTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QCOMPARE(block(*m_app, name)->text(), text);
}

void TestCreditsWindow::textBoxLines_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QList<int>>("filled"); // empty list: only the count is checked
    QTest::addColumn<int>("filledCount");
    QTest::newRow("txtUoo") << "txtUoo" << 10 << QList<int>{1, 3, 8, 10} << 4;
    QTest::newRow("txtUot") << "txtUot" << 10 << QList<int>{1, 3, 4, 5, 6, 8, 10} << 7;
    QTest::newRow("txtUto") << "txtUto" << 57 << QList<int>{} << 22;
    QTest::newRow("txtUtt") << "txtUtt" << 65 << QList<int>{} << 44;
    QTest::newRow("txtThank") << "txtThank" << 56
                              << (QList<int>{1} + range(3, 36) + QList<int>{40} + range(42, 46) + QList<int>{56})
                              << 42;
}

void TestCreditsWindow::textBoxLines()
{
    QFETCH(QString, name);
    QFETCH(int, lines);
    QFETCH(QList<int>, filled);
    QFETCH(int, filledCount);
    const QStringList got = linesOf(block(*m_app, name)->text());
    QCOMPARE(got.size(), lines);
    const QList<int> nonEmpty = nonEmptyLines(got);
    QCOMPARE(nonEmpty.size(), filledCount);
    if (!filled.isEmpty())
        QCOMPARE(nonEmpty, filled);
    if (name == "txtUoo" || name == "txtUto") {
        for (const QString& title : got)
            QCOMPARE(title, title.toUpper());
    }
}

void TestCreditsWindow::unitTwoColumns()
{
    const QStringList titles = linesOf(block(*m_app, "txtUto")->text());
    const QStringList names = linesOf(block(*m_app, "txtUtt")->text());
    int twoLineTitles = 0;
    for (int i = 0; i < titles.size(); ++i) {
        if (titles[i].isEmpty())
            continue;
        const bool continues = i > 0 && !titles[i - 1].isEmpty();
        if (continues) {
            ++twoLineTitles;
            // never three lines in a row: titles are separated by empty lines
            QVERIFY(i < 2 || titles[i - 2].isEmpty());
        } else {
            // each title starts beside a name
            QVERIFY2(!names[i].isEmpty(), qPrintable(titles[i]));
        }
    }
    QCOMPARE(twoLineTitles, 1);
    QVERIFY(!titles.first().isEmpty());
    QVERIFY(!titles.last().isEmpty());
}

void TestCreditsWindow::thanksList()
{
    const QStringList lines = linesOf(block(*m_app, "txtThank")->text());
    QCOMPARE(lines.first(), QStringLiteral("Special Thanks To:"));
    QCOMPARE(QSet<QString>(lines.begin(), lines.end()).size(), 42 + 1); // no entry twice, plus the empty line
}

void TestCreditsWindow::loadPlacesTheStartLayout()
{
    // Opened as the user opens it: loaded first, then given its size by the first show.
    named<QAction>(m_app->windows().get<MainWindow>(), "mnuCredits")->trigger();
    CreditsWindow& f = m_app->windows().get<CreditsWindow>();
    const int H = f.outerHeightTwips();
    QVERIFY2(H - 4605 < 60 * 15, qPrintable(QString::number(H)));
    struct Expect {
        const char* name;
        int twips;
    } expected[] = {{"txtAppname", 5000}, {"txtCopy", 5256}, {"txtUot", 10222}, {"txtUtt", 13353},
                    {"txtThank", 28088}, {"txtFire", 43098 + H}, {"txtPants", 43403 + 2 * H}};
    for (const Expect& e : expected)
        QCOMPARE(block(*m_app, e.name)->y(), twips::toPixels(e.twips));
    QCOMPARE(f.disclaimerBox->pos(), QPoint(56, twips::toPixels(42263)));
    QCOMPARE(block(*m_app, "txtThank")->x(), 16);
    // disclaimerText keeps its place inside the frame
    QCOMPARE(block(*m_app, "Label1")->geometry(), QRect(8, 16, 240, 33));
}

// The first cycle scrolls through the same window as every later one.
void TestCreditsWindow::firstCycleAsLongAsTheNext()
{
    named<QAction>(m_app->windows().get<MainWindow>(), "mnuCredits")->trigger();
    CreditsWindow& f = m_app->windows().get<CreditsWindow>();
    f.scrollTimer->stop();
    auto cycle = [&f] {
        int ticks = 0;
        do {
            f.onTick();
            ++ticks;
        } while (f.scroll().top(S::AppName) != 5000 && ticks < 5000);
        return ticks;
    };
    const int first = cycle();
    QCOMPARE(first, cycle());
}

void TestCreditsWindow::ticksMoveTheWidgets()
{
    CreditsWindow& f = m_app->windows().get<CreditsWindow>();
    f.scrollTimer->stop();
    for (int i = 0; i < 8; ++i)
        f.onTick();
    QCOMPARE(f.scroll().top(S::AppName), 4600);
    QCOMPARE(block(*m_app, "txtAppname")->y(), 307);
    QCOMPARE(block(*m_app, "txtThank")->y(), twips::toPixels(28088 - 400));
}

void TestCreditsWindow::timerScrolls()
{
    CreditsWindow& f = m_app->windows().get<CreditsWindow>();
    QTRY_VERIFY_WITH_TIMEOUT(f.scroll().top(S::AppName) <= 5000 - 5 * 50, 2000);
}

void TestCreditsWindow::scrollsOnlyWhileSeen()
{
    named<QAction>(m_app->windows().get<MainWindow>(), "mnuCredits")->trigger();
    CreditsWindow& f = m_app->windows().get<CreditsWindow>();
    for (bool minimise : {true, false}) {
        minimise ? f.showMinimized() : f.hide();
        QTRY_VERIFY(!f.scrollTimer->isActive());
        const int stood = f.scroll().top(S::AppName);
        QTest::qWait(50);
        QCOMPARE(f.scroll().top(S::AppName), stood);
        f.showNormal();
        QTRY_VERIFY(f.scrollTimer->isActive());
        QTRY_VERIFY(f.scroll().top(S::AppName) < stood);
    }
}

void TestCreditsWindow::outerHeightLeavesTheGagLinesAlone()
{
    CreditsWindow& f = m_app->windows().get<CreditsWindow>();
    const int H = f.outerHeightTwips();
    // H is more than the client area by a title bar's worth, framed by the desktop or not
    QVERIFY2(H - 4605 > 20 * 15, qPrintable(QString::number(H)));
    // so when fireText comes in at the bottom edge, the frame is out at the top
    const int fireEnters = f.scroll().top(S::Fire) - 4605;
    QVERIFY(f.scroll().bottom(S::Disclaimer) - fireEnters <= 0);
    const int pantsEnters = f.scroll().top(S::Pants) - 4605;
    QVERIFY(f.scroll().bottom(S::Fire) - pantsEnters <= 0);
}

void TestCreditsWindow::showingAgainDoesNotRestart()
{
    MainWindow& main = m_app->windows().get<MainWindow>();
    named<QAction>(main, "mnuCredits")->trigger();
    CreditsWindow* first = &m_app->windows().get<CreditsWindow>();
    first->scrollTimer->stop();
    for (int i = 0; i < 30; ++i)
        first->onTick();
    named<QAction>(main, "mnuCred")->trigger();
    QCOMPARE(&m_app->windows().get<CreditsWindow>(), first);
    QVERIFY(first->isVisible());
    QCOMPARE(first->scroll().top(S::AppName), 5000 - 30 * 50);
}

void TestCreditsWindow::closeUnloadsAndReopenRestarts()
{
    MainWindow& main = m_app->windows().get<MainWindow>();
    named<QAction>(main, "mnuCredits")->trigger();
    QPointer<CreditsWindow> first = &m_app->windows().get<CreditsWindow>();
    first->scrollTimer->stop();
    for (int i = 0; i < 30; ++i)
        first->onTick();
    first->close();
    QVERIFY(!m_app->windows().isLoaded<CreditsWindow>());
    settleDeletes();
    QVERIFY(first.isNull());

    named<QAction>(m_app->windows().get<MainWindow>(), "mnuCredits")->trigger();
    CreditsWindow& second = m_app->windows().get<CreditsWindow>();
    QVERIFY(second.isVisible());
    QCOMPARE(second.scroll().top(S::AppName), 5000);
    QCOMPARE(second.scroll().thankLeft(), 240);
    QVERIFY(second.scrollTimer->isActive());
}

QTEST_MAIN(TestCreditsWindow)
#include "tst_creditswindow.moc"
