// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/PickHistory.h"

#include <algorithm>

void PickHistory::reset()
{
    mDraws.clear();
    mCovered = 0;
    std::fill(mDrawn.begin(), mDrawn.end(), 0u);
    if (++mGeneration == 0) {
        // The stamps wrapped round: start them afresh.
        std::fill(mSlots.begin(), mSlots.end(), Slot());
        mGeneration = 1;
    }
}

qint64 PickHistory::entry(qint64 k) const
{
    if (k < 0 || k >= size())
        return -1;
    return mDraws[std::size_t(k)];
}

std::uint32_t &PickHistory::countOf(qint64 index)
{
    const auto i = std::size_t(index);
    if (i >= mSlots.size()) {
        mSlots.resize(i + 1);
        mDrawn.resize(i / 64 + 1, 0u);
    }
    Slot &slot = mSlots[i];
    if (slot.stamp != mGeneration) {
        slot.stamp = mGeneration;
        slot.count = 0;
    }
    return slot.count;
}

void PickHistory::adjust(qint64 index, int delta)
{
    if (index < 0)
        return;
    std::uint32_t &count = countOf(index);
    count = std::uint32_t(qint64(count) + delta);
    const auto i = std::size_t(index);
    const std::uint64_t bit = std::uint64_t(1) << (i % 64);
    if (count > 0)
        mDrawn[i / 64] |= bit;
    else
        mDrawn[i / 64] &= ~bit;
}

void PickHistory::moveTo(qint64 position)
{
    position = std::max<qint64>(position, 0);
    while (mCovered < position)
        adjust(entry(mCovered++), +1);
    while (mCovered > position)
        adjust(entry(--mCovered), -1);
}

bool PickHistory::isDrawnBelowMoving(qint64 index, qint64 position)
{
    if (index < 0)
        return false;
    moveTo(position);
    return countOf(index) > 0;
}

void PickHistory::record(qint64 position, qint64 index)
{
    if (position < 0)
        return;
    // An entry below the covered prefix is counted; keep the count true when it changes.
    const bool counted = position < mCovered;
    if (counted)
        adjust(entry(position), -1);
    if (position >= size())
        mDraws.resize(std::size_t(position) + 1, -1);
    mDraws[std::size_t(position)] = index;
    if (counted)
        adjust(index, +1);
}
