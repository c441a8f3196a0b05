#pragma once

#include <cstdint>

// The generator behind the random transform. Every generator starts from the same
// fixed state and is never reseeded; the program draws from the one it owns, so a run
// repeats the choices of the previous one and the sequence continues from call to call.
class RandomGenerator final {
public:
    // The next number of the sequence, uniform in [0, 1), in steps of 2^-24.
    float next();

private:
    std::uint32_t nextBits();

    std::uint64_t m_state = 0x853c49e6748fea9bULL;
};
