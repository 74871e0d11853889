// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

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
    bool isDrawnBelow(qint64 index, qint64 position)
    {
        // A random pass asks this millions of times at one position: keep it inline,
        // answered from one bit per index, which stays in the processor's cache.
        const auto i = std::size_t(index);
        if (position == mCovered && index >= 0 && i / 64 < mDrawn.size())
            return (mDrawn[i / 64] >> (i % 64)) & 1u;
        return isDrawnBelowMoving(index, position);
    }

    /** Writes draw number `position`, growing the history as needed. */
    void record(qint64 position, qint64 index);

private:
    bool isDrawnBelowMoving(qint64 index, qint64 position);
    void moveTo(qint64 position);
    void adjust(qint64 index, int delta);
    std::uint32_t &countOf(qint64 index);

    std::vector<qint64> mDraws;
    // Per list index: how often it stands below mCovered, valid while its stamp is
    // the current generation, so a reset costs nothing per index.
    struct Slot
    {
        std::uint32_t stamp = 0;
        std::uint32_t count = 0;
    };
    std::vector<Slot> mSlots;
    // Bit i: index i is drawn below mCovered (its count is above zero).
    std::vector<std::uint64_t> mDrawn;
    std::uint32_t mGeneration = 1;
    qint64 mCovered = 0;
};
