// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace Numbers {

/**
 * The number at the start of `text`: leading blanks skipped, an optional sign,
 * digits with "." as the decimal point and an optional exponent; reading stops at
 * the first character that cannot continue the number. No number gives 0; a number
 * too large for a double gives the largest double of its sign.
 */
double leadingNumber(QStringView text);

/** Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4). */
double roundHalfEven(double value);

/**
 * The whole of `text` (blanks around it allowed) as a decimal number, or nothing
 * when any other character stands in it.
 */
std::optional<double> wholeNumber(QStringView text);

/** Seconds of the interval box as a timer period in milliseconds, halves to even. */
std::int64_t intervalMilliseconds(QStringView text);

} // namespace Numbers
