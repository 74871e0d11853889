#pragma once

#include <QtGlobal>

#include <cstdint>

/**
 * The show's pseudo-random source: uniform single-precision values in [0, 1).
 * Every instance starts from the same seed, so a given list plays in the same random
 * order in every run. Values are whole multiples of 2^-24, so 1.0 can never come out
 * (a float conversion of a wider value could round up to it).
 */
class UniformRandom
{
public:
    UniformRandom() = default;

    /** The next value, 0 <= u < 1. */
    float next();

    /** An index in [0, n) drawn as floor(n * u); n must be at least 1. */
    qint64 nextIndex(qint64 n);

private:
    std::uint64_t mState = 0x5eed0f7a11b0c0deULL;
};
