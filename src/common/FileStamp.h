// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QtGlobal>

/**
 * What tells one version of a file from another without reading it: size,
 * modification time, change time and file number. The change time moves with every
 * write even when the writer puts the old size and modification time back, which a
 * rewrite in place can. A file that is not there has the empty stamp.
 */
struct FileStamp
{
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    /** When the file's content or entry last changed; the user cannot set it back. */
    qint64 changedNs = 0;
    quint64 device = 0;
    quint64 inode = 0;

    bool operator==(const FileStamp &) const = default;

    /** The stamp of `path` now (following links). */
    static FileStamp of(const QString &path);
};
