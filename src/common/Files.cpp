// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/Files.h"

#include "common/Paths.h"
#include "common/WriteGuard.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <atomic>
#include <utility>

#ifdef Q_OS_WIN
#include "common/WindowsApi.h"
#include <algorithm>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <string>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Files {

namespace {

// The rules that the name alone decides.
Result<> checkName(const QString &path, Rules rules)
{
    if (path.isEmpty())
        return Error::FileNotFound;
    // The system would stop reading the name at a NUL and open another file.
    if (path.contains(QChar(0)))
        return Error::BadFileName;
    if (rules.testFlag(NoHidden) && QFileInfo(path).isHidden())
        return Error::NotAFile;
    return {};
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)

// The desktop's trash, as freedesktop.org describes it: a file goes to the trash of the
// file system it is on, by a rename, so it is never copied and never half moved.

QByteArray native(const QString &path)
{
    return Paths::toNative(path);
}

/** How strictly a trash folder is checked before a file is moved into it. */
enum class Trust {
    /** The user's own data folder: a folder of the user's, a link to one allowed. */
    Home,
    /** On a shared file system: a real folder of the user's, closed to everyone else. */
    Shared,
};

bool isUsableFolder(const QString &path, Trust trust)
{
    struct stat st;
    if (trust == Trust::Home)
        return ::stat(native(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
               st.st_uid == ::getuid();
    return ::lstat(native(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

/** A trash folder with its "files" and "info" folders, made where they are missing. */
bool makeTrash(const QString &trash, Trust trust)
{
    for (const QString &folder :
         {trash, trash + QStringLiteral("/files"), trash + QStringLiteral("/info")}) {
        WriteGuard::checkWrite(folder, "the trash");
        if (::mkdir(native(folder).constData(), 0700) != 0 && errno != EEXIST)
            return false;
        if (!isUsableFolder(folder, trust))
            return false;
    }
    return true;
}

/** The top folder of the file system `folder` is on: the highest one on its device. */
QString topOf(const QString &folder, dev_t device)
{
    QString top = QDir::cleanPath(folder);
    while (top != QStringLiteral("/")) {
        const QString parent = QFileInfo(top).path();
        struct stat st;
        if (::stat(native(parent).constData(), &st) != 0 || st.st_dev != device)
            break;
        top = parent;
    }
    return top;
}

struct TrashPlace
{
    QString trash;
    /** What the original path is told relative to, in the info file; empty: absolute. */
    QString base;
};

/**
 * The trash that takes a file of `device` in `folder`: the home trash for the home's file
 * system; else the shared ".Trash/UID" at the file system's top when an administrator
 * made ".Trash" a real, sticky folder, or the user's own ".Trash-UID" there. Empty when
 * none can be had: then the file is not moved to another file system's trash, where it
 * would be copied.
 */
TrashPlace trashFor(const QString &folder, dev_t device)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    struct stat st;
    if (!data.isEmpty()) {
        WriteGuard::checkWrite(data + QStringLiteral("/Trash"), "the trash");
        QDir().mkpath(data);
        if (::stat(native(data).constData(), &st) == 0 && st.st_dev == device) {
            const QString home = data + QStringLiteral("/Trash");
            return makeTrash(home, Trust::Home) ? TrashPlace{home, QString()} : TrashPlace();
        }
    }
    const QString top = topOf(folder, device);
    const QString uid = QString::number(::getuid());
    const QString shared = top + QStringLiteral("/.Trash");
    if (::lstat(native(shared).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
        (st.st_mode & S_ISVTX)) {
        const QString mine = shared + u'/' + uid;
        if (makeTrash(mine, Trust::Shared))
            return {mine, top};
    }
    const QString own = top + QStringLiteral("/.Trash-") + uid;
    if (makeTrash(own, Trust::Shared))
        return {own, top};
    return {};
}

/** The lines of the info file for `original`, trashed now. */
QByteArray trashInfo(const QString &original, const QString &base)
{
    QString told = original;
    if (!base.isEmpty())
        told = QDir(base).relativeFilePath(original);
    // The name's own bytes, escaped as a URL path escapes them.
    return "[Trash Info]\nPath=" + native(told).toPercentEncoding("/") + "\nDeletionDate=" +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() +
           '\n';
}

#endif

#ifdef Q_OS_WIN
/**
 * Why `path` cannot be opened for reading, as the system says it (a file that another
 * program holds without sharing it, a folder on the way that is a file); `otherwise` when
 * it opens after all.
 */
Error systemErrorOpening(const QString &path, Error otherwise)
{
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    const HANDLE handle = ::CreateFileW(native.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(handle);
        return otherwise;
    }
    return fromSystemError(::GetLastError());
}

/** Moves `path` into the recycle bin with SHFileOperationW, asking nothing. */
bool moveToRecycleBin(const QString &path)
{
    std::wstring from = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdWString();
    from.push_back(L'\0'); // a list of names, ended by an empty one
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    return ::SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted &&
           !QFileInfo::exists(path);
}
#endif

// Where a new file's content waits until it takes its name, before a unique ending.
// Hidden, and short enough to fit beside any name the target may have.
QString pendingPrefix(const QFileInfo &target)
{
    return target.absolutePath() + QStringLiteral("/.") + target.fileName().left(32) + u'.';
}

#ifndef Q_OS_WIN

/** A new file written beside its target; removed unless it took the target's name. */
class PendingFile
{
public:
    PendingFile() = default;
    PendingFile(const PendingFile &) = delete;
    PendingFile &operator=(const PendingFile &) = delete;
    ~PendingFile()
    {
        if (mFd >= 0)
            ::close(mFd);
        if (!mName.isEmpty())
            ::unlink(mName.constData());
    }

    Result<> create(const QFileInfo &target)
    {
        struct stat old;
        const bool keepMode =
            ::lstat(Paths::toNative(target.absoluteFilePath()).constData(), &old) == 0 &&
            S_ISREG(old.st_mode);
        for (int attempt = 0; attempt < 16 && mFd < 0; ++attempt) {
            const QByteArray name =
                Paths::toNative(pendingPrefix(target) +
                                QString::number(QRandomGenerator::global()->generate(), 36));
            mFd =
                ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
            if (mFd >= 0)
                mName = name;
            else if (errno == ENOENT)
                return Error::PathNotFound; // the folder is not there
            else if (errno != EEXIST)
                return fromSystemError(errno);
        }
        if (mFd < 0)
            return Error::PathFileAccess;
        if (keepMode)
            ::fchmod(mFd, old.st_mode & 0777);
        return {};
    }

    // Straight to the file, so a full disk shows in the write itself; through a buffer
    // a failed flush once went unnoticed and an empty file replaced the old one.
    Result<> write(const char *data, qint64 size)
    {
        while (size > 0) {
            const ssize_t done = ::write(mFd, data, size_t(size));
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0)
                return done < 0 ? fromSystemError(errno) : Error::DiskFull;
            data += done;
            size -= done;
        }
        return {};
    }

    Result<> commit(const QString &target)
    {
        // On the disk before it takes the name: a crash leaves the old file or the new.
        if (::fsync(mFd) != 0 || ::close(std::exchange(mFd, -1)) != 0)
            return fromSystemError(errno);
        // A rename replaces whatever entry has the name, a link included.
        if (::rename(mName.constData(), Paths::toNative(target).constData()) != 0) {
            const Error error = fromSystemError(errno);
            return error == Error::PermissionDenied ? error : Error::PathFileAccess;
        }
        mName.clear();
        return {};
    }

private:
    int mFd = -1;
    QByteArray mName;
};

#else

/**
 * A new file written beside its target; removed unless it took the target's name. Its
 * own handle, closed before the rename: a QTemporaryFile keeps its file open when closed,
 * which the rename cannot get past.
 */
class PendingFile
{
public:
    PendingFile() = default;
    PendingFile(const PendingFile &) = delete;
    PendingFile &operator=(const PendingFile &) = delete;
    ~PendingFile()
    {
        if (mHandle != INVALID_HANDLE_VALUE)
            ::CloseHandle(mHandle);
        if (!mName.empty())
            ::DeleteFileW(mName.c_str());
    }

    Result<> create(const QFileInfo &target)
    {
        // An existing file's read-only mark goes to its replacement (the permissions
        // Windows keeps in the attributes); a link's is not the file's.
        const DWORD keep = target.isFile() && !target.isSymLink() && !target.isWritable()
                               ? FILE_ATTRIBUTE_READONLY
                               : 0;
        for (int attempt = 0; attempt < 16 && mHandle == INVALID_HANDLE_VALUE; ++attempt) {
            const std::wstring name =
                QDir::toNativeSeparators(
                    pendingPrefix(target) +
                    QString::number(QRandomGenerator::global()->generate(), 36))
                    .toStdWString();
            mHandle = ::CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (mHandle != INVALID_HANDLE_VALUE) {
                mName = name;
                break;
            }
            const DWORD code = ::GetLastError();
            if (code == ERROR_PATH_NOT_FOUND)
                return Error::PathNotFound; // the folder is not there
            if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS)
                return fromSystemError(code);
        }
        if (mHandle == INVALID_HANDLE_VALUE)
            return Error::PathFileAccess;
        mAttributes = keep;
        return {};
    }

    // Straight to the file, so a full disk shows in the write itself.
    Result<> write(const char *data, qint64 size)
    {
        while (size > 0) {
            const DWORD chunk = DWORD(std::min<qint64>(size, 1 << 30));
            DWORD done = 0;
            if (!::WriteFile(mHandle, data, chunk, &done, nullptr)) {
                const DWORD code = ::GetLastError();
                return code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL
                           ? Error::DiskFull
                           : fromSystemError(code);
            }
            if (done == 0)
                return Error::DiskFull;
            data += done;
            size -= done;
        }
        return {};
    }

    Result<> commit(const QString &target)
    {
        // On the disk before it takes the name: a crash leaves the old file or the new.
        const bool flushed = ::FlushFileBuffers(mHandle);
        const bool closed = ::CloseHandle(std::exchange(mHandle, INVALID_HANDLE_VALUE));
        if (!flushed || !closed)
            return fromSystemError(::GetLastError());
        if (mAttributes)
            ::SetFileAttributesW(mName.c_str(), mAttributes);
        // Replaces whatever entry has the name, a link included (a plain rename refuses
        // a name that is taken).
        const std::wstring to = QDir::toNativeSeparators(target).toStdWString();
        if (!::MoveFileExW(mName.c_str(), to.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            const Error error = fromSystemError(::GetLastError());
            if (mAttributes)
                ::SetFileAttributesW(mName.c_str(), FILE_ATTRIBUTE_NORMAL);
            return error == Error::PermissionDenied ? error : Error::PathFileAccess;
        }
        mName.clear();
        return {};
    }

private:
    HANDLE mHandle = INVALID_HANDLE_VALUE;
    std::wstring mName;
    DWORD mAttributes = 0;
};

#endif

#ifndef Q_OS_WIN
/** stat() of `path`, or lstat() with NoLinks: the link itself, not what it leads to. */
int lookAt(const QString &path, Rules rules, struct stat &st)
{
    const QByteArray native = Paths::toNative(path);
    return rules.testFlag(NoLinks) ? ::lstat(native.constData(), &st)
                                   : ::stat(native.constData(), &st);
}
#endif

} // namespace

Kind kindOf(const QString &path, Rules rules)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return Kind::Missing;
#ifndef Q_OS_WIN
    struct stat st;
    if (lookAt(path, rules, st) != 0)
        return Kind::Missing;
    return S_ISDIR(st.st_mode) ? Kind::Folder : S_ISREG(st.st_mode) ? Kind::File : Kind::Other;
#else
    const QFileInfo info(path);
    if (rules.testFlag(NoLinks) && info.isSymLink())
        return Kind::Other;
    if (!info.exists())
        return Kind::Missing;
    return info.isDir() ? Kind::Folder : info.isFile() ? Kind::File : Kind::Other;
#endif
}

Result<> check(const QString &path, Rules rules)
{
    if (Result<> name = checkName(path, rules); !name)
        return name;
#ifndef Q_OS_WIN
    struct stat st;
    if (lookAt(path, rules, st) != 0)
        return fromSystemError(errno);
    if (!S_ISREG(st.st_mode))
        return Error::NotAFile;
#else
    const QFileInfo info(path);
    if (rules.testFlag(NoLinks) && info.isSymLink())
        return Error::NotAFile;
    if (!info.exists())
        return systemErrorOpening(path, Error::FileNotFound);
    if (!info.isFile())
        return Error::NotAFile;
#endif
    return {};
}

namespace {
std::atomic<Stall> gStall = nullptr;
} // namespace

void setStallForTests(Stall stall)
{
    gStall.store(stall);
}

Result<> openForReading(const QString &path, QFile &file, Rules rules)
{
#ifndef Q_OS_WIN
    if (Result<> name = checkName(path, rules); !name)
        return name;
    // Open without blocking (a FIFO would wait for a writer), then judge what was
    // opened rather than what the name pointed at a moment before.
    const int flags =
        O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (rules.testFlag(NoLinks) ? O_NOFOLLOW : 0);
    const int fd = ::open(Paths::toNative(path).constData(), flags);
    if (fd < 0)
        return errno == ELOOP && rules.testFlag(NoLinks) ? Error::NotAFile : fromSystemError(errno);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Error::NotAFile;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status >= 0)
        ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Error::FileAccess;
    }
#else
    if (Result<> usable = check(path, rules); !usable)
        return usable;
    // Shared for deleting and renaming too, as a POSIX system lets others do: the user
    // may delete or move a picture while the show reads it.
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    const HANDLE handle = ::CreateFileW(
        native.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return fromSystemError(::GetLastError());
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
        return Error::FileAccess;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::_close(fd);
        return Error::FileAccess;
    }
#endif
    if (const Stall stall = gStall.load())
        stall(path);
    return {};
}

Result<QByteArray> read(const QString &path, qint64 maxBytes, Rules rules)
{
    QFile file;
    if (Result<> opened = openForReading(path, file, rules); !opened)
        return opened.error();
    QByteArray content = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError)
        return Error::FileAccess;
    return content;
}

Result<> replace(const QString &path, const QByteArray &content)
{
    QBuffer source;
    source.setData(content);
    source.open(QIODevice::ReadOnly);
    return replace(path, source);
}

Result<> replace(const QString &path, QIODevice &source)
{
    WriteGuard::checkWrite(path, "a file");
    if (path.isEmpty() || path.contains(QChar(0)))
        return Error::BadFileName;
    const QFileInfo target(path);
    if (target.isDir() && !target.isSymLink())
        return Error::FolderInTheWay;

    PendingFile pending;
    if (Result<> created = pending.create(target); !created)
        return created;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 got = source.read(buffer, sizeof buffer);
        if (got < 0)
            return Error::FileAccess;
        if (got == 0)
            break;
        if (Result<> written = pending.write(buffer, got); !written)
            return written;
    }
    return pending.commit(path);
}

Result<> moveToTrash(const QString &path)
{
    WriteGuard::checkWrite(path, "a discarded file");
    // A folder that took the file's name is left alone.
    const Kind kind = kindOf(path, NoLinks);
    if (kind == Kind::Missing)
        return Error::FileNotFound;
    if (kind == Kind::Folder)
        return Error::NotAFile;
    const QFileInfo info(path); // for its names only: the system is asked by bytes
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const QString original = info.absoluteFilePath();
    const QString folder = info.absolutePath();
    struct stat st;
    if (::stat(native(folder).constData(), &st) != 0)
        return fromSystemError(errno);
    const TrashPlace place = trashFor(folder, st.st_dev);
    if (place.trash.isEmpty())
        return Error::NoTrash;
    // The info file is made first, and only under a name no other has: it reserves
    // the name in "files" too.
    const QByteArray content = trashInfo(original, place.base);
    const QString name = info.fileName();
    for (int n = 1; n < 1000; ++n) {
        const QString as = n == 1 ? name : name + u'.' + QString::number(n);
        const QString infoFile =
            place.trash + QStringLiteral("/info/") + as + QStringLiteral(".trashinfo");
        const int fd = ::open(native(infoFile).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return Error::NoTrash;
        }
        const bool written =
            ::write(fd, content.constData(), size_t(content.size())) == ssize_t(content.size());
        ::close(fd);
        const QString target = place.trash + QStringLiteral("/files/") + as;
        const bool taken = kindOf(target, NoLinks) != Kind::Missing;
        if (written && !taken &&
            ::rename(native(original).constData(), native(target).constData()) == 0)
            return {};
        const int reason = errno;
        ::unlink(native(infoFile).constData());
        if (!written)
            return Error::NoTrash;
        if (taken)
            continue;
        // The file's own folder refuses (read-only, gone): no trash would do better.
        return reason == EXDEV ? Error::NoTrash : fromSystemError(reason);
    }
    return Error::NoTrash;
#else
    QFile file(path);
    if (file.moveToTrash())
        return {};
#ifdef Q_OS_WIN
    // Where the shell's newer file operation is not offered (Wine has none), its older
    // one still recycles.
    if (moveToRecycleBin(path))
        return {};
#endif
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink() ? Error::NoTrash
                                                                  : Error::FileNotFound;
#endif
}

Result<> removeForGood(const QString &path)
{
    WriteGuard::checkWrite(path, "a discarded file");
    if (kindOf(path, NoLinks) == Kind::Folder)
        return Error::NotAFile;
#ifndef Q_OS_WIN
    // The entry goes, a link and not what it leads to.
    if (::unlink(Paths::toNative(path).constData()) != 0)
        return fromSystemError(errno);
#else
    if (!QFile::remove(path))
        return QFileInfo::exists(path) ? Error::PermissionDenied : Error::FileNotFound;
#endif
    return {};
}

#ifdef Q_OS_WIN

Error fromSystemError(unsigned long code)
{
    static const std::pair<unsigned long, Error> kMeanings[] = {
        {ERROR_FILE_NOT_FOUND, Error::FileNotFound},
        {ERROR_PATH_NOT_FOUND, Error::PathNotFound},
        {ERROR_NOT_READY, Error::PathNotFound},
        {ERROR_INVALID_DRIVE, Error::PathNotFound},
        {ERROR_ACCESS_DENIED, Error::PermissionDenied},
        // In use by another program, which shares it with no one.
        {ERROR_SHARING_VIOLATION, Error::PermissionDenied},
        {ERROR_LOCK_VIOLATION, Error::PermissionDenied},
        {ERROR_WRITE_PROTECT, Error::PermissionDenied},
        {ERROR_INVALID_NAME, Error::BadFileName},
        {ERROR_FILENAME_EXCED_RANGE, Error::BadFileName},
        {ERROR_TOO_MANY_OPEN_FILES, Error::TooManyFiles},
        {ERROR_DISK_FULL, Error::DiskFull},
        {ERROR_HANDLE_DISK_FULL, Error::DiskFull},
        {ERROR_DIRECTORY, Error::FolderInTheWay},
    };
#else

Error fromSystemError(int code)
{
    static const std::pair<int, Error> kMeanings[] = {
        {ENOENT, Error::FileNotFound},      {ENOTDIR, Error::PathNotFound},
        {EACCES, Error::PermissionDenied},  {EPERM, Error::PermissionDenied},
        {EROFS, Error::PermissionDenied},   {ELOOP, Error::BadFileName},
        {ENAMETOOLONG, Error::BadFileName}, {EMFILE, Error::TooManyFiles},
        {ENFILE, Error::TooManyFiles},      {ENOSPC, Error::DiskFull},
        {EDQUOT, Error::DiskFull},          {EFBIG, Error::DiskFull},
        {EISDIR, Error::FolderInTheWay},
    };
#endif
    for (const auto &[system, meaning] : kMeanings) {
        if (system == code)
            return meaning;
    }
    return Error::FileAccess;
}

} // namespace Files
