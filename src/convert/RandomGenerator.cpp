#include "convert/RandomGenerator.h"

namespace {

// PCG32 (XSH RR): 64-bit linear congruential state, permuted 32-bit output.
// Small, fast and statistically sound for choosing letter cases.
constexpr std::uint64_t kMultiplier = 6364136223846793005ULL;
constexpr std::uint64_t kIncrement = 0xda3e39cb94b95bdbULL; // odd, as the LCG needs

} // namespace

std::uint32_t RandomGenerator::nextBits()
{
    const std::uint64_t old = m_state;
    m_state = old * kMultiplier + kIncrement;
    const auto xorshifted = static_cast<std::uint32_t>(((old >> 18U) ^ old) >> 27U);
    const auto rot = static_cast<std::uint32_t>(old >> 59U);
    return (xorshifted >> rot) | (xorshifted << ((32U - rot) & 31U));
}

float RandomGenerator::next()
{
    // The top 24 bits fill a float's mantissa exactly, so the result is never 1.
    return static_cast<float>(nextBits() >> 8U) * (1.0F / 16777216.0F);
}
