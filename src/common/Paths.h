// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

/** Path rules shared by the scan, the show start and start-up. */
namespace Paths {

/** The separator that ends every folder of the list ("/" here, "\" on Windows). */
QChar separator();

/** True for what a drive root is on this platform: "X:\" on Windows, "/" elsewhere. */
bool isDriveRoot(const QString &path);

/**
 * The folder as the show keeps it after a start: a drive root loses its trailing
 * separator ("C:\" becomes "C:"); "/" stays "/", the only spelling of the root here.
 * Every other path is unchanged.
 */
QString normaliseShowPath(const QString &path);

/** Whether start-up scans a folder that came from the per-user store. */
bool isScannableStoredPath(const QString &path);

/** `path` with exactly one trailing separator added when it has none. */
QString withTrailingSeparator(const QString &path);

/**
 * A name or path as the system gives it (on Linux, bytes), as text: UTF-8 decoded, and
 * each byte that is not part of valid UTF-8 kept as a code from U+DC80 to U+DCFF, so
 * that toNative() gives the very same bytes back, whatever the locale. Qt's own
 * decoding puts U+FFFD in their place, and the file could not be found again.
 */
QString fromNative(const QByteArray &bytes);

/** The bytes the system knows `path` by: the inverse of fromNative(). */
QByteArray toNative(const QString &path);

/**
 * `path` as the user reads it: each byte that fromNative() kept is shown as the Latin-1
 * character of that byte (old media write names so), or as U+FFFD where that is a
 * control character. Only for showing; never to find the file by.
 */
QString readable(const QString &path);

/** Folder of the running executable, without trailing separator. */
QString executableFolder();

/** Base name of the running executable ("Vivrel"). */
QString executableBaseName();

/**
 * Makes executableFolder() and executableBaseName() answer as if the program ran
 * from `folder` under `baseName` (tests); empty strings restore the real answers.
 */
void setExecutableForTesting(const QString &folder, const QString &baseName);

} // namespace Paths
