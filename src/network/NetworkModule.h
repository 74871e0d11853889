// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "network/WebAccess.h"

#include <QStringList>

/**
 * Finds and loads the network module, the library that holds all of Qt Network, on
 * first use: the program starts without Qt Network and the libraries it pulls in, and
 * pays for them only once it fetches something or asks whether it is on line. Called
 * from the main thread only.
 */
namespace NetworkModule {

/**
 * The module, loaded by the first call; null when it cannot be had (not there, not
 * loadable, or built for another interface), which is said once on the error output
 * and never tried again.
 */
Web::Module *get();

/** The module's file name on this system. */
QString fileName();

/** Where the module is looked for, in order: the program's own folder, then the installed one. */
QStringList defaultFolders();

/**
 * Looks for the module in `folders` from now on, and forgets the outcome of an earlier
 * search (tests). A module loaded before stays loaded.
 */
void searchIn(const QStringList &folders);

} // namespace NetworkModule
