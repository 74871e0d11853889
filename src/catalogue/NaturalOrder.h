// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <string_view>

/**
 * Name order as a person reads it: letters without regard to case, runs of digits
 * by their value (IMG_2 before IMG_10). Names that differ only in case or leading
 * zeros fall back to byte order, so the order is total and the same on every run.
 *
 * The order is the one of the names' keys (naturalKey()), ties broken by the names'
 * own bytes: the folder walk sorts by keys it makes once per name, and naturalLess()
 * makes them for one comparison.
 */
bool naturalLess(std::string_view a, std::string_view b);

/**
 * A byte string whose plain (unsigned) byte order is the name order above, up to the
 * final byte-order tie-break: letters folded, each run of digits as a marker, its
 * length without leading zeros, and its digits.
 */
std::string naturalKey(std::string_view name);

/** Appends naturalKey(name) to `out`. */
void appendNaturalKey(std::string &out, std::string_view name);

/** The name order of `a` and `b` given with their keys: by key, ties by the names' bytes. */
inline bool keyedLess(std::string_view keyA, std::string_view a, std::string_view keyB,
                      std::string_view b)
{
    const int byKey = keyA.compare(keyB);
    return byKey != 0 ? byKey < 0 : a < b;
}
