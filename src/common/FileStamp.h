#pragma once

#include <QString>
#include <QtGlobal>

/**
 * What tells one version of a file from another without reading it: size,
 * modification time and file number. A file that is not there has the empty stamp.
 */
struct FileStamp
{
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    quint64 inode = 0;

    bool operator==(const FileStamp &) const = default;

    /** The stamp of `path` now (following links). */
    static FileStamp of(const QString &path);
};
