// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

/** Values and routines that belong to no single window. */
namespace Module1 {

/** The program's title: the title of message boxes that give none, the store's name. */
QString programTitle();

/** The main window's caption. */
QString mainCaption();

/**
 * The user's private folder for the program's working files, ending in a separator.
 * Created (mode 0700) on first use; never empty.
 */
QString &mTempPath();

/** Makes mTempPath() the user's private cache folder, creating it. */
void initTempPath();

/** Version as "major.minor.revision". */
QString versionString();

} // namespace Module1
