// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Folders and pictures named on the command line: they take the place of the
// configuration file's own start once start-up is done.

#include "chrome/frmVivrel.h"

void frmVivrel::openPaths(const QStringList &paths)
{
    // The Additive box keeps what the user sees; the first path replaces the list
    // that start-up filled, as a folder chosen with the button would.
    listPaths(paths, false);
    cmdSelectAll_Click();
    mSelfStarted = true;
    cmdStart_Click();
}
