#pragma once

#include <cstdint>

// The process-wide generator behind the random transform. It starts every run
// from the same fixed state and is never reseeded, so a run repeats the choices
// of the previous one, and the sequence continues from call to call.
class RandomGenerator final {
public:
    RandomGenerator() = delete;

    // The next number of the sequence, uniform in [0, 1), in steps of 2^-24.
    static float next();

    // Puts the sequence back at its start. For tests only, which need a known
    // position in the sequence; the program itself never does this.
    static void resetForTests();
};
