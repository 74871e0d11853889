// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "engine/PickHistory.h"
#include "engine/UniformRandom.h"

#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <vector>

/**
 * Which item of the picture list a show step lands on. No widgets here: the caller
 * passes the list's size and selection and shows what comes back.
 */
namespace Stepping {

struct List
{
    /** Item count, read afresh for every step. */
    qint64 count = 0;
    /** Whether item i is selected. */
    std::function<bool(qint64)> isSelected;
};

enum class Outcome {
    Show,    ///< show `index`; the position already points past it
    Nothing, ///< the pass ran out while looking; nothing to show this time
    Wrapped, ///< the pass was over and starts again (Repeat); nothing shown
    Ended,   ///< the pass was over without Repeat: the show stops
};

/** How a forward step picks its item and what it does at the end of a pass. */
struct Options
{
    /** Draw the items in random order, each once per pass, instead of in list order. */
    bool random = false;
    /** Start a finished pass again instead of ending the show. */
    bool repeat = false;
};

struct Forward
{
    Outcome outcome = Outcome::Nothing;
    qint64 index = -1;
};

/**
 * One forward step from `position`. In random order every index is drawn once per
 * pass, unselected ones included, and the position counts the draws.
 */
Forward forward(qint64 &position, const List &list, Options options, PickHistory &history,
                UniformRandom &generator);

/**
 * The indices that the next forward steps would show, nearest first, at most `count`;
 * steps that show nothing (the end of a pass, a wrap) are passed over. Worked out on
 * copies of the history and the generator, so the real sequence is untouched.
 */
std::vector<qint64> peekForward(qint64 position, const List &list, Options options,
                                PickHistory history, UniformRandom generator, int count);

/**
 * One step back: the nearest selected item below `position`, which becomes the
 * position; -1 (position unchanged) when there is none.
 */
qint64 back(qint64 &position, const List &list);

/** The indices that steps back from `position` would show, nearest first, at most `count`. */
std::vector<qint64> peekBack(qint64 position, const List &list, int count);

} // namespace Stepping
