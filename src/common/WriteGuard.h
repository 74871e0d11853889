// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

/**
 * A tripwire against writing where a run must not write. The program never arms it;
 * the test start-up arms it with the real home and its own sandbox, so that a writer
 * that missed the redirection stops the run instead of changing a developer's files.
 */
namespace WriteGuard {

/**
 * From now on refuses writes under `root` except those under `allowed` (which may lie
 * inside `root`); an empty `root` disarms the guard.
 */
void forbid(const QString &root, const QString &allowed);

/** The root in force: empty unless armed. */
QString forbiddenRoot();

/**
 * The decision, on paths alone: whether `path` is `root` or below it and not `allowed`
 * or below that. Paths are compared cleaned and absolute; never when `root` is empty.
 */
bool isRefused(const QString &path, const QString &root, const QString &allowed);

/**
 * Whether the guard in force refuses a write to `path`, spelled as given or with its
 * links resolved as far as it exists.
 */
bool refuses(const QString &path);

/**
 * Called by every writer of the program's files before it writes `path`: ends the
 * process with a message naming `what` when refuses(`path`).
 */
void checkWrite(const QString &path, const char *what);

} // namespace WriteGuard
