// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <string_view>

/**
 * Name order as a person reads it: letters without regard to case, runs of digits
 * by their value (IMG_2 before IMG_10). Names that differ only in case or leading
 * zeros fall back to byte order, so the order is total and the same on every run.
 */
bool naturalLess(std::string_view a, std::string_view b);

/**
 * A byte string whose plain order is the name order above (up to the final byte-order
 * tie-break): letters folded, each run of digits as a marker, its length without
 * leading zeros, and its digits. Sorting many names by key is cheaper than comparing
 * them with naturalLess over and over.
 */
std::string naturalKey(std::string_view name);

/** Appends naturalKey(name) to `out`. */
void appendNaturalKey(std::string &out, std::string_view name);
