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
#include <functional>
#include <limits>
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

/**
 * One folder's accepted entries, as its listing step found them: names (the system's
 * own bytes; UTF-8 on Windows) and their sort keys side by side in one buffer, so a
 * folder of any size costs a few allocations, not two per entry.
 */
class Listing
{
public:
    struct Entry
    {
        std::uint32_t name;
        std::uint32_t nameLength;
        std::uint32_t key;
        std::uint32_t keyLength;
        /** The place it was added at. */
        std::uint32_t index;
        bool isFolder;
    };

    /** `tick` is called after every 4096 entries added. */
    explicit Listing(std::function<void()> tick) : mTick(std::move(tick)) {}

    /** Empties it for the next folder, whose pictures may have names `nameRoom` bytes long. */
    void clear(qsizetype nameRoom)
    {
        mEntries.clear();
        mArena.clear();
        mNameRoom = nameRoom;
#ifdef Q_OS_WIN
        wideNames.clear();
#endif
    }

    void add(std::string_view name, bool isFolder)
    {
        Entry entry;
        entry.name = std::uint32_t(mArena.size());
        entry.nameLength = std::uint32_t(name.size());
        mArena.append(name);
        entry.key = std::uint32_t(mArena.size());
        appendNaturalKey(mArena, name);
        entry.keyLength = std::uint32_t(mArena.size() - entry.key);
        entry.index = std::uint32_t(mEntries.size());
        entry.isFolder = isFolder;
        mEntries.push_back(entry);
        // A folder of a hundred thousand files must not hold the window up either.
        if ((mEntries.size() & 4095) == 0)
            mTick();
    }

    /** Puts the entries in name order. */
    void sort()
    {
        const std::string_view all(mArena);
        std::sort(mEntries.begin(), mEntries.end(), [all](const Entry &a, const Entry &b) {
            return keyedLess(all.substr(a.key, a.keyLength), all.substr(a.name, a.nameLength),
                             all.substr(b.key, b.keyLength), all.substr(b.name, b.nameLength));
        });
    }

    const std::vector<Entry> &entries() const
    {
        return mEntries;
    }
    std::string_view name(const Entry &entry) const
    {
        return std::string_view(mArena).substr(entry.name, entry.nameLength);
    }
    /**
     * Whether a picture's path is longer than the system takes: it could not be opened
     * by that path, and is counted, to be told, not listed.
     */
    bool tooLong(const Entry &entry) const
    {
        return qsizetype(entry.nameLength) > mNameRoom;
    }

#ifdef Q_OS_WIN
    /** The names as the system gave them, by Entry::index: not every one survives UTF-8. */
    QStringList wideNames;
#endif

private:
    std::function<void()> mTick;
    std::vector<Entry> mEntries;
    std::string mArena;
    qsizetype mNameRoom = 0;
};

/** What the listing step made of a folder. */
enum class Listed {
    Nothing, ///< absent, or a subfolder that could not be opened: skipped
    Entries, ///< listed, to its end or, in a subfolder, as far as it could be read
};

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

Result<> DirScanner::scan(const QString &path)
{
    mLeftOut = 0;
    // The system would stop reading the name at a NUL and walk another folder.
    if (path.contains(QChar(0)))
        return Error::BadFileName;
    return walk(path);
}

// The listing step, once per system: where the walk starts, how one folder is listed,
// how an entry's name comes back, and the separator that ends a folder.

#ifndef Q_OS_WIN

namespace {

constexpr char16_t kSeparator = u'/';

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

QString startFolder(const QString &path)
{
    return Paths::withTrailingSeparator(path);
}

/** Lists `folder`; a failure is an error only for the chosen folder (`isRoot`). */
Result<Listed> listFolder(const QString &folder, bool isRoot, FileTypeCode code, Listing &listing)
{
    const QByteArray native = Paths::toNative(folder);
    listing.clear(PATH_MAX - 1 - native.size());
    const int fd = openFolder(native);
    if (fd < 0) {
        const int err = errno;
        if (isRoot && err != ENOENT && err != ENOTDIR)
            return Files::fromSystemError(err);
        return Listed::Nothing; // an absent root lists nothing; unreadable subfolders are skipped
    }
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return Listed::Nothing;
    }
    errno = 0;
    while (const dirent *ent = ::readdir(dir)) {
        if (ent->d_name[0] == '.')
            continue; // hidden, and "." and ".."
        const Kind kind = classify(fd, ent);
        if (kind == Kind::Skip)
            continue;
        const size_t len = std::strlen(ent->d_name);
        if (kind == Kind::File && !acceptsFileName(ent->d_name, len, code))
            continue;
        listing.add(std::string_view(ent->d_name, len), kind == Kind::Folder);
        errno = 0;
    }
    const int readError = errno;
    ::closedir(dir);
    if (readError != 0 && isRoot)
        return Files::fromSystemError(readError);
    return Listed::Entries;
}

QString nameOf(const Listing &listing, const Listing::Entry &entry)
{
    // Whatever bytes the name holds: they come back the same to open it by.
    const std::string_view name = listing.name(entry);
    return Paths::fromNative(QByteArray::fromRawData(name.data(), qsizetype(name.size())));
}

} // namespace

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

constexpr char16_t kSeparator = u'\\';

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

QString startFolder(const QString &path)
{
    // Every folder handed out is spelt the system's way, whatever the caller's path
    // used: "C:/x" and "C:\\x" are one folder, and a list must not hold both spellings.
    return Paths::withTrailingSeparator(QDir::toNativeSeparators(path));
}

/** Lists `folder`; a failure is an error only for the chosen folder (`isRoot`). */
Result<Listed> listFolder(const QString &folder, bool isRoot, FileTypeCode code, Listing &listing)
{
    if (isRoot) {
        // The chosen folder's own attributes do not matter; whether it can be read does.
        // A drive with no medium, not ready, or not there at all fails; an ordinary
        // folder that is not there (or is a file) lists nothing.
        const DWORD rootAttributes = GetFileAttributesW(win32Folder(folder).c_str());
        if (rootAttributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = GetLastError();
            if (Paths::isDriveRoot(folder) || !isAbsent(error))
                return Files::fromSystemError(error);
            return Listed::Nothing;
        }
        if (!(rootAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return Listed::Nothing;
    }
    // The "\\?\" form takes a path of any length.
    listing.clear(std::numeric_limits<qsizetype>::max());
    WIN32_FIND_DATAW data;
    const std::wstring pattern = win32Folder(folder) + L'*';
    // Basic information (no short names) and large fetches: a folder of a hundred
    // thousand pictures is read in few calls.
    const HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // An empty drive root has not even "." and "..": nothing matched, no failure.
        if (isRoot && error != ERROR_FILE_NOT_FOUND)
            return Files::fromSystemError(error);
        return Listed::Nothing; // unreadable or vanished subfolders are skipped
    }
    DWORD readError = ERROR_NO_MORE_FILES;
    for (;;) {
        const QString name = QString::fromWCharArray(data.cFileName);
        const bool dots = name == QLatin1String(".") || name == QLatin1String("..");
        using Action = DirScanner::EntryAction;
        const Action action = dots ? Action::Skip : DirScanner::actionFor(data.dwFileAttributes);
        if (action == Action::Enter ||
            (action == Action::Consider && acceptsFileName(name, code))) {
            // Sorted by its UTF-8 bytes, listed by the name itself.
            const QByteArray utf8 = name.toUtf8();
            listing.wideNames.append(name);
            listing.add(std::string_view(utf8.constData(), size_t(utf8.size())),
                        action == Action::Enter);
        }
        if (!FindNextFileW(find, &data)) {
            readError = GetLastError();
            break;
        }
    }
    FindClose(find);
    if (readError != ERROR_NO_MORE_FILES && isRoot)
        return Files::fromSystemError(readError);
    return Listed::Entries;
}

QString nameOf(const Listing &listing, const Listing::Entry &entry)
{
    return listing.wideNames[entry.index];
}

} // namespace

#endif

Result<> DirScanner::walk(const QString &path)
{
    QElapsedTimer clock;
    clock.start();
    qsizetype found = 0;
    // The one progress tick: at most once an interval, with the pictures found so far.
    const auto tick = [&] {
        if (mProgress && clock.elapsed() >= mProgressInterval) {
            mProgress(found);
            clock.restart();
        }
    };

    std::deque<QString> queue;
    queue.push_back(startFolder(path));
    Listing listing(tick);
    QStringList names;
    for (bool isRoot = true; !queue.empty(); isRoot = false) {
        const QString folder = std::move(queue.front());
        queue.pop_front();
        const Result<Listed> listed = listFolder(folder, isRoot, mCode, listing);
        if (!listed)
            return listed.error();
        if (*listed == Listed::Nothing)
            continue;

        listing.sort();
        names.clear();
        for (const Listing::Entry &entry : listing.entries()) {
            if (!entry.isFolder && listing.tooLong(entry)) {
                ++mLeftOut;
                continue;
            }
            QString name = nameOf(listing, entry);
            if (entry.isFolder)
                queue.push_back(folder + name + kSeparator);
            else
                names.append(std::move(name));
        }
        if (!names.isEmpty()) {
            found += names.size();
            mSink(folder, names);
        }
        tick();
    }
    return {};
}
