// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "config/StoredValues.h"
#include "widgets/TriCheckBox.h"

#include <QString>

/**
 * Controls to and from the strings the store keeps. A stored string that does not convert
 * changes nothing.
 */
namespace StoredControls {

inline void applyCheckBox(TriCheckBox *box, const QString &stored)
{
    if (const std::optional<int> value = StoredValues::toCheckBoxValue(stored))
        box->setValue(*value);
}

/** Sets a check mark through `set` of `owner`, e.g. the viewer's Stretch entry. */
template <typename Owner>
void applyCheckMark(Owner &owner, void (Owner::*set)(bool), const QString &stored)
{
    if (const std::optional<bool> value = StoredValues::toBoolean(stored))
        (owner.*set)(*value);
}

/** A check box's value as it is stored: "0", "1" or "2". */
inline QString checkBoxText(const TriCheckBox &box)
{
    return QString::number(box.value());
}

/** A check mark as it is stored: "True" or "False". */
inline QString checkMarkText(bool checked)
{
    return StoredValues::fromBoolean(checked);
}

} // namespace StoredControls
