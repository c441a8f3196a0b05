#include <QElapsedTimer>
#include <QtTest>

#include "platform/unix/CanberraBeeper.h"

using platform::CanberraBeeper;

class TestCanberraBeeper : public QObject {
    Q_OBJECT
private slots:
    void beepsPlayApart_data();
    void beepsPlayApart();
};

void TestCanberraBeeper::beepsPlayApart_data()
{
    QTest::addColumn<int>("beeps");
    QTest::newRow("one") << 1;
    QTest::newRow("two, as a success sounds") << 2;
    QTest::newRow("three") << 3;
}

void TestCanberraBeeper::beepsPlayApart()
{
    QFETCH(int, beeps);
    const int gap = 100;
    QElapsedTimer clock;
    clock.start();
    QList<qint64> played;
    CanberraBeeper beeper([&] { played.append(clock.elapsed()); }, gap);
    for (int i = 0; i < beeps; ++i)
        beeper.beep();
    // The first at once, within the call.
    QCOMPARE(played.size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(played.size(), beeps, 2000);
    QTest::qWait(3 * gap);
    QCOMPARE(played.size(), beeps);
    for (int i = 1; i < played.size(); ++i)
        // Whole milliseconds on the test's clock: one less than the true gap at worst.
        QVERIFY2(played[i] - played[i - 1] >= gap - 1, qPrintable(QString::number(played[i] - played[i - 1])));
    // A beep long after the last plays at once.
    beeper.beep();
    QCOMPARE(played.size(), beeps + 1);
}

QTEST_MAIN(TestCanberraBeeper)
#include "tst_canberrabeeper.moc"
