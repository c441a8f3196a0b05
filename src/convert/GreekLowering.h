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

// The cases of a sigma's neighbours on one side, from the kinds (EdgeKind, one a lane)
// of the unit next to it and of the one after that: bit 0 says a cased letter comes
// first (looking through one case-ignorable unit), bit 1 that the full rule must tell
// (two unsure units in a row).
inline __m128i sideOfSigma(__m128i next, __m128i nextButOne)
{
    const __m128i cased = _mm_or_si128(next, _mm_and_si128(_mm_srli_epi16(next, 1), nextButOne));
    const __m128i unsure = _mm_and_si128(next, nextButOne);
    return _mm_or_si128(_mm_and_si128(cased, _mm_set1_epi8(kEdgeCased)),
                        _mm_and_si128(unsure, _mm_set1_epi8(kEdgeUndecided)));
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
    // The kinds of the block before, of which the last lane is the unit before this block.
    __m128i kindsBefore = _mm_slli_si128(_mm_cvtsi32_si128(edgeKindAt(s, n, i - 1)), 15);
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
        const __m128i kinds = _mm_or_si128(_mm_and_si128(cased, _mm_set1_epi8(kEdgeCased)),
                                           _mm_and_si128(ignorable, _mm_set1_epi8(kEdgeUndecided)));
        // The kinds one and two units before and after each lane, the units past the
        // block's edge included; beyond those nothing is known.
        const __m128i edgeBefore = _mm_srli_si128(kindsBefore, 15);
        kindsBefore = kinds;
        const __m128i edgeAfter = _mm_slli_si128(_mm_cvtsi32_si128(edgeKindAt(s, n, i + 16)), 15);
        const __m128i before1 = _mm_or_si128(_mm_slli_si128(kinds, 1), edgeBefore);
        const __m128i before2 = _mm_or_si128(_mm_slli_si128(before1, 1), _mm_cvtsi32_si128(kEdgeUndecided));
        const __m128i after1 = _mm_or_si128(_mm_srli_si128(kinds, 1), edgeAfter);
        const __m128i after2 =
            _mm_or_si128(_mm_srli_si128(after1, 1), _mm_slli_si128(_mm_cvtsi32_si128(kEdgeUndecided), 15));
        const __m128i before = sideOfSigma(before1, before2);
        const __m128i after = sideOfSigma(after1, after2);
        const __m128i sigma = bytesEqual(lo, kCapitalSigma & 0xFF);
        // A..Z and Α..Ϋ lower by adding 0x20 (Σ to σ); σ (0x03C3) becomes ς (0x03C2)
        // after a letter and before none.
        const __m128i capital =
            _mm_or_si128(bytesIn(lo, 'A', 26), bytesIn(lo, kLow, kLastCapital - kFirstCapital + 1));
        const __m128i wordEnd = _mm_and_si128(_mm_andnot_si128(after, before), _mm_and_si128(sigma, _mm_set1_epi8(1)));
        const __m128i lowered = _mm_xor_si128(_mm_add_epi8(lo, _mm_and_si128(capital, _mm_set1_epi8(0x20))), wordEnd);
        // Bit 1 of the sides moved to the top of each byte.
        const __m128i unsure = _mm_slli_epi16(_mm_and_si128(sigma, _mm_or_si128(before, after)), 6);
        std::uint32_t undecided = std::uint32_t(_mm_movemask_epi8(unsure));
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
