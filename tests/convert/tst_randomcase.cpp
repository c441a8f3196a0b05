#include <QLocale>
#include <QProcess>
#include <QtTest>

#include <cmath>
#include <memory>

#include "RandomProbeInputs.h"
#include "convert/CaseTransforms.h"
#include "convert/RandomGenerator.h"

class tst_RandomCase final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void choice_data();
    void choice();
    void followsTheDraws_data();
    void followsTheDraws();
    void textsWithoutLettersComeOutUnchanged_data();
    void textsWithoutLettersComeOutUnchanged();
    void singleLetterIsUpperHalfTheTime_data();
    void singleLetterIsUpperHalfTheTime();
    void neighboursAreIndependent();
    void sameChoicesInEveryRun();
    void nestedConversionRunsToItsEndFirst();

private:
    RandomGenerator m_generator;
};

namespace {

QList<QString> codePointsOf(const QString& text)
{
    QList<QString> out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size()
                                      && text.at(i + 1).isLowSurrogate()
                                  ? 2
                                  : 1;
        out.append(text.mid(i, len));
        i += len - 1;
    }
    return out;
}

QList<float> drawsFromStart(int count)
{
    RandomGenerator fresh;
    QList<float> draws;
    for (int i = 0; i < count; ++i)
        draws.append(fresh.next());
    return draws;
}

// What the random transform must give when its code points take draws[first...].
QString expectedFor(const QString& input, const QList<float>& draws, qsizetype first)
{
    // The whole text's mappings give each code point its in-context form (final sigma).
    const QList<QString> upper = codePointsOf(upperCaseText(input));
    const QList<QString> lower = codePointsOf(lowerCaseText(input));
    QString out;
    for (qsizetype i = 0; i < upper.size(); ++i)
        out += randomCaseChoice(draws.at(first + i)) == 1 ? upper.at(i) : lower.at(i);
    return out;
}

} // namespace

void tst_RandomCase::init()
{
    m_generator = RandomGenerator{};
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void tst_RandomCase::cleanup()
{
}

void tst_RandomCase::choice_data()
{
    QTest::addColumn<float>("r");
    QTest::addColumn<int>("k");
    QTest::newRow("zero") << 0.0F << 1;
    QTest::newRow("quarter") << 0.25F << 1;
    QTest::newRow("just below half") << std::nextafter(0.5F, 0.0F) << 1;
    QTest::newRow("half") << 0.5F << 2;
    QTest::newRow("three quarters") << 0.75F << 2;
    // r * 2 + 1 in single precision rounds this one up to 3.
    QTest::newRow("largest draw") << std::nextafter(1.0F, 0.0F) << 2;
}

void tst_RandomCase::choice()
{
    QFETCH(float, r);
    QFETCH(int, k);
    QCOMPARE(randomCaseChoice(r), k);
}

void tst_RandomCase::followsTheDraws_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("input");
    QTest::newRow("latin") << u"en_US"_qs << u"Hello World, ÄÖÜ straße 42 rAnDOm\r\nNEXT line"_qs;
    QTest::newRow("turkish") << u"tr_TR"_qs << u"iIİı istanbul ISPARTA iiiiIIII"_qs;
    QTest::newRow("greek sigmas") << u"el_GR"_qs << u"ΟΔΟΣ ΣΟΦΙΑΣ ΑΣ.Β ΣΣΣΣ ΣΑΣ"_qs;
    QTest::newRow("non-BMP and a lone surrogate")
        << u"en_US"_qs << u"\U00010400\U00010428x\U0001E900\U0001F600"_qs + QChar(0xDC00) + u"Ab"_qs;
}

// Each code point takes the next draw and comes out in the case that draw chose.
void tst_RandomCase::followsTheDraws()
{
    QFETCH(QString, locale);
    QFETCH(QString, input);
    QLocale::setDefault(QLocale(locale));

    const qsizetype count = codePointsOf(input).size();
    const QList<float> draws = drawsFromStart(int(count) * 2);
    RandomGenerator generator;
    QCOMPARE(*randomCaseText(input, {}, generator), expectedFor(input, draws, 0));
    // The sequence goes on from there in the next call.
    QCOMPARE(*randomCaseText(input, {}, generator), expectedFor(input, draws, count));
}

void tst_RandomCase::textsWithoutLettersComeOutUnchanged_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("codePoints");
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("digits") << u"0123456789"_qs << 10;
    QTest::newRow("spaces and tab") << u"  \t "_qs << 4;
    QTest::newRow("CR LF") << u"\r\n\r\n"_qs << 4;
    QTest::newRow("punctuation") << u"!?.,;:-_()[]{}'\"@#"_qs << 18;
    QTest::newRow("CJK") << u"漢字かな"_qs << 4;
    QTest::newRow("emoji pairs draw once each") << u"😀🎉"_qs << 2;
}

// One draw per code point, letter or not.
void tst_RandomCase::textsWithoutLettersComeOutUnchanged()
{
    QFETCH(QString, input);
    QFETCH(int, codePoints);

    const QList<float> draws = drawsFromStart(codePoints + 1);
    RandomGenerator generator;
    QCOMPARE(*randomCaseText(input, {}, generator), input);
    QCOMPARE(generator.next(), draws.last());
}

void tst_RandomCase::singleLetterIsUpperHalfTheTime_data()
{
    QTest::addColumn<QString>("letter");
    QTest::newRow("a") << u"a"_qs;
    QTest::newRow("A") << u"A"_qs;
    QTest::newRow("Ä") << u"Ä"_qs;
    QTest::newRow("sigma") << u"Σ"_qs;
    QTest::newRow("deseret capital") << u"\U00010400"_qs;
    QTest::newRow("deseret small") << u"\U00010428"_qs;
}

void tst_RandomCase::singleLetterIsUpperHalfTheTime()
{
    QFETCH(QString, letter);
    const QString upper = upperCaseText(letter);
    const QString lower = lowerCaseText(letter);
    QVERIFY(upper != lower);

    constexpr int kCalls = 20000;
    int uppers = 0;
    for (int i = 0; i < kCalls; ++i) {
        const QString out = randomCaseText(letter, m_generator);
        QVERIFY(out == upper || out == lower);
        uppers += out == upper ? 1 : 0;
    }
    // Five standard deviations of a fair coin over kCalls throws.
    const double bound = 5.0 * std::sqrt(kCalls * 0.25);
    QVERIFY2(std::abs(uppers - kCalls / 2) < bound, qPrintable(QString::number(uppers)));
}

void tst_RandomCase::neighboursAreIndependent()
{
    constexpr int kPairs = 10000;
    const QString out = randomCaseText(QString(2 * kPairs, u'q'), m_generator);
    int counts[4] = {};
    for (int i = 0; i < kPairs; ++i) {
        const int first = out.at(2 * i) == u'Q' ? 1 : 0;
        const int second = out.at(2 * i + 1) == u'Q' ? 1 : 0;
        ++counts[first * 2 + second];
    }
    const double bound = 5.0 * std::sqrt(kPairs * 0.25 * 0.75);
    for (int c : counts)
        QVERIFY2(std::abs(c - kPairs / 4) < bound, qPrintable(QString::number(c)));
}

// Two runs of the program, and this process from the generator's start, make
// the same choices.
void tst_RandomCase::sameChoicesInEveryRun()
{
    auto runProbe = [] {
        QProcess probe;
        probe.start(QStringLiteral(TOVRIN_RANDOM_PROBE), {});
        if (!probe.waitForFinished(60000) || probe.exitStatus() != QProcess::NormalExit
            || probe.exitCode() != 0)
            return QByteArray();
        return probe.readAllStandardOutput();
    };
    const QByteArray first = runProbe();
    const QByteArray second = runProbe();
    QVERIFY(!first.isEmpty());
    QCOMPARE(second, first);

    RandomGenerator fresh;
    QByteArray here;
    for (const QString& text : randomProbeInputs())
        here += encodeProbeLine(*randomCaseText(text, {}, fresh));
    QCOMPARE(here, first);

    // The same text twice in a row: the sequence went on, it did not restart.
    const QList<QByteArray> lines = first.split('\n');
    QCOMPARE(lines.at(1).size(), lines.at(2).size());
    QVERIFY(lines.at(1) != lines.at(2));
}

// A handler that runs during a yield starts a second conversion: it takes the
// next draws and finishes; the first one then goes on with its own text.
void tst_RandomCase::nestedConversionRunsToItsEndFirst()
{
    // Two separate buffers, so that the handler below changes the caller's one in place.
    QString outerInput = QString::fromUtf8("Outer text, with ÄÖÜ and ΟΔΟΣ in it");
    const QString outerOriginal = QString::fromUtf8("Outer text, with ÄÖÜ and ΟΔΟΣ in it");
    const QString innerInput = u"inner TEXT"_qs;
    bool innerRan = false;
    QString innerResult;
    // One generator for both, as the program's shared one is.
    RandomGenerator generator;
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            innerRan = true;
            outerInput.fill(u'#');
            innerResult = *randomCaseText(innerInput, {}, generator);
        },
        Qt::QueuedConnection);

    const auto turn = [] {
        QCoreApplication::processEvents();
        return true;
    };
    const QString outerResult = *randomCaseText(outerInput, turn, generator);
    QVERIFY(innerRan);

    // The inner run took its draws right after the outer one's p-th draw.
    const qsizetype outerCount = codePointsOf(outerOriginal).size();
    const qsizetype innerCount = codePointsOf(innerInput).size();
    const QList<float> draws = drawsFromStart(int(outerCount + innerCount));
    bool explained = false;
    for (qsizetype p = 1; p <= outerCount && !explained; ++p) {
        if (expectedFor(innerInput, draws, p) != innerResult)
            continue;
        QList<float> outerDraws = draws.mid(0, p) + draws.mid(p + innerCount);
        explained = expectedFor(outerOriginal, outerDraws, 0) == outerResult;
    }
    QVERIFY2(explained, qPrintable(outerResult + u" / "_qs + innerResult));
}

QTEST_MAIN(tst_RandomCase)
#include "tst_randomcase.moc"
