#pragma once

// The block kernel of the lower case of Greek written in capitals (see lowerBlocks),
// for the case transforms alone.

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

namespace greek {

constexpr char16_t kCapitalSigma = 0x03A3;
constexpr char16_t kSmallSigma = 0x03C3;
constexpr char16_t kFinalSigma = 0x03C2;
constexpr char16_t kFirstCapital = 0x0391; // Α
constexpr char16_t kLastCapital = 0x03AB;  // Ϋ
constexpr char16_t kLastLetter = 0x03CE;   // ώ, the end of the letters Α..ώ
constexpr char16_t kUnassigned = 0x03A2;   // the gap between Ρ and Σ

// The full word rule for the sigma at s[at]: whether it ends a word.
using SigmaRule = bool (*)(const char16_t* s, std::ptrdiff_t n, std::ptrdiff_t at);

// What a unit just outside a block tells a sigma at the block's edge: that a cased
// letter is there, that something neither cased nor ignorable is, or nothing for sure
// (the full word rule decides).
enum EdgeKind : std::uint8_t { kEdgeOther, kEdgeCased, kEdgeUndecided };
constexpr char16_t kEdgeKindsCovered = 0x0400; // units from here on are undecided

constexpr std::uint8_t edgeKind(char16_t c)
{
    if (c < 0x80) {
        if ((c | 0x20) >= u'a' && (c | 0x20) <= u'z')
            return kEdgeCased;
        const bool ignorable = c == u'\'' || c == u'.' || c == u':' || c == u'^' || c == u'`';
        return ignorable ? kEdgeUndecided : kEdgeOther;
    }
    return c >= kFirstCapital && c <= kLastLetter && c != kUnassigned ? kEdgeCased : kEdgeUndecided;
}

// The kinds of all units below kEdgeKindsCovered, and of every one from there on.
struct EdgeKinds {
    std::uint8_t kind[kEdgeKindsCovered + 1];
};

constexpr EdgeKinds makeEdgeKinds()
{
    EdgeKinds kinds{};
    for (char16_t c = 0; c <= kEdgeKindsCovered; ++c)
        kinds.kind[c] = edgeKind(c);
    return kinds;
}

constexpr EdgeKinds kEdgeKinds = makeEdgeKinds();

inline int edgeKindAt(const char16_t* s, std::ptrdiff_t n, std::ptrdiff_t at)
{
    if (at < 0 || at >= n)
        return kEdgeOther; // the text's own start or end
    return kEdgeKinds.kind[s[at] < kEdgeKindsCovered ? s[at] : kEdgeKindsCovered];
}

#if defined(__SSE2__)
// Bytes in [first, first + count), counted modulo 256: the shift puts that range at
// the bottom of the signed range, where one comparison finds it.
inline __m128i bytesIn(__m128i v, int first, int count)
{
    const __m128i shifted = _mm_add_epi8(v, _mm_set1_epi8(static_cast<char>(0x80 - first)));
    return _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(count - 0x80)));
}

inline __m128i bytesEqual(__m128i v, int byte)
{
    return _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(byte)));
}

// One bit a unit, for a block and two units either side of it: bit 0 is the unit two
// before the block, bit 2 its first lane, bit 19 the unit two after it.
struct SigmaContext {
    std::uint32_t cased;
    std::uint32_t unsure; // case-ignorable, or not known past the block's edge

    // Per lane: a cased letter is the first unit on that side that is not case-ignorable
    // (looking through one); undecided where two unsure units come in a row.
    std::uint32_t casedAt(int shift) const { return (cased >> shift) & 0xFFFF; }
    std::uint32_t unsureAt(int shift) const { return (unsure >> shift) & 0xFFFF; }
    std::uint32_t casedSide(int near, int far) const
    {
        return casedAt(near) | (unsureAt(near) & casedAt(far));
    }
    std::uint32_t unsureSide(int near, int far) const { return unsureAt(near) & unsureAt(far); }
    std::uint32_t casedBefore() const { return casedSide(1, 0); }
    std::uint32_t casedAfter() const { return casedSide(3, 4); }
    std::uint32_t undecided() const { return unsureSide(1, 0) | unsureSide(3, 4); }
};

// The lanes of a 16-bit mask as bytes of 0 or 1.
inline __m128i laneBits(std::uint32_t mask)
{
    __m128i spread = _mm_cvtsi32_si128(int(mask));
    spread = _mm_unpacklo_epi8(spread, spread);
    spread = _mm_unpacklo_epi16(spread, spread);
    spread = _mm_unpacklo_epi32(spread, spread); // low byte in lanes 0-7, high byte in 8-15
    const __m128i bit = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
    return _mm_min_epu8(_mm_and_si128(spread, bit), _mm_set1_epi8(1));
}

// Lowers text of ASCII and the Greek letters Α..ώ (Greek written in capitals is mostly
// that) sixteen units at a time from s[i]. Within that set the low byte alone tells a
// unit (ASCII below 0x80, Α..ώ from 0x91 on), so the work is done on the low bytes of a
// block at once, once the high bytes are checked to be the ones that go with them. A
// sigma is decided from its neighbours; by the full word rule where they do not tell.
// Returns where it stopped: at a block with anything else, or near the end of the text.
template <bool Turkic>
std::ptrdiff_t lowerBlocks(const char16_t* s, char16_t* out, std::ptrdiff_t n, std::ptrdiff_t i, SigmaRule endsWord)
{
    constexpr int kLow = kFirstCapital & 0xFF;
    const __m128i lowBytes = _mm_set1_epi16(0xFF);
    // The two units before the block, bits 0 and 1: the first block's by their kinds.
    const int first = edgeKindAt(s, n, i - 1);
    std::uint32_t casedBefore = first == kEdgeCased ? 2 : 0;
    std::uint32_t unsureBefore = first == kEdgeUndecided ? 3 : 1;
    for (; n - i >= 16; i += 16) {
        const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 8));
        const __m128i lo = _mm_packus_epi16(_mm_and_si128(v0, lowBytes), _mm_and_si128(v1, lowBytes));
        const __m128i hi = _mm_packus_epi16(_mm_srli_epi16(v0, 8), _mm_srli_epi16(v1, 8));
        const __m128i ascii = _mm_cmpgt_epi8(lo, _mm_set1_epi8(-1));
        const __m128i greek = bytesIn(lo, kLow, kLastLetter - kFirstCapital + 1);
        const __m128i greekHigh = _mm_andnot_si128(ascii, _mm_set1_epi8(kFirstCapital >> 8));
        const __m128i belongs = _mm_and_si128(_mm_cmpeq_epi8(hi, greekHigh), _mm_or_si128(ascii, greek));
        const __m128i known = _mm_andnot_si128(bytesEqual(lo, kUnassigned & 0xFF), belongs);
        if (_mm_movemask_epi8(known) != 0xFFFF)
            break;
        const __m128i cased = _mm_or_si128(greek, bytesIn(_mm_or_si128(lo, _mm_set1_epi8(0x20)), 'a', 26));
        const __m128i ignorable =
            _mm_or_si128(_mm_or_si128(bytesEqual(lo, '\''), bytesEqual(lo, '.')),
                         _mm_or_si128(bytesEqual(lo, ':'), _mm_or_si128(bytesEqual(lo, '^'), bytesEqual(lo, '`'))));
        const std::uint32_t casedLanes = std::uint32_t(_mm_movemask_epi8(cased));
        const std::uint32_t ignorableLanes = std::uint32_t(_mm_movemask_epi8(ignorable));
        const std::uint32_t sigma = std::uint32_t(_mm_movemask_epi8(bytesEqual(lo, kCapitalSigma & 0xFF)));
        // The unit after the block by its kind; the one after that is not known.
        const int after = edgeKindAt(s, n, i + 16);
        const SigmaContext context{
            casedBefore | casedLanes << 2 | std::uint32_t(after == kEdgeCased) << 18,
            unsureBefore | ignorableLanes << 2 | std::uint32_t(after == kEdgeUndecided) << 18 | 1u << 19};
        casedBefore = casedLanes >> 14;
        unsureBefore = ignorableLanes >> 14;
        // A..Z and Α..Ϋ lower by adding 0x20 (Σ to σ); σ (0x03C3) becomes ς (0x03C2)
        // after a letter and before none.
        const __m128i capital =
            _mm_or_si128(bytesIn(lo, 'A', 26), bytesIn(lo, kLow, kLastCapital - kFirstCapital + 1));
        const std::uint32_t wordEnd = sigma & context.casedBefore() & ~context.casedAfter();
        const __m128i lowered =
            _mm_xor_si128(_mm_add_epi8(lo, _mm_and_si128(capital, _mm_set1_epi8(0x20))), laneBits(wordEnd));
        std::uint32_t undecided = sigma & context.undecided();
        __m128i out0 = _mm_unpacklo_epi8(lowered, hi);
        __m128i out1 = _mm_unpackhi_epi8(lowered, hi);
        if constexpr (Turkic) {
            // I lowers to the dotless ı, outside ASCII: the i it became gets its twin.
            const __m128i twin = _mm_set1_epi16(short(u'i' ^ 0x0131));
            const __m128i capitalI = _mm_set1_epi16(short(u'I'));
            out0 = _mm_xor_si128(out0, _mm_and_si128(_mm_cmpeq_epi16(v0, capitalI), twin));
            out1 = _mm_xor_si128(out1, _mm_and_si128(_mm_cmpeq_epi16(v1, capitalI), twin));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), out0);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), out1);
        for (; undecided; undecided &= undecided - 1) {
            const std::ptrdiff_t at = i + __builtin_ctz(undecided);
            out[at] = endsWord(s, n, at) ? kFinalSigma : kSmallSigma;
        }
    }
    return i;
}
#endif

} // namespace greek

} // namespace
