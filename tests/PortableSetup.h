// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/**
 * The few file-system set-ups the tests need that are made differently on POSIX systems
 * and on Windows, or exist on one only. A test asks whether the set-up can be made and
 * skips itself, saying why, where it cannot.
 */
namespace PortableSetup {

#ifdef Q_OS_WIN
inline constexpr bool kHasFifos = false;
#else
inline constexpr bool kHasFifos = true;
#endif

/** Makes a named pipe (FIFO) at `path`; only where kHasFifos (Windows has none in its file system).
 */
bool makeFifo(const QString &path);

/** True where this process reads past every permission (root on POSIX systems). */
bool readsPastPermissions();

/**
 * Makes the file at `path` unreadable to this process while the object lives: its
 * permissions cleared on POSIX systems; on Windows, where permission bits do not stop a
 * reader, the file is held open with no sharing allowed, as a program that has it in
 * use does. isActive() says whether it worked (not as root on POSIX systems).
 */
class UnreadableFile
{
public:
    explicit UnreadableFile(const QString &path);
    ~UnreadableFile();
    UnreadableFile(const UnreadableFile &) = delete;
    UnreadableFile &operator=(const UnreadableFile &) = delete;

    bool isActive() const { return mActive; }
    /** Makes it readable again before the object ends. */
    void release();

private:
    QString mPath;
    bool mActive = false;
#ifdef Q_OS_WIN
    void *mHandle = nullptr;
#endif
};

} // namespace PortableSetup
