#include "convert/CaseTransforms.h"

#include <QChar>
#include <QLocale>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "convert/GreekLowering.h"
#include "convert/RandomGenerator.h"

namespace {

enum class Direction { Upper, Lower, Swap };

using greek::kCapitalSigma;
using greek::kFinalSigma;
using greek::kSmallSigma;
constexpr char16_t kFirstGreekCapital = greek::kFirstCapital;
constexpr char16_t kLastGreekLetter = greek::kLastLetter;

constexpr bool isSurrogate(char32_t c) { return (c & 0xFFFFF800U) == 0xD800U; }
constexpr bool isHighSurrogate(char32_t c) { return (c & 0xFFFFFC00U) == 0xD800U; }
constexpr bool isLowSurrogate(char32_t c) { return (c & 0xFFFFFC00U) == 0xDC00U; }
constexpr char32_t joinSurrogates(char16_t high, char16_t low)
{
    return 0x10000U + ((char32_t(high) - 0xD800U) << 10U) + (char32_t(low) - 0xDC00U);
}

// QChar gives the one-to-one mapping, except that it leaves a character alone
// where the full mapping is longer than one character even though a one-to-one
// mapping exists: capital I with dot above (lower) and the Greek letters with
// ypogegrammeni (upper).
char32_t simpleUpper(char32_t c)
{
    if (c >= 0x1F80 && c <= 0x1FAF && (c & 0xFU) < 8)
        return c + 8;
    if (c == 0x1FB3 || c == 0x1FC3 || c == 0x1FF3)
        return c + 9;
    return QChar::toUpper(c);
}

char32_t simpleLower(char32_t c)
{
    if (c == 0x0130)
        return U'i';
    return QChar::toLower(c);
}

// A letter that lowers lowers (capitals and titlecase digraphs), any other uppers.
char32_t simpleSwap(char32_t c)
{
    const char32_t lowered = simpleLower(c);
    return lowered != c ? lowered : simpleUpper(c);
}

char32_t simpleMap(char32_t c, Direction direction)
{
    switch (direction) {
    case Direction::Upper:
        return simpleUpper(c);
    case Direction::Lower:
        return simpleLower(c);
    case Direction::Swap:
        return simpleSwap(c);
    }
    return c;
}

// QChar's titlecase, completed where it leaves out a one-to-one mapping (the Greek
// letters with ypogegrammeni, as in simpleUpper).
char32_t simpleTitle(char32_t c, bool turkic)
{
    if (turkic && c == U'i')
        return 0x0130;
    if (c >= 0x1F80 && c <= 0x1FAF && (c & 0xFU) < 8)
        return c + 8;
    if (c == 0x1FB3 || c == 0x1FC3 || c == 0x1FF3)
        return c + 9;
    return QChar::toTitleCase(c);
}

bool turkicLocale()
{
    const QLocale::Language language = QLocale().language();
    return language == QLocale::Turkish || language == QLocale::Azerbaijani;
}

// One entry per BMP code unit. Surrogates map to themselves; an entry in the
// surrogate range therefore sends the unit down the slow path, which is also how
// the capital sigma (context dependent in lower case) gets there.
struct CaseTable {
    char16_t map[0x10000];
};

std::unique_ptr<const CaseTable> buildTable(Direction direction, bool turkic)
{
    auto table = std::make_unique<CaseTable>();
    for (char32_t c = 0; c < 0x10000; ++c) {
        char32_t mapped = c;
        if (!isSurrogate(c))
            mapped = simpleMap(c, direction);
        // No BMP letter maps outside the BMP; were one to, leave it alone.
        table->map[c] = mapped < 0x10000 ? char16_t(mapped) : char16_t(c);
    }
    if (direction != Direction::Upper)
        table->map[kCapitalSigma] = 0xD800;
    if (turkic) {
        if (direction != Direction::Lower)
            table->map[u'i'] = 0x0130;
        if (direction != Direction::Upper)
            table->map[u'I'] = 0x0131;
    }
    return table;
}

// Each table is built once, on first use.
template <Direction direction, bool turkic>
const CaseTable& builtTable()
{
    static const auto table = buildTable(direction, turkic);
    return *table;
}

const CaseTable& caseTable(Direction direction, bool turkic)
{
    switch (direction) {
    case Direction::Swap:
        return turkic ? builtTable<Direction::Swap, true>() : builtTable<Direction::Swap, false>();
    case Direction::Upper:
        return turkic ? builtTable<Direction::Upper, true>() : builtTable<Direction::Upper, false>();
    default:
        return turkic ? builtTable<Direction::Lower, true>() : builtTable<Direction::Lower, false>();
    }
}

// Final_Sigma needs the Cased and Case_Ignorable properties, which QChar does not
// expose; they are rebuilt here from the general category and the case mappings.
enum class CaseKind { Other, Cased, Ignorable };

CaseKind caseKind(char32_t c)
{
    // The common scripts first, without asking the Unicode tables.
    if (c < 0x80) {
        if ((c | 0x20U) >= U'a' && (c | 0x20U) <= U'z')
            return CaseKind::Cased;
        const bool ignorable = c == U'\'' || c == U'.' || c == U':' || c == U'^' || c == U'`';
        return ignorable ? CaseKind::Ignorable : CaseKind::Other;
    }
    if (c >= kFirstGreekCapital && c <= kLastGreekLetter && c != greek::kUnassigned)
        return CaseKind::Cased;
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
    case QChar::Letter_Modifier:
    case QChar::Symbol_Modifier:
        return CaseKind::Ignorable;
    case QChar::Letter_Lowercase:
    case QChar::Letter_Uppercase:
    case QChar::Letter_Titlecase:
        return CaseKind::Cased;
    default:
        break;
    }
    switch (c) {
    // Apostrophes, full stops and colons inside words (word-break classes
    // Single_Quote, MidNumLet and MidLetter).
    case 0x0027: case 0x002E: case 0x003A: case 0x00B7: case 0x0387: case 0x055F:
    case 0x05F4: case 0x2018: case 0x2019: case 0x2024: case 0x2027: case 0xFE13:
    case 0xFE52: case 0xFE55: case 0xFF07: case 0xFF0E: case 0xFF1A:
        return CaseKind::Ignorable;
    // Cased without a mapping: ordinal indicators, squared and circled Latin capitals.
    case 0x00AA: case 0x00BA:
        return CaseKind::Cased;
    default:
        break;
    }
    if ((c >= 0x1F130 && c <= 0x1F149) || (c >= 0x1F150 && c <= 0x1F169)
        || (c >= 0x1F170 && c <= 0x1F189))
        return CaseKind::Cased;
    if (QChar::toUpper(c) != c || QChar::toLower(c) != c)
        return CaseKind::Cased;
    return CaseKind::Other;
}

char32_t codePointBefore(const char16_t* s, qsizetype& pos)
{
    const char16_t c = s[--pos];
    if (isLowSurrogate(c) && pos > 0 && isHighSurrogate(s[pos - 1])) {
        --pos;
        return joinSurrogates(s[pos], c);
    }
    return c;
}

char32_t codePointAt(const char16_t* s, qsizetype n, qsizetype& pos)
{
    const char16_t c = s[pos++];
    if (isHighSurrogate(c) && pos < n && isLowSurrogate(s[pos]))
        return joinSurrogates(c, s[pos++]);
    return c;
}

// A capital sigma ends a word when a cased letter comes before it and none after
// it, skipping case-ignorable characters both ways.
bool sigmaEndsWord(const char16_t* s, qsizetype n, qsizetype sigmaPos)
{
    CaseKind before = CaseKind::Other;
    for (qsizetype j = sigmaPos; j > 0;) {
        before = caseKind(codePointBefore(s, j));
        if (before != CaseKind::Ignorable)
            break;
    }
    if (before != CaseKind::Cased)
        return false;
    for (qsizetype j = sigmaPos + 1; j < n;) {
        const CaseKind after = caseKind(codePointAt(s, n, j));
        if (after != CaseKind::Ignorable)
            return after != CaseKind::Cased;
    }
    return true;
}

char32_t mapCodePoint(char32_t c, Direction direction, const CaseTable& table,
                      const char16_t* s, qsizetype n, qsizetype pos)
{
    if (c >= 0x10000)
        return simpleMap(c, direction);
    const char16_t mapped = table.map[c];
    if (!isSurrogate(mapped))
        return mapped;
    if (c == kCapitalSigma && direction != Direction::Upper)
        return sigmaEndsWord(s, n, pos) ? kFinalSigma : kSmallSigma;
    return c; // a lone surrogate stays as it is
}

// Nothing from U+1EC00 on has a case mapping (the last pair is Adlam's, ending at
// U+1E943): the high surrogates from here on start code points that stay as they are.
constexpr char16_t kFirstUncasedHigh = 0xD83B;

// The length of the run of such surrogate pairs (emoji, mostly) at s[i].
qsizetype uncasedPairsAt(const char16_t* s, qsizetype n, qsizetype i)
{
    qsizetype j = i;
    while (j + 1 < n && s[j] >= kFirstUncasedHigh && s[j] <= 0xDBFF && isLowSurrogate(s[j + 1]))
        j += 2;
    return j - i;
}

// Maps the code point starting at s[i] the slow way; returns the index after it.
qsizetype mapSlow(const char16_t* s, char16_t* out, qsizetype n, qsizetype i,
                  Direction direction, const CaseTable& table)
{
    if (const qsizetype run = uncasedPairsAt(s, n, i)) {
        std::memmove(out + i, s + i, size_t(run) * sizeof(char16_t));
        return i + run;
    }
    const char16_t c = s[i];
    if (isHighSurrogate(c) && i + 1 < n && isLowSurrogate(s[i + 1])) {
        const char32_t mapped = mapCodePoint(joinSurrogates(c, s[i + 1]), direction, table, s, n, i);
        if (QChar::requiresSurrogates(mapped)) {
            out[i] = QChar::highSurrogate(mapped);
            out[i + 1] = QChar::lowSurrogate(mapped);
        } else {
            out[i] = c;
            out[i + 1] = s[i + 1];
        }
        return i + 2;
    }
    out[i] = char16_t(mapCodePoint(c, direction, table, s, n, i));
    return i + 1;
}

// Letters that change in the ASCII range: a..z in upper case, A..Z in lower case.
// Swapping changes both, found as a..z once the 0x20 bit is set.
template <Direction D>
constexpr char16_t kFirstLetter = D == Direction::Lower ? u'A' : u'a';
template <Direction D>
constexpr std::uint16_t kCaseBitForMatch = D == Direction::Swap ? 0x20 : 0;

#if defined(__SSE2__)
// Case flip of the ASCII letters in eight units known to be ASCII: shifted so the
// letters land at the top of the signed range, one comparison finds them. The
// operand order lets the compiler work in place, without copying constants.
// In Turkish the i (upper) or I (lower) leaves ASCII for its dotted/dotless twin:
// a second flip, folded into the first, turns its ASCII mapping into that twin.
template <Direction D, bool Turkic>
inline __m128i mapAsciiLetters(__m128i v)
{
    constexpr short kLastLetter = kFirstLetter<D> + 25;
    __m128i matched = v;
    if constexpr (D == Direction::Swap)
        matched = _mm_or_si128(v, _mm_set1_epi16(kCaseBitForMatch<D>));
    const __m128i shifted = _mm_add_epi16(matched, _mm_set1_epi16(short(0x7FFF - kLastLetter)));
    const __m128i letter = _mm_cmpgt_epi16(shifted, _mm_set1_epi16(short(0x7FFF - 26)));
    __m128i flip = _mm_and_si128(letter, _mm_set1_epi16(0x20));
    if constexpr (Turkic) {
        const auto turkicFlip = [&](short from, short to) {
            const __m128i turkicI = _mm_cmpeq_epi16(v, _mm_set1_epi16(from));
            flip = _mm_xor_si128(flip, _mm_and_si128(turkicI, _mm_set1_epi16(short((from ^ 0x20) ^ to))));
        };
        if constexpr (D != Direction::Lower)
            turkicFlip('i', 0x0130);
        if constexpr (D != Direction::Upper)
            turkicFlip('I', 0x0131);
    }
    return _mm_xor_si128(v, flip);
}

// Units of 0x80 and above reach the sign bit of their lane when 0x7F80 is added
// with saturation; ASCII units stay below it.
inline bool allAscii(__m128i v)
{
    return (_mm_movemask_epi8(_mm_adds_epu16(v, _mm_set1_epi16(short(0x7F80)))) & 0xAAAA) == 0;
}

// The kernel counts in std::ptrdiff_t, which qsizetype need not be by name.
bool sigmaEndsWordAt(const char16_t* s, std::ptrdiff_t n, std::ptrdiff_t at)
{
    return sigmaEndsWord(s, n, at);
}

template <bool Turkic>
qsizetype lowerGreekRun(const char16_t* s, char16_t* out, qsizetype n, qsizetype i)
{
    return greek::lowerBlocks<Turkic>(s, out, n, i, &sigmaEndsWordAt);
}
#endif

// Maps the run of ASCII at the start of s, in whole blocks of eight units; returns
// how many units it mapped (a multiple of eight, possibly none).
template <Direction D, bool Turkic>
qsizetype mapAsciiRun(const char16_t* s, char16_t* out, qsizetype n)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    for (; n - i >= 32; i += 32) {
        const auto* in = reinterpret_cast<const __m128i*>(s + i);
        const __m128i a = _mm_loadu_si128(in);
        const __m128i b = _mm_loadu_si128(in + 1);
        const __m128i c = _mm_loadu_si128(in + 2);
        const __m128i d = _mm_loadu_si128(in + 3);
        if (!allAscii(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))))
            break;
        auto* to = reinterpret_cast<__m128i*>(out + i);
        _mm_storeu_si128(to, mapAsciiLetters<D, Turkic>(a));
        _mm_storeu_si128(to + 1, mapAsciiLetters<D, Turkic>(b));
        _mm_storeu_si128(to + 2, mapAsciiLetters<D, Turkic>(c));
        _mm_storeu_si128(to + 3, mapAsciiLetters<D, Turkic>(d));
    }
    for (; n - i >= 8; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        if (!allAscii(v))
            break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), mapAsciiLetters<D, Turkic>(v));
    }
#else
    // Four 16-bit lanes per word; every lane is below 0x80, so the sums below never
    // carry into the next lane and bit 7 of each lane holds the comparison.
    constexpr std::uint64_t kLanes = 0x0001000100010001ULL;
    if constexpr (Turkic)
        return 0; // the table has the Turkish i
    for (; n - i >= 8; i += 8) {
        std::uint64_t w[2];
        std::memcpy(w, s + i, sizeof w);
        if (((w[0] | w[1]) & (0xFF80 * kLanes)) != 0)
            break;
        for (std::uint64_t& x : w) {
            const std::uint64_t matched = x | kCaseBitForMatch<D> * kLanes;
            const std::uint64_t atLeastFirst = matched + (0x80 - kFirstLetter<D>) * kLanes;
            const std::uint64_t pastLast = matched + (0x80 - kFirstLetter<D> - 26) * kLanes;
            x ^= ((atLeastFirst & ~pastLast) & (0x80 * kLanes)) >> 2;
        }
        std::memcpy(out + i, w, sizeof w);
    }
#endif
    return i;
}

template <Direction D, bool Turkic>
void mapText(const char16_t* s, char16_t* out, qsizetype n, const CaseTable& table)
{
    qsizetype i = 0;
    while (i < n) {
        // Whole ASCII blocks are worth trying only where the text is ASCII.
        if (s[i] < 0x80)
            i += mapAsciiRun<D, Turkic>(s + i, out + i, n - i);
#if defined(__SSE2__)
        // Greek in capitals mixes with spaces and punctuation, so it may start either way.
        if (D == Direction::Lower && i < n
            && (s[i] < 0x80 || (s[i] >= kFirstGreekCapital && s[i] <= kLastGreekLetter)))
            i = lowerGreekRun<Turkic>(s, out, n, i);
#endif
        // At most a block through the table before looking again.
        const qsizetype stop = std::min(n, i + 8);
        while (i < stop) {
            const char16_t mapped = table.map[s[i]];
            if (Q_LIKELY(!isSurrogate(mapped)))
                out[i++] = mapped;
            else
                i = mapSlow(s, out, n, i, D, table);
        }
    }
}

// A text nobody else holds is mapped where it is: every unit is read before its own
// place is written, and a lowered unit keeps its kind for the sigmas after it.
template <Direction D>
QString mapWholeText(QString text)
{
    const qsizetype n = text.size();
    if (n == 0)
        return text;
    const bool turkic = turkicLocale();
    const CaseTable& table = caseTable(D, turkic);
    const bool inPlace = text.isDetached();
    QString result = inPlace ? std::move(text) : QString(n, Qt::Uninitialized);
    const QString& source = inPlace ? result : text;
    const auto* s = reinterpret_cast<const char16_t*>(source.constData());
    auto* out = reinterpret_cast<char16_t*>(result.data());
    if (turkic)
        mapText<D, true>(s, out, n, table);
    else
        mapText<D, false>(s, out, n, table);
    return result;
}

// The modifier letters that are cased (superscript and small-capital letters), which
// QChar does not tell: Unicode's Other_Lowercase among them.
bool casedModifierLetter(char32_t c)
{
    static constexpr char32_t kRanges[][2] = {
        {0x02B0, 0x02B8}, {0x02C0, 0x02C1}, {0x02E0, 0x02E4}, {0x037A, 0x037A}, {0x10FC, 0x10FC},
        {0x1D2C, 0x1D6A}, {0x1D78, 0x1D78}, {0x1D9B, 0x1DBF}, {0x2071, 0x2071}, {0x207F, 0x207F},
        {0x2090, 0x209C}, {0x2C7C, 0x2C7D}, {0xA69C, 0xA69D}, {0xA770, 0xA770}, {0xA7F2, 0xA7F4},
        {0xA7F8, 0xA7F9}, {0xAB5C, 0xAB5F}, {0xAB69, 0xAB69}, {0x10780, 0x10780}, {0x10783, 0x10785},
        {0x10787, 0x107B0}, {0x107B2, 0x107BA}, {0x1E030, 0x1E06D},
    };
    return std::any_of(std::begin(kRanges), std::end(kRanges),
                       [c](const char32_t(&r)[2]) { return c >= r[0] && c <= r[1]; });
}

// Where a titlecasing starts in a word or sentence: at its first letter, digit,
// symbol or private-use character, so that leading quotes and marks stay as they are.
bool startsCapitals(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Letter_Modifier:
        return casedModifierLetter(c);
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Other:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
    case QChar::Symbol_Math:
    case QChar::Symbol_Currency:
    case QChar::Symbol_Modifier:
    case QChar::Symbol_Other:
    case QChar::Other_PrivateUse:
        return true;
    default:
        return false;
    }
}

bool casedLetter(char32_t c) { return QChar::isLower(c) || QChar::isUpper(c) || QChar::isTitleCase(c); }

// Qt (6.4) ends a word at a full stop between letters, where Unicode's rules go on
// ("node.js" is one word): a start there is no word's.
bool insideWordAfterStop(const char16_t* s, qsizetype n, qsizetype at)
{
    if (at < 2 || at >= n)
        return false;
    const char16_t stop = s[at - 1];
    if (stop != u'.' && stop != 0x2024 && stop != 0xFE52 && stop != 0xFF0E)
        return false;
    qsizetype before = at - 1;
    qsizetype after = at;
    return casedLetter(codePointBefore(s, before)) && casedLetter(codePointAt(s, n, after));
}

// The lower case of a whole text (final sigma by the whole text's context), into which
// the starts of words or sentences are titlecased.
class Capitalizer {
public:
    explicit Capitalizer(const QString& text)
        : m_text(text)
        , m_result(mapWholeText<Direction::Lower>(text))
        , m_s(reinterpret_cast<const char16_t*>(text.constData()))
        , m_n(text.size())
        , m_turkic(turkicLocale())
    {
    }

    // Titlecases the first code point from `from` on that starts capitals, if one comes
    // before `limit`; returns the index after it (or `limit`).
    qsizetype titleFirst(qsizetype from, qsizetype limit)
    {
        auto* out = reinterpret_cast<char16_t*>(m_result.data());
        for (qsizetype i = from; i < limit;) {
            const qsizetype at = i;
            const char32_t c = codePointAt(m_s, m_n, i);
            if (!startsCapitals(c))
                continue;
            const char32_t title = simpleTitle(c, m_turkic);
            // A code point keeps its length in code units; none crosses planes.
            if (i - at == 2 && QChar::requiresSurrogates(title)) {
                out[at] = QChar::highSurrogate(title);
                out[at + 1] = QChar::lowSurrogate(title);
            } else if (i - at == 1 && !QChar::requiresSurrogates(title)) {
                out[at] = char16_t(title);
            }
            return i;
        }
        return limit;
    }

    // Every segment between the boundaries of `type` in text[from, to), the part's
    // own start and end excepted.
    void titleSegments(QTextBoundaryFinder::BoundaryType type, qsizetype from, qsizetype to)
    {
        const QString part = QString::fromRawData(m_text.constData() + from, to - from);
        QTextBoundaryFinder segments(type, part);
        qsizetype start = segments.toNextBoundary();
        for (qsizetype end; start > 0 && start < part.size(); start = end) {
            end = segments.toNextBoundary();
            if (type == QTextBoundaryFinder::Word && insideWordAfterStop(m_s, m_n, from + start))
                continue;
            titleFirst(from + start, from + (end < 0 ? part.size() : end));
        }
    }

    const char16_t* units() const { return m_s; }
    qsizetype size() const { return m_n; }
    QString take() { return std::move(m_result); }

private:
    const QString& m_text;
    QString m_result;
    const char16_t* m_s;
    qsizetype m_n;
    bool m_turkic;
};

// A sentence can end only at a paragraph separator or a sentence-ending mark, and all
// of those are "other punctuation".
bool mayEndSentence(char32_t c)
{
    if (c < 0x80)
        return c == u'.' || c == u'!' || c == u'?' || c == u'\n' || c == u'\r';
    if (c == 0x85)
        return true;
    const QChar::Category category = QChar::category(c);
    return category == QChar::Punctuation_Other || category == QChar::Separator_Line
           || category == QChar::Separator_Paragraph;
}

bool attachesToPrevious(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
           || category == QChar::Mark_Enclosing || category == QChar::Other_Format;
}

bool isLetter(char32_t c)
{
    if (c < 0x80)
        return (c | 0x20) >= u'a' && (c | 0x20) <= u'z';
    const QChar::Category category = QChar::category(c);
    return category >= QChar::Letter_Uppercase && category <= QChar::Letter_Other && startsCapitals(c);
}

constexpr bool isAsciiLetter(char16_t c) { return (c | 0x20) >= u'a' && (c | 0x20) <= u'z'; }

// The commonest sentence ends, decided as Unicode's rules decide them but without the
// boundary finder: a full stop, "!" or "?" then spaces then a letter (after a full stop
// only a capital starts a sentence: "e.g. this" goes on), and line breaks right before
// a letter. The index of the letter that starts the next sentence, or -1 where none
// does; nothing for any other stretch.
std::optional<qsizetype> plainSentenceStart(const char16_t* s, qsizetype n, qsizetype end, qsizetype after)
{
    const char16_t mark = s[end];
    qsizetype next = after;
    if (mark == u'\r' || mark == u'\n') {
        while (next < n && (s[next] == u'\r' || s[next] == u'\n'))
            ++next;
        return next < n && isAsciiLetter(s[next]) ? std::optional<qsizetype>(next) : std::nullopt;
    }
    if (mark != u'.' && mark != u'!' && mark != u'?')
        return std::nullopt;
    while (next < n && s[next] == u' ')
        ++next;
    if (next == after || next == n || !isAsciiLetter(s[next]))
        return std::nullopt;
    return mark != u'.' || (s[next] >= u'A' && s[next] <= u'Z') ? next : -1;
}

} // namespace

QString titleCaseText(const QString& text)
{
    Capitalizer capitalizer(text);
    capitalizer.titleFirst(0, text.size());
    capitalizer.titleSegments(QTextBoundaryFinder::Word, 0, text.size());
    return capitalizer.take();
}

// Unicode's sentence rules decide a boundary from the marks that may end a sentence,
// the spaces and closing quotes after them, the letter before and the first letter
// after: only those stretches go through the boundary finder.
QString sentenceCaseText(const QString& text)
{
    Capitalizer capitalizer(text);
    const char16_t* s = capitalizer.units();
    const qsizetype n = capitalizer.size();
    capitalizer.titleFirst(0, n);
    for (qsizetype i = 0; i < n;) {
        const qsizetype at = i;
        if (!mayEndSentence(codePointAt(s, n, i)))
            continue;
        if (const std::optional<qsizetype> start = plainSentenceStart(s, n, at, i)) {
            if (*start >= 0)
                i = capitalizer.titleFirst(*start, *start + 1);
            continue;
        }
        qsizetype from = at;
        while (from > 0) {
            qsizetype before = from;
            const char32_t c = codePointBefore(s, before);
            from = before;
            if (!attachesToPrevious(c))
                break;
        }
        while (i < n && !isLetter(codePointAt(s, n, i))) {
        }
        capitalizer.titleSegments(QTextBoundaryFinder::Sentence, from, i);
    }
    return capitalizer.take();
}

QString upperCaseText(QString text)
{
    return mapWholeText<Direction::Upper>(std::move(text));
}

QString lowerCaseText(QString text)
{
    return mapWholeText<Direction::Lower>(std::move(text));
}

QString swapCaseText(const QString& text)
{
    return mapWholeText<Direction::Swap>(text);
}

int randomCaseChoice(float r)
{
    // In double: in single precision r * 2 + 1 rounds up to 3 for the largest draws.
    return static_cast<int>(std::floor(static_cast<double>(r) * 2.0 + 1.0));
}

QString randomCaseText(const QString& text, RandomGenerator& generator)
{
    return *randomCaseText(text, nullptr, generator);
}

std::optional<QString> randomCaseText(const QString& text, const std::function<bool()>& yield,
                                      RandomGenerator& generator)
{
    // Whatever runs during the yields may change the caller's string or start
    // another conversion: work on our own copy and our own result only.
    const QString input = text;
    const qsizetype n = input.size();
    QString result(n, Qt::Uninitialized);
    const bool turkic = turkicLocale();
    const CaseTable& upper = caseTable(Direction::Upper, turkic);
    const CaseTable& lower = caseTable(Direction::Lower, turkic);
    const auto* s = reinterpret_cast<const char16_t*>(input.constData());
    auto* out = reinterpret_cast<char16_t*>(result.data());

    for (qsizetype i = 0; i < n;) {
        const bool toUpper = randomCaseChoice(generator.next()) == 1;
        const qsizetype start = i;
        const char32_t c = codePointAt(s, n, i);
        const char32_t mapped = toUpper ? mapCodePoint(c, Direction::Upper, upper, s, n, start)
                                        : mapCodePoint(c, Direction::Lower, lower, s, n, start);
        if (yield && !yield())
            return std::nullopt;
        if (i - start == 2) {
            const char32_t kept = QChar::requiresSurrogates(mapped) ? mapped : c;
            out[start] = QChar::highSurrogate(kept);
            out[start + 1] = QChar::lowSurrogate(kept);
        } else {
            out[start] = char16_t(mapped);
        }
    }
    return result;
}
