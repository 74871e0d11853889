#pragma once

#include "common/TriCheckBox.h"
#include "config/StoredValues.h"

#include <QAction>
#include <QString>

/** Stored strings put into the controls that hold them; a value that does not convert changes
 * nothing. */
namespace StoredControls {

inline void applyCheckBox(TriCheckBox *box, const QString &stored)
{
    if (const std::optional<int> value = StoredValues::toCheckBoxValue(stored))
        box->setValue(*value);
}

inline void applyCheckMark(QAction *entry, const QString &stored)
{
    if (const std::optional<bool> value = StoredValues::toBoolean(stored))
        entry->setChecked(*value);
}

} // namespace StoredControls
