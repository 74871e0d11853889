#include "common/Files.h"

#include "common/WriteGuard.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>

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

/**
 * Whether the user has a trash to take the file. Where the desktop keeps it in the
 * data folder, make sure it is there: asked to trash with none to be found, Qt moves
 * the file into the current folder instead.
 */
bool trashAvailable()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return false;
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const QString trash = data + QStringLiteral("/Trash");
    WriteGuard::checkWrite(trash, "the trash");
    if (!QFileInfo(trash).isDir()) {
        QDir().mkpath(data);
        QDir().mkdir(trash, ownerOnly);
    }
    return QFileInfo(trash).isDir();
#else
    return true;
#endif
}

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
            ::lstat(QFile::encodeName(target.absoluteFilePath()).constData(), &old) == 0 &&
            S_ISREG(old.st_mode);
        for (int attempt = 0; attempt < 16 && mFd < 0; ++attempt) {
            const QByteArray name =
                QFile::encodeName(pendingPrefix(target) +
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
        if (::rename(mName.constData(), QFile::encodeName(target).constData()) != 0) {
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

} // namespace

Result<> check(const QString &path, Rules rules)
{
    if (Result<> name = checkName(path, rules); !name)
        return name;
#ifndef Q_OS_WIN
    struct stat st;
    const QByteArray native = QFile::encodeName(path);
    const int looked = rules.testFlag(NoLinks) ? ::lstat(native.constData(), &st)
                                               : ::stat(native.constData(), &st);
    if (looked != 0)
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

Result<> openForReading(const QString &path, QFile &file, Rules rules)
{
#ifndef Q_OS_WIN
    if (Result<> name = checkName(path, rules); !name)
        return name;
    // Open without blocking (a FIFO would wait for a writer), then judge what was
    // opened rather than what the name pointed at a moment before.
    const int flags =
        O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (rules.testFlag(NoLinks) ? O_NOFOLLOW : 0);
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
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

Result<> discard(const QString &path)
{
    WriteGuard::checkWrite(path, "a discarded file");
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return Error::FileNotFound;
    // A folder that took the file's name is left alone.
    if (info.isDir() && !info.isSymLink())
        return Error::NotAFile;
    QFile file(path);
    if (trashAvailable() && file.moveToTrash())
        return {};
#ifndef Q_OS_WIN
    // No trash here, or none that takes the file: delete it outright. A file that
    // cannot be removed at all (read-only folder, in use, gone meanwhile) fails here.
    if (::unlink(QFile::encodeName(path).constData()) != 0)
        return fromSystemError(errno);
#else
    // Where the shell's newer file operation is not offered (Wine has none), its older
    // one still recycles.
    if (moveToRecycleBin(path))
        return {};
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
