#pragma once
// The one way the virtual instrument draws a whole number: the generator's
// output taken modulo the width of the range. std::uniform_int_distribution
// differs between standard libraries; this does not, so a run started from the
// same value gives the same bytes everywhere.

#include <cstdint>
#include <random>

// Uniform in [lo, hi] (lo <= hi).
inline int randomIn(std::mt19937 &rng, int lo, int hi) {
    return lo + static_cast<int>(rng() % static_cast<std::uint32_t>(hi - lo + 1));
}
