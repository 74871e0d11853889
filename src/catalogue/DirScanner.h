// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "catalogue/FileTypes.h"
#include "common/Result.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

/** The file-system attribute bits the walk looks at, numbered as Windows numbers them. */
namespace FileAttribute {
inline constexpr std::uint32_t ReadOnly = 0x1;
inline constexpr std::uint32_t Hidden = 0x2;
inline constexpr std::uint32_t System = 0x4;
inline constexpr std::uint32_t Directory = 0x10;
inline constexpr std::uint32_t Archive = 0x20;
inline constexpr std::uint32_t Device = 0x40;
inline constexpr std::uint32_t Normal = 0x80;
inline constexpr std::uint32_t ReparsePoint = 0x400;
} // namespace FileAttribute

/**
 * The folder walk behind the picture list. Breadth-first over the whole tree, one
 * listing open at a time, no recursion: a folder is listed to its end, its pictures
 * handed out in name order, and its subfolders queued in name order.
 *
 * What is entered and listed: hidden entries (a leading ".") never; a folder only
 * when it is a real folder (never through a link, which also stops link loops);
 * a picture only when it is, or links to, a regular file (no FIFO, socket or device
 * is ever listed, a dangling link is skipped). A name is listed whatever bytes it
 * holds (see Paths::fromNative()).
 *
 * On Windows the entries' own attributes decide instead (see actionFor()), and a drive
 * root that cannot be read (no medium, not ready, no such drive) fails the walk.
 */
class DirScanner
{
public:
    /** Pictures of one folder: `folder` ends in a separator, `names` are bare names. */
    using FolderSink = std::function<void(const QString &folder, const QStringList &names)>;
    /** Called every `intervalMs` or so while the walk runs, with the pictures found so far. */
    using Progress = std::function<void(qsizetype found)>;

    /** What the walk does with one entry of a listing. */
    enum class EntryAction {
        Enter,    ///< a folder to walk
        Consider, ///< a file: listed when its name has a picture type
        Skip,     ///< neither entered nor listed
    };

    /**
     * The walk's rule on an entry's attribute bits (FileAttribute): hidden and system
     * entries are skipped; a folder is entered only when its bits are exactly the folder
     * bit, and any other folder (read-only, archive, a link) is skipped, never listed;
     * a device is skipped; anything else is a file.
     */
    static EntryAction actionFor(std::uint32_t attributes);

    DirScanner(FileTypeCode code, FolderSink sink);

    void setProgress(Progress progress, int intervalMs = defaultProgressInterval());

    /** The progress interval a scan gets by default; tests set 0: after every folder. */
    static int defaultProgressInterval();
    static void setDefaultProgressInterval(int intervalMs);

    /**
     * Walks `path` (with or without trailing separator; an empty path is the root).
     * Unreadable subfolders are skipped, and an absent folder lists nothing; the error
     * is why the chosen folder itself could not be read.
     */
    Result<> scan(const QString &path);

    /**
     * Pictures the last scan found but could not list: their path is longer than the
     * system lets a file be opened by (Linux: PATH_MAX bytes).
     */
    qsizetype leftOut() const { return mLeftOut; }

private:
    /**
     * The walk itself, for a path the system can take: the same on every system, with
     * one step of its own per system that lists a folder.
     */
    Result<> walk(const QString &path);

    FileTypeCode mCode;
    FolderSink mSink;
    Progress mProgress;
    int mProgressInterval = 50;
    qsizetype mLeftOut = 0;
};
