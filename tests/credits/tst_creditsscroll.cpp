#include <QtTest>

#include "ui/credits/CreditsScroll.h"

using S = CreditsScroll;

namespace {

constexpr int kClientHeight = 4605;

// Ticks until (and including) the restart; returns the number of moving ticks.
int runToRestart(CreditsScroll& scroll, int H, std::int32_t* appnameAtRestart = nullptr)
{
    int moves = 0;
    for (;;) {
        const std::int32_t before = scroll.top(S::AppName);
        if (scroll.tick(H)) {
            if (appnameAtRestart)
                *appnameAtRestart = before;
            return moves;
        }
        ++moves;
        if (moves > 100000)
            return -1;
    }
}

} // namespace

class TestCreditsScroll : public QObject {
    Q_OBJECT
private slots:
    void startLayout_data();
    void startLayout();
    void startsBelowTheWindow();
    void eighthTickReachesTheWindow();
    void restartThreshold_data();
    void restartThreshold();
    void tickAfterRestart();
    void thankLeftAfterEveryLayout();
    void cycle_data();
    void cycle();
    void taillerFrameOnlyLengthensTheGagGaps();
};

void TestCreditsScroll::startLayout_data()
{
    QTest::addColumn<int>("H");
    QTest::addColumn<QList<int>>("tops");
    const QList<int> fixed{5000, 5256, 9511, 9966, 10222, 10222, 13097, 13353, 13353, 28088, 42263};
    QTest::newRow("H 4980") << 4980 << (fixed + QList<int>{48078, 53363});
    QTest::newRow("H 5505") << 5505 << (fixed + QList<int>{48603, 54413});
    QTest::newRow("frameless, H = client") << kClientHeight << (fixed + QList<int>{47703, 52613});
    QTest::newRow("H 0") << 0 << (fixed + QList<int>{43098, 43403});
}

void TestCreditsScroll::startLayout()
{
    QFETCH(int, H);
    QFETCH(QList<int>, tops);
    CreditsScroll scroll;
    scroll.startLayout(H);
    QList<int> got;
    for (int e = 0; e < S::kElementCount; ++e)
        got << scroll.top(S::Element(e));
    QCOMPARE(got, tops);
}

void TestCreditsScroll::startsBelowTheWindow()
{
    CreditsScroll scroll;
    scroll.startLayout(4980);
    for (int e = 0; e < S::kElementCount; ++e)
        QVERIFY2(scroll.top(S::Element(e)) >= kClientHeight, qPrintable(QString::number(e)));
}

void TestCreditsScroll::eighthTickReachesTheWindow()
{
    CreditsScroll scroll;
    scroll.startLayout(4980);
    for (int i = 0; i < 7; ++i)
        QVERIFY(!scroll.tick(4980));
    QCOMPARE(scroll.top(S::AppName), 4650);
    QVERIFY(scroll.top(S::AppName) >= kClientHeight);
    scroll.tick(4980);
    QCOMPARE(scroll.top(S::AppName), 4600);
    QVERIFY(scroll.top(S::AppName) < kClientHeight);
    QCOMPARE(scroll.top(S::Pants), 53363 - 8 * 50);
}

void TestCreditsScroll::restartThreshold_data()
{
    QTest::addColumn<int>("pantsTop");
    QTest::addColumn<bool>("restarts");
    QTest::newRow("just above") << -999 << false;
    QTest::newRow("exactly -1000") << -1000 << true;
    QTest::newRow("past") << -1037 << true;
    QTest::newRow("far past") << -40000 << true;
}

void TestCreditsScroll::restartThreshold()
{
    QFETCH(int, pantsTop);
    QFETCH(bool, restarts);
    CreditsScroll scroll;
    scroll.startLayout(4980);
    scroll.setTop(S::AppName, -123);
    scroll.setTop(S::Pants, pantsTop);
    QCOMPARE(scroll.tick(4980), restarts);
    if (restarts) {
        // A restart moves nothing: it is the fresh layout.
        QCOMPARE(scroll.top(S::AppName), 5000);
        QCOMPARE(scroll.top(S::Pants), 53363);
    } else {
        QCOMPARE(scroll.top(S::AppName), -173);
        QCOMPARE(scroll.top(S::Pants), pantsTop - 50);
    }
}

void TestCreditsScroll::tickAfterRestart()
{
    CreditsScroll scroll;
    scroll.startLayout(4980);
    scroll.setTop(S::Pants, -1000);
    QVERIFY(scroll.tick(4980));
    QVERIFY(!scroll.tick(4980));
    QCOMPARE(scroll.top(S::AppName), 4950);
    QCOMPARE(scroll.top(S::Thanks), 28038);
}

void TestCreditsScroll::thankLeftAfterEveryLayout()
{
    CreditsScroll scroll;
    QCOMPARE(scroll.thankLeft(), S::kThankStoredLeft);
    scroll.startLayout(4980);
    QCOMPARE(scroll.thankLeft(), 240);
    scroll.setThankLeft(-777);
    scroll.tick(4980);
    QCOMPARE(scroll.thankLeft(), -777); // moving ticks leave it alone
    scroll.setTop(S::Pants, -5000);
    QVERIFY(scroll.tick(4980));
    QCOMPARE(scroll.thankLeft(), 240);
}

void TestCreditsScroll::cycle_data()
{
    QTest::addColumn<int>("H");
    QTest::addColumn<int>("moves");
    QTest::addColumn<int>("appnameAtRestart");
    QTest::addColumn<int>("pantsAtRestart");
    // n = ceil((43403 + 2H + 1000) / 50)
    QTest::newRow("H 4980") << 4980 << 1088 << -49400 << -1037;
    QTest::newRow("frameless") << kClientHeight << 1073 << -48650 << -1037;
    QTest::newRow("H 5505") << 5505 << 1109 << -50450 << -1037;
    QTest::newRow("H 5000") << 5000 << 1089 << -49450 << -1047;
}

void TestCreditsScroll::cycle()
{
    QFETCH(int, H);
    QFETCH(int, moves);
    QFETCH(int, appnameAtRestart);
    QFETCH(int, pantsAtRestart);
    CreditsScroll scroll;
    scroll.startLayout(H);
    const std::int32_t pantsStart = scroll.top(S::Pants);
    std::int32_t appname = 0;
    QCOMPARE(runToRestart(scroll, H, &appname), moves);
    QCOMPARE(appname, appnameAtRestart);
    QCOMPARE(pantsStart - moves * 50, pantsAtRestart);
    // the second cycle is the same length
    QCOMPARE(runToRestart(scroll, H), moves);
}

void TestCreditsScroll::taillerFrameOnlyLengthensTheGagGaps()
{
    CreditsScroll low;
    CreditsScroll tall;
    low.startLayout(4980);
    tall.startLayout(4980 + 300);
    for (int e = 0; e < S::Fire; ++e)
        QCOMPARE(tall.top(S::Element(e)), low.top(S::Element(e)));
    // the stretch before each gag line grows by the same 300
    QCOMPARE(tall.top(S::Fire) - tall.bottom(S::Disclaimer), low.top(S::Fire) - low.bottom(S::Disclaimer) + 300);
    QCOMPARE(tall.top(S::Pants) - tall.bottom(S::Fire), low.top(S::Pants) - low.bottom(S::Fire) + 300);
}

QTEST_APPLESS_MAIN(TestCreditsScroll)
#include "tst_creditsscroll.moc"
