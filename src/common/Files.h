// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QFlags>
#include <QString>

class QFile;
class QIODevice;

/**
 * How the program decides which files it may read, reads them, writes and discards
 * them. It reads only regular files and never blocks on a pipe or a device; it replaces
 * a file whole or leaves it as it was.
 */
namespace Files {

/** Rules a caller adds to what counts as a file to read. */
enum Rule {
    /** A symbolic link at the name is refused, even one that leads to a regular file. */
    NoLinks = 0x1,
    /** A hidden file is refused, as the folder scan passes it over. */
    NoHidden = 0x2,
};
Q_DECLARE_FLAGS(Rules, Rule)

/** What a path names. */
enum class Kind { Missing, Folder, File, Other };

/**
 * What `path` names, asked by its bytes (Paths::toNative()): following links, unless
 * `rules` hold NoLinks, when a link is Other (Windows) or what the link itself is.
 */
Kind kindOf(const QString &path, Rules rules = {});

/**
 * Whether `path` names a file the program may read: a regular file (a link to one
 * counts unless `rules` say otherwise) whose name holds no NUL. Looks without opening,
 * so a pipe or a device cannot block it; permissions are left to the opening.
 */
Result<> check(const QString &path, Rules rules = {});

/** Opens `path` for reading by the rules of check(), judging what was opened. */
Result<> openForReading(const QString &path, QFile &file, Rules rules = {});

/**
 * For tests: `stall`, when set, is called with the path by every openForReading() once the
 * file is open, on the thread that reads it, before anything is read: it stands for a disk
 * or a network share that stops answering (by blocking until the test lets it go).
 */
using Stall = void (*)(const QString &path);
void setStallForTests(Stall stall);

/** At most `maxBytes` from the start of `path`, opened as openForReading() does. */
Result<QByteArray> read(const QString &path, qint64 maxBytes, Rules rules = {});

/**
 * Makes `content` the whole of the file `path`: written unbuffered under a temporary
 * name beside it, then renamed over it, so that on any failure the old file stays as it
 * was. A link at `path` is replaced, never written through. An existing file keeps its
 * permissions; a new one gets those the user's files get.
 */
Result<> replace(const QString &path, const QByteArray &content);

/** The same with what is left to read of `source` as the content, copied in blocks. */
Result<> replace(const QString &path, QIODevice &source);

/**
 * Moves `path` to the desktop's trash: on Linux the trash of the file system it is on
 * (the home trash, or one at the top of that file system), by a rename, with the note
 * that lets the desktop put it back. Error::NoTrash when no trash can take it; the
 * file is then where it was.
 */
Result<> moveToTrash(const QString &path);

/** Deletes `path` for good (a link, not what it leads to); never a folder. */
Result<> removeForGood(const QString &path);

/**
 * What the system's reason for a failed call (errno; on Windows, GetLastError()) means
 * to the user; a reason not named is a plain access error.
 */
#ifdef Q_OS_WIN
Error fromSystemError(unsigned long code);
#else
Error fromSystemError(int code);
#endif

} // namespace Files

Q_DECLARE_OPERATORS_FOR_FLAGS(Files::Rules)
