#include "engine/UniformRandom.h"

#include <cmath>

float UniformRandom::next()
{
    // splitmix64: small, fast, and good enough for a picture order.
    std::uint64_t z = (mState += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    z ^= z >> 31;
    // The top 24 bits fill a float's mantissa exactly.
    return float(z >> 40) * 0x1p-24f;
}

qint64 UniformRandom::nextIndex(qint64 n)
{
    const float u = next();
    // The product of a 24-bit fraction and n is exact in double for any list that fits
    // in memory, so the result stays below n.
    const auto r = static_cast<qint64>(std::floor(double(n) * double(u)));
    return r < n ? r : n - 1;
}
