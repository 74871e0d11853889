// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <optional>

/** How the settings, stored and exchanged as strings, turn back into values. */
namespace StoredValues {

/**
 * The whole text as a decimal number (blanks around it allowed), rounded to a whole
 * number with halves to even; nothing when it is not a number or does not fit a
 * signed 16-bit integer.
 */
std::optional<int> toInteger(QStringView text);

/** A check-box value (0, 1 or 2) from `text`; nothing for anything else. */
std::optional<int> toCheckBoxValue(QStringView text);

/**
 * "True" or "False" in any letter case, or a number (0 false, any other true);
 * nothing for anything else.
 */
std::optional<bool> toBoolean(QStringView text);

/** The form a check mark is stored in: "True" or "False". */
QString fromBoolean(bool value);

} // namespace StoredValues
