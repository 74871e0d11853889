// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "catalogue/DirScanner.h"

#include "catalogue/NaturalOrder.h"
#include "common/Files.h"
#include "common/Paths.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#ifdef Q_OS_WIN
#include "common/WindowsApi.h"
#include <QDir>
#else
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

int gDefaultProgressInterval = 50;

} // namespace

DirScanner::DirScanner(FileTypeCode code, FolderSink sink) : mCode(code), mSink(std::move(sink)) {}

int DirScanner::defaultProgressInterval()
{
    return gDefaultProgressInterval;
}

void DirScanner::setDefaultProgressInterval(int intervalMs)
{
    gDefaultProgressInterval = intervalMs;
}

void DirScanner::setProgress(Progress progress, int intervalMs)
{
    mProgress = std::move(progress);
    mProgressInterval = intervalMs;
}

DirScanner::EntryAction DirScanner::actionFor(std::uint32_t attributes)
{
    using namespace FileAttribute;
    if (attributes & (Hidden | System | Device))
        return EntryAction::Skip;
    // Any mark besides the folder bit keeps the walk out (a reparse point among them,
    // which also stops link loops), and a folder is never taken for a picture.
    if (attributes & Directory)
        return attributes == Directory ? EntryAction::Enter : EntryAction::Skip;
    return EntryAction::Consider;
}

void DirScanner::handOut(const QString &folder, const QStringList &names, qsizetype &found,
                         QElapsedTimer &clock)
{
    if (!names.isEmpty()) {
        found += names.size();
        mSink(folder, names);
    }
    if (mProgress && clock.elapsed() >= mProgressInterval) {
        mProgress(found);
        clock.restart();
    }
}

Result<> DirScanner::scan(const QString &path)
{
    mLeftOut = 0;
    // The system would stop reading the name at a NUL and walk another folder.
    if (path.contains(QChar(0)))
        return Error::BadFileName;
    return walk(path);
}

#ifndef Q_OS_WIN

namespace {

// One folder's accepted entries: names and sort keys side by side in one buffer, so a
// folder of any size costs a few allocations, not two per entry.
struct Entry
{
    std::uint32_t name;
    std::uint32_t nameLength;
    std::uint32_t key;
    std::uint32_t keyLength;
    bool isFolder;
};

enum class Kind { Skip, Folder, File };

// What an entry is, from d_type where the file system gives it, else from stat.
Kind classify(int dirFd, const dirent *ent)
{
    const unsigned char type = ent->d_type;
    if (type == DT_DIR)
        return Kind::Folder;
    if (type == DT_REG)
        return Kind::File;
    if (type != DT_LNK && type != DT_UNKNOWN)
        return Kind::Skip; // FIFO, socket, device
    struct stat st;
    if (type == DT_UNKNOWN) {
        if (fstatat(dirFd, ent->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return Kind::Skip;
        if (S_ISDIR(st.st_mode))
            return Kind::Folder;
        if (S_ISREG(st.st_mode))
            return Kind::File;
        if (!S_ISLNK(st.st_mode))
            return Kind::Skip;
    }
    // A link: listed when it leads to a regular file, never entered.
    if (fstatat(dirFd, ent->d_name, &st, 0) != 0)
        return Kind::Skip;
    return S_ISREG(st.st_mode) ? Kind::File : Kind::Skip;
}

/**
 * Opens the folder `native` names even when the whole path is longer than the system
 * takes in one call: step by step, each step a part of the path it does take.
 */
int openFolder(const QByteArray &native)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    const int fd = ::open(native.constData(), flags);
    if (fd >= 0 || errno != ENAMETOOLONG)
        return fd;
    int at = AT_FDCWD;
    qsizetype done = 0;
    while (done < native.size()) {
        qsizetype end = native.size();
        if (end - done > PATH_MAX - 1) {
            end = native.lastIndexOf('/', done + PATH_MAX - 1);
            if (end <= done) {
                if (at != AT_FDCWD)
                    ::close(at);
                errno = ENAMETOOLONG; // one name alone too long: no way in
                return -1;
            }
        }
        const int next = ::openat(at, native.mid(done, end - done).constData(), flags);
        const int reason = errno;
        if (at != AT_FDCWD)
            ::close(at);
        if (next < 0) {
            errno = reason;
            return -1;
        }
        at = next;
        done = end + 1; // past the separator: the next step is relative to this folder
    }
    return at;
}

} // namespace

Result<> DirScanner::walk(const QString &path)
{
    QElapsedTimer clock;
    clock.start();
    qsizetype found = 0;

    std::deque<QString> queue;
    queue.push_back(Paths::withTrailingSeparator(path));
    bool root = true;
    std::vector<Entry> entries;
    std::string arena;
    QStringList names;

    while (!queue.empty()) {
        const QString folder = std::move(queue.front());
        queue.pop_front();
        const bool isRoot = root;
        root = false;

        const QByteArray native = Paths::toNative(folder);
        const int fd = openFolder(native);
        if (fd < 0) {
            const int err = errno;
            if (isRoot && err != ENOENT && err != ENOTDIR) {
                return Files::fromSystemError(err);
            }
            continue; // absent root lists nothing; unreadable subfolders are skipped
        }
        DIR *dir = ::fdopendir(fd);
        if (!dir) {
            ::close(fd);
            continue;
        }
        entries.clear();
        arena.clear();
        errno = 0;
        int readError = 0;
        while (const dirent *ent = ::readdir(dir)) {
            if (ent->d_name[0] == '.')
                continue; // hidden, and "." and ".."
            const Kind kind = classify(fd, ent);
            if (kind == Kind::Skip)
                continue;
            const size_t len = std::strlen(ent->d_name);
            if (kind == Kind::File && !acceptsFileName(ent->d_name, len, mCode))
                continue;
            const std::string_view name(ent->d_name, len);
            Entry entry;
            entry.name = std::uint32_t(arena.size());
            entry.nameLength = std::uint32_t(len);
            arena.append(name);
            entry.key = std::uint32_t(arena.size());
            appendNaturalKey(arena, name);
            entry.keyLength = std::uint32_t(arena.size() - entry.key);
            entry.isFolder = kind == Kind::Folder;
            entries.push_back(entry);
            // A folder of a hundred thousand files must not hold the window up either.
            if ((entries.size() & 4095) == 0 && mProgress && clock.elapsed() >= mProgressInterval) {
                mProgress(found);
                clock.restart();
            }
            errno = 0;
        }
        readError = errno;
        ::closedir(dir);
        if (readError != 0 && isRoot) {
            return Files::fromSystemError(readError);
        }

        const std::string_view all(arena);
        std::sort(entries.begin(), entries.end(), [all](const Entry &a, const Entry &b) {
            const int byKey =
                all.substr(a.key, a.keyLength).compare(all.substr(b.key, b.keyLength));
            if (byKey != 0)
                return byKey < 0;
            return all.substr(a.name, a.nameLength) < all.substr(b.name, b.nameLength);
        });
        names.clear();
        // A picture whose path is longer than the system takes cannot be opened by it:
        // counted, to be told, not listed.
        for (const Entry &e : entries) {
            if (!e.isFolder && native.size() + qsizetype(e.nameLength) > PATH_MAX - 1) {
                ++mLeftOut;
                continue;
            }
            // Whatever bytes the name holds: they come back the same to open it by.
            QString name = Paths::fromNative(
                QByteArray::fromRawData(arena.data() + e.name, qsizetype(e.nameLength)));
            if (e.isFolder)
                queue.push_back(folder + name + u'/');
            else
                names.append(std::move(name));
        }
        handOut(folder, names, found, clock);
    }
    return {};
}

#else // Q_OS_WIN

static_assert(FileAttribute::ReadOnly == FILE_ATTRIBUTE_READONLY &&
              FileAttribute::Hidden == FILE_ATTRIBUTE_HIDDEN &&
              FileAttribute::System == FILE_ATTRIBUTE_SYSTEM &&
              FileAttribute::Directory == FILE_ATTRIBUTE_DIRECTORY &&
              FileAttribute::Archive == FILE_ATTRIBUTE_ARCHIVE &&
              FileAttribute::Device == FILE_ATTRIBUTE_DEVICE &&
              FileAttribute::Normal == FILE_ATTRIBUTE_NORMAL &&
              FileAttribute::ReparsePoint == FILE_ATTRIBUTE_REPARSE_POINT);

namespace {

// The folder as Win32 takes it: backslashes, and the "\\?\" form (absolute and clean,
// which that form needs) once "*" appended would no longer fit MAX_PATH.
std::wstring win32Folder(const QString &folder)
{
    QString native = QDir::toNativeSeparators(folder);
    if (native.size() + 1 >= MAX_PATH && !native.startsWith(QLatin1String("\\\\?\\"))) {
        QString absolute =
            QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(folder)));
        if (!absolute.endsWith(u'\\'))
            absolute += u'\\';
        if (absolute.startsWith(QLatin1String("\\\\")))
            native = QLatin1String("\\\\?\\UNC\\") + absolute.mid(2);
        else
            native = QLatin1String("\\\\?\\") + absolute;
    }
    return native.toStdWString();
}

// Whether a failed look at a folder only says that it is not there: no such path, a
// file where a folder was named, or a name no folder can have.
bool isAbsent(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_DIRECTORY || error == ERROR_INVALID_NAME;
}

} // namespace

Result<> DirScanner::walk(const QString &path)
{
    QElapsedTimer clock;
    clock.start();
    qsizetype found = 0;

    // Every folder handed out is spelt the system's way, whatever the caller's path
    // used: "C:/x" and "C:\\x" are one folder, and a list must not hold both spellings.
    const QString start = Paths::withTrailingSeparator(QDir::toNativeSeparators(path));
    // The chosen folder's own attributes do not matter; whether it can be read does.
    // A drive with no medium, not ready, or not there at all fails; an ordinary
    // folder that is not there (or is a file) lists nothing.
    const DWORD rootAttributes = GetFileAttributesW(win32Folder(start).c_str());
    if (rootAttributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        if (Paths::isDriveRoot(start) || !isAbsent(code))
            return Files::fromSystemError(code);
        return {};
    }
    if (!(rootAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};

    struct WinEntry
    {
        std::string key;
        QString name;
        bool isFolder;
    };
    std::deque<QString> queue;
    queue.push_back(start);
    bool root = true;
    std::vector<WinEntry> entries;
    QStringList names;

    while (!queue.empty()) {
        const QString folder = std::move(queue.front());
        queue.pop_front();
        const bool isRoot = root;
        root = false;

        entries.clear();
        WIN32_FIND_DATAW data;
        const std::wstring pattern = win32Folder(folder) + L'*';
        // Basic information (no short names) and large fetches: a folder of a hundred
        // thousand pictures is read in few calls.
        const HANDLE find =
            FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                             nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (find == INVALID_HANDLE_VALUE) {
            const DWORD code = GetLastError();
            // An empty drive root has not even "." and "..": nothing matched, no failure.
            if (isRoot && code != ERROR_FILE_NOT_FOUND)
                return Files::fromSystemError(code);
            continue; // unreadable or vanished subfolders are skipped
        }
        DWORD readError = ERROR_NO_MORE_FILES;
        for (;;) {
            const QString name = QString::fromWCharArray(data.cFileName);
            const bool dots = name == QLatin1String(".") || name == QLatin1String("..");
            const EntryAction action = dots ? EntryAction::Skip : actionFor(data.dwFileAttributes);
            if (action == EntryAction::Enter ||
                (action == EntryAction::Consider && acceptsFileName(name, mCode))) {
                entries.push_back(
                    {name.toUtf8().toStdString(), name, action == EntryAction::Enter});
                // A folder of a hundred thousand files must not hold the window up either.
                if ((entries.size() & 4095) == 0 && mProgress &&
                    clock.elapsed() >= mProgressInterval) {
                    mProgress(found);
                    clock.restart();
                }
            }
            if (!FindNextFileW(find, &data)) {
                readError = GetLastError();
                break;
            }
        }
        FindClose(find);
        if (readError != ERROR_NO_MORE_FILES && isRoot)
            return Files::fromSystemError(readError);

        std::sort(entries.begin(), entries.end(),
                  [](const WinEntry &a, const WinEntry &b) { return naturalLess(a.key, b.key); });
        names.clear();
        for (const WinEntry &e : entries) {
            if (e.isFolder)
                queue.push_back(folder + e.name + u'\\');
            else
                names.append(e.name);
        }
        handOut(folder, names, found, clock);
    }
    return {};
}

#endif
