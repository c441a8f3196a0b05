// The case transforms against their peers on the same 1 Mi-character texts:
// a plain copy of the data, QString::toUpper/toLower and ICU's u_strToUpper/
// u_strToLower; and the random transform with its yield per character in an
// idle visible window.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLocale>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(TOVRIN_HAVE_ICU)
#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>
#endif

#include "convert/CaseTransforms.h"

namespace {

constexpr qsizetype kTextSize = 1 << 20; // UTF-16 code units

QString repeatToSize(const QStringList& words)
{
    QString text;
    text.reserve(kTextSize + 64);
    for (qsizetype i = 0; text.size() < kTextSize; ++i)
        text += words.at(i % words.size());
    // Cut on a code point boundary.
    text.truncate(kTextSize);
    if (text.back().isHighSurrogate())
        text.back() = u' ';
    return text;
}

const QString& asciiText()
{
    static const QString text = repeatToSize(
        {u"The Quick brown fox JUMPS over the lazy dog; "_qs, u"Lorem ipsum dolor sit amet, "_qs,
         u"consectetur ADIPISCING elit 0123456789.\r\n"_qs, u"rAnDOm CaSe text! "_qs});
    return text;
}

const QString& mixedText()
{
    static const QString text = repeatToSize(
        {u"Größe café naïve Ärger "_qs, u"ΟΔΟΣ σοφίας Ελλάδα "_qs, u"Москва привет Ёлка "_qs,
         u"İstanbul ılık IĞDIR şişe "_qs, u"漢字かな交じり文 "_qs, u"😀🎉 emoji "_qs,
         u"plain ASCII words, "_qs, u"Łódź Čeština "_qs});
    return text;
}

// Greek written in capitals, as on signs and in headings: a sigma in every few letters,
// most of them ending a word.
const QString& greekCapitalsText()
{
    static const QString text = repeatToSize(
        {u"ΟΔΟΣ ΣΟΦΙΑΣ ΚΑΙ ΠΑΙΔΕΙΑΣ, "_qs, u"ΕΛΛΗΝΙΚΗ ΔΗΜΟΚΡΑΤΙΑ. "_qs, u"ΑΘΗΝΑ ΘΕΣΣΑΛΟΝΙΚΗ ΠΑΤΡΑ\r\n"_qs,
         u"ΠΡΟΣ ΤΟΥΣ ΦΙΛΟΥΣ. "_qs, u"ΚΑΛΗΜΕΡΑ ΚΟΣΜΕ! "_qs, u"ΤΑ ΝΕΑ ΤΗΣ ΗΜΕΡΑΣ (ΣΗΜΕΡΑ) "_qs});
    return text;
}

// Emoji only: every code point from the supplementary planes, where nothing has a case,
// joined in places by zero-width joiners and skin-tone modifiers.
const QString& emojiText()
{
    static const QString text =
        repeatToSize({u"😀🎉🚀👍🏽🧑‍💻🌍🍕"_qs, u"🐧🎸📎🦊🫠🥨"_qs, u"👩‍👩‍👧🏳️‍🌈🔥💯"_qs});
    return text;
}

void setCounters(benchmark::State& state, const QString& text)
{
    state.SetItemsProcessed(state.iterations() * text.size());
    state.SetBytesProcessed(state.iterations() * text.size() * qsizetype(sizeof(QChar)));
}

// The floor: a new string of the same size with the data copied in.
void copyNew(benchmark::State& state, const QString& text)
{
    for (auto _ : state) {
        QString out(text.size(), Qt::Uninitialized);
        std::memcpy(out.data(), text.constData(), size_t(text.size()) * sizeof(QChar));
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setCounters(state, text);
}

// Copy into a buffer that is reused, so no page is ever fresh.
void copyReused(benchmark::State& state, const QString& text)
{
    std::vector<QChar> out(size_t(text.size()));
    for (auto _ : state) {
        std::memcpy(out.data(), text.constData(), size_t(text.size()) * sizeof(QChar));
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setCounters(state, text);
}

template <typename F>
void transform(benchmark::State& state, const QString& text, const char* locale, F f)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
    for (auto _ : state) {
        QString out = f(text);
        benchmark::DoNotOptimize(out.data());
    }
    QLocale::setDefault(previous);
    setCounters(state, text);
}

#if defined(TOVRIN_HAVE_ICU)
template <bool Upper>
void icu(benchmark::State& state, const QString& text, const char* locale)
{
    const auto* src = reinterpret_cast<const UChar*>(text.utf16());
    const auto length = int32_t(text.size());
    for (auto _ : state) {
        // Full mappings can grow the text (ß to SS): room for that, as a caller needs.
        QString out(text.size() + text.size() / 4, Qt::Uninitialized);
        UErrorCode status = U_ZERO_ERROR;
        auto* dst = reinterpret_cast<UChar*>(out.data());
        const int32_t written = Upper ? u_strToUpper(dst, int32_t(out.size()), src, length, locale, &status)
                                      : u_strToLower(dst, int32_t(out.size()), src, length, locale, &status);
        if (U_FAILURE(status)) {
            state.SkipWithError("ICU failed");
            break;
        }
        out.truncate(written);
        benchmark::DoNotOptimize(out.data());
    }
    setCounters(state, text);
}

// Titlecasing by ICU's word or sentence boundaries, with one iterator kept across runs
// as a caller converting many texts would.
void icuTitle(benchmark::State& state, const QString& text, UBreakIteratorType type)
{
    UErrorCode status = U_ZERO_ERROR;
    UBreakIterator* iterator = ubrk_open(type, "en", nullptr, 0, &status);
    const auto* src = reinterpret_cast<const UChar*>(text.utf16());
    const auto length = int32_t(text.size());
    for (auto _ : state) {
        QString out(text.size() + text.size() / 4, Qt::Uninitialized);
        status = U_ZERO_ERROR;
        const int32_t written = u_strToTitle(reinterpret_cast<UChar*>(out.data()), int32_t(out.size()), src, length,
                                             iterator, "en", &status);
        if (U_FAILURE(status)) {
            state.SkipWithError("ICU failed");
            break;
        }
        out.truncate(written);
        benchmark::DoNotOptimize(out.data());
    }
    ubrk_close(iterator);
    setCounters(state, text);
}

// ICU has no case swap: its one-to-one mappings, code point by code point.
void icuSwap(benchmark::State& state, const QString& text)
{
    const auto* src = reinterpret_cast<const UChar*>(text.utf16());
    const auto length = int32_t(text.size());
    for (auto _ : state) {
        QString out(text.size(), Qt::Uninitialized);
        auto* dst = reinterpret_cast<UChar*>(out.data());
        int32_t read = 0;
        int32_t written = 0;
        UBool error = false;
        while (read < length) {
            UChar32 c;
            U16_NEXT(src, read, length, c);
            const UChar32 lower = u_tolower(c);
            U16_APPEND(dst, written, length, lower != c ? lower : u_toupper(c), error);
        }
        benchmark::DoNotOptimize(out.data());
    }
    setCounters(state, text);
}
#endif

void registerWholeTextBenchmarks()
{
    struct Data {
        const char* name;
        const QString& (*text)();
    };
    const Data data[] = {{"ascii", &asciiText}, {"mixed", &mixedText}, {"emoji", &emojiText},
                          {"greek_capitals", &greekCapitalsText}};
    for (const Data& d : data) {
        const QString& text = d.text();
        const std::string n = d.name;
        benchmark::RegisterBenchmark(("copy_new/" + n).c_str(), copyNew, text);
        benchmark::RegisterBenchmark(("copy_reused/" + n).c_str(), copyReused, text);
        // The text is shared, so each call builds a new string, as the peers do.
        const auto upper = +[](const QString& s) { return upperCaseText(s); };
        const auto lower = +[](const QString& s) { return lowerCaseText(s); };
        benchmark::RegisterBenchmark(("upperCaseText/" + n).c_str(), transform<QString (*)(const QString&)>,
                                     text, "en_US", upper);
        benchmark::RegisterBenchmark(("lowerCaseText/" + n).c_str(), transform<QString (*)(const QString&)>,
                                     text, "en_US", lower);
        benchmark::RegisterBenchmark(("UpperCaseText_tr/" + n).c_str(), transform<QString (*)(const QString&)>,
                                     text, "tr_TR", upper);
        benchmark::RegisterBenchmark(("LowerCaseText_tr/" + n).c_str(), transform<QString (*)(const QString&)>,
                                     text, "tr_TR", lower);
        benchmark::RegisterBenchmark(("QString_toUpper/" + n).c_str(), transform<QString (*)(const QString&)>,
                                     text, "en_US", +[](const QString& s) { return s.toUpper(); });
        benchmark::RegisterBenchmark(("QString_toLower/" + n).c_str(), transform<QString (*)(const QString&)>,
                                     text, "en_US", +[](const QString& s) { return s.toLower(); });
        benchmark::RegisterBenchmark(("titleCaseText/" + n).c_str(), transform<QString (*)(const QString&)>,
                                     text, "en_US", &titleCaseText);
        benchmark::RegisterBenchmark(("sentenceCaseText/" + n).c_str(), transform<QString (*)(const QString&)>,
                                     text, "en_US", &sentenceCaseText);
        benchmark::RegisterBenchmark(("swapCaseText/" + n).c_str(), transform<QString (*)(const QString&)>,
                                     text, "en_US", &swapCaseText);
#if defined(TOVRIN_HAVE_ICU)
        benchmark::RegisterBenchmark(("icu_u_strToTitle_words/" + n).c_str(), icuTitle, text, UBRK_WORD);
        benchmark::RegisterBenchmark(("icu_u_strToTitle_sentences/" + n).c_str(), icuTitle, text, UBRK_SENTENCE);
        benchmark::RegisterBenchmark(("icu_swap_per_code_point/" + n).c_str(), icuSwap, text);
        benchmark::RegisterBenchmark(("icu_u_strToUpper/" + n).c_str(), icu<true>, text, "en");
        benchmark::RegisterBenchmark(("icu_u_strToLower/" + n).c_str(), icu<false>, text, "en");
        benchmark::RegisterBenchmark(("icu_u_strToUpper_tr/" + n).c_str(), icu<true>, text, "tr");
#endif
    }
}

// The event loop's view of a conversion: a repeating zero-time timer fires
// whenever pending events are processed; the longest time between two firings
// is the longest the windows went without service.
class GapProbe final {
public:
    GapProbe()
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    }
    void start()
    {
        m_clock.start();
        m_last = 0;
        m_maxGap = 0;
        m_ticks = 0;
        m_timer.start();
    }
    void stop()
    {
        m_timer.stop();
        tick();
    }
    double maxGapMs() const { return double(m_maxGap) / 1e6; }
    qint64 ticks() const { return m_ticks; }

private:
    void tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_maxGap = std::max(m_maxGap, now - m_last);
        m_last = now;
        ++m_ticks;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_maxGap = 0;
    qint64 m_ticks = 0;
};

double codePointCount(const QString& text)
{
    return double(std::count_if(text.begin(), text.end(), [](QChar c) { return !c.isLowSurrogate(); }));
}

// As the program's windows let events run while the random transform works.
bool windowTurn()
{
    QCoreApplication::processEvents();
    return true;
}

void randomIdle(benchmark::State& state)
{
    const QString& text = mixedText();
    RandomGenerator generator;
    for (auto _ : state) {
        QString out = *randomCaseText(text, windowTurn, generator);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["chars_per_s"] =
        benchmark::Counter(codePointCount(text), benchmark::Counter::kIsIterationInvariantRate);
}

void randomWithGapProbe(benchmark::State& state)
{
    const QString& text = mixedText();
    GapProbe probe;
    RandomGenerator generator;
    double maxGap = 0;
    qint64 ticks = 0;
    for (auto _ : state) {
        probe.start();
        QString out = *randomCaseText(text, windowTurn, generator);
        probe.stop();
        benchmark::DoNotOptimize(out.data());
        maxGap = std::max(maxGap, probe.maxGapMs());
        ticks += probe.ticks();
    }
    state.counters["chars_per_s"] =
        benchmark::Counter(codePointCount(text), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["max_gap_ms"] = maxGap;
    state.counters["timer_ticks"] = benchmark::Counter(double(ticks), benchmark::Counter::kAvgIterations);
}

// The yields alone, as many as the text has characters.
void yieldsOnly(benchmark::State& state)
{
    const qsizetype count = mixedText().size();
    for (auto _ : state) {
        for (qsizetype i = 0; i < count; ++i)
            QCoreApplication::processEvents();
    }
    state.counters["calls_per_s"] =
        benchmark::Counter(double(count), benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("Idle window"));
    window.resize(400, 300);
    window.show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();

    registerWholeTextBenchmarks();
    benchmark::RegisterBenchmark("randomCaseText/mixed/idle_window", randomIdle)
        ->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
    benchmark::RegisterBenchmark("randomCaseText/mixed/gap_probe", randomWithGapProbe)
        ->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
    benchmark::RegisterBenchmark("processEvents_only/1Mi_calls", yieldsOnly)
        ->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
