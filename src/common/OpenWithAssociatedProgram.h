// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace Module1 {

/**
 * Opens a picture with the program the desktop associates with its type. The program
 * gets a working copy, mTempPath() + "Tremallo." + the path's last three characters,
 * so it never edits or locks the original. Any failure is shown in a critical
 * message box; nothing is returned.
 */
void OpenWithAssociatedProgram(const QString &path);

/** The working copy's name for `path`; empty when the path gives no extension. */
QString workingCopyName(const QString &path);

} // namespace Module1
