// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/Stepping.h"

#include <algorithm>

namespace Stepping {

Forward forward(qint64 &position, const List &list, Options options, PickHistory &history,
                UniformRandom &generator)
{
    const qint64 n = list.count;
    if (position >= n) {
        if (options.repeat) {
            history.reset();
            position = 0;
            return {Outcome::Wrapped, -1};
        }
        return {Outcome::Ended, -1};
    }
    // A position that something set below zero starts the pass from its beginning.
    position = std::max<qint64>(position, 0);
    for (;;) {
        qint64 r = position;
        if (options.random) {
            // position < n draws stand below the position and they are all different,
            // so an undrawn index remains and the loop ends.
            do {
                r = generator.nextIndex(n);
            } while (history.isDrawnBelow(r, position));
            history.record(position, r);
        }
        ++position;
        if (list.isSelected(r))
            return {Outcome::Show, r};
        if (position >= n)
            return {Outcome::Nothing, -1};
    }
}

std::vector<qint64> peekForward(qint64 position, const List &list, Options options,
                                PickHistory history, UniformRandom generator, int count)
{
    std::vector<qint64> shown;
    // A slide comes within three steps (the pass runs out, wraps, then shows) when there
    // is one at all; a list with nothing selected would otherwise step forever.
    for (int steps = 0; steps < 3 * count && qsizetype(shown.size()) < count; ++steps) {
        const Forward step = forward(position, list, options, history, generator);
        if (step.outcome == Outcome::Ended)
            break;
        if (step.outcome == Outcome::Show)
            shown.push_back(step.index);
    }
    return shown;
}

qint64 back(qint64 &position, const List &list)
{
    for (qint64 i = std::min(position, list.count) - 1; i >= 0; --i) {
        if (list.isSelected(i)) {
            position = i;
            return i;
        }
    }
    return -1;
}

std::vector<qint64> peekBack(qint64 position, const List &list, int count)
{
    std::vector<qint64> shown;
    while (qsizetype(shown.size()) < count) {
        const qint64 index = back(position, list);
        if (index < 0)
            break;
        shown.push_back(index);
    }
    return shown;
}

} // namespace Stepping
