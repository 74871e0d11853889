// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

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
    float next()
    {
        // splitmix64: small, fast, and good enough for a picture order.
        std::uint64_t z = (mState += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        z ^= z >> 31;
        // The top 24 bits fill a float's mantissa exactly.
        return float(z >> 40) * 0x1p-24f;
    }

    /** An index in [0, n) drawn as floor(n * u); n must be at least 1. */
    qint64 nextIndex(qint64 n)
    {
        const float u = next();
        // The product of a 24-bit fraction and n is exact in double for any list that
        // fits in memory, so the result stays below n.
        // Truncation is the floor here: the product is never negative.
        const auto r = static_cast<qint64>(double(n) * double(u));
        return r < n ? r : n - 1;
    }

private:
    std::uint64_t mState = 0x5eed0f7a11b0c0deULL;
};
