#pragma once

#include "common/TriCheckBox.h"
#include "config/StoredValues.h"

#include <QString>

/** Stored strings put into the controls that hold them; a value that does not convert changes
 * nothing. */
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

} // namespace StoredControls
