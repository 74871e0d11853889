#pragma once

#include <QtGlobal>

#include <cstdint>
#include <vector>

/**
 * The random draws of the current pass: entry k is the list index of draw k.
 * An index counts as drawn when it stands in an entry below the show position;
 * membership is answered in constant time from a per-index count of the entries
 * below the position, which follows the position as it moves (each move costs its
 * distance, which the steps that move it pay anyway).
 */
class PickHistory
{
public:
    /** Forgets every draw. */
    void reset();

    /** Number of entries written so far (including ones above the position). */
    qint64 size() const { return qint64(mDraws.size()); }
    /** Entry k, or -1 when nothing was drawn there. */
    qint64 entry(qint64 k) const;

    /** Whether `index` stands in an entry below `position`. */
    bool isDrawnBelow(qint64 index, qint64 position);

    /** Writes draw number `position`, growing the history as needed. */
    void record(qint64 position, qint64 index);

private:
    void moveTo(qint64 position);
    void adjust(qint64 index, int delta);
    std::uint32_t &countOf(qint64 index);

    std::vector<qint64> mDraws;
    // Per list index: how often it stands below mCovered, valid while its stamp is
    // the current generation, so a reset costs nothing per index.
    std::vector<std::uint32_t> mCount;
    std::vector<std::uint32_t> mStamp;
    std::uint32_t mGeneration = 1;
    qint64 mCovered = 0;
};
