// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

/**
 * The open-file dialog as a module: callers set the title, the filter list and the
 * proposed name, call ShowOpenDialog() and read the chosen path back from
 * mDlgFileName. The dialog remembers, for the whole run, which filter was picked
 * last and offers it first at the next opening.
 */
namespace OpenFileDlg {

/** The dialog's title. */
extern QString mDlgTitle;
/**
 * The filters as pairs of a label and a ';'-separated pattern list, every string
 * ended by a NUL and the whole list by one more: "Pictures\0*.jpg;*.bmp\0\0".
 */
extern QString mDlgFilter;
/** In: the name proposed. Out: the full path chosen, or empty when cancelled. */
extern QString mDlgFileName;

/** Opens the dialog and waits for the user; see the variables above. */
void ShowOpenDialog();

/** mDlgFilter's form turned into chooser filters: "Pictures (*.jpg *.bmp)". */
QStringList chooserFilters(const QString &nulSeparated);

/** Forgets the filter picked last, as at the start of a run (tests). */
void resetForTesting();

} // namespace OpenFileDlg
