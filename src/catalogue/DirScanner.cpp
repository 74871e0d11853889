#include "catalogue/DirScanner.h"

#include "catalogue/NaturalOrder.h"
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
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#else
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

DirScanner::DirScanner(FileTypeCode code, FolderSink sink) : mCode(code), mSink(std::move(sink)) {}

void DirScanner::setProgress(Progress progress, int intervalMs)
{
    mProgress = std::move(progress);
    mProgressInterval = intervalMs;
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

bool survivesDecoding(const char *name, size_t len)
{
    const QByteArray raw = QByteArray::fromRawData(name, qsizetype(len));
    for (const char c : raw) {
        if (uchar(c) >= 0x80)
            return QFile::encodeName(QFile::decodeName(raw)) == raw;
    }
    return true;
}

} // namespace

DirScanner::Result DirScanner::scan(const QString &path, QString *error)
{
    QElapsedTimer clock;
    clock.start();
    qsizetype found = 0;

    // The system would stop reading the name at a NUL and walk another folder.
    if (path.contains(QChar(0))) {
        if (error)
            *error = QStringLiteral("Bad folder name");
        return Result::RootFailed;
    }

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

        const QByteArray native = QFile::encodeName(folder);
        const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            const int err = errno;
            if (isRoot && err != ENOENT && err != ENOTDIR) {
                if (error)
                    *error = QString::fromLocal8Bit(std::strerror(err));
                return Result::RootFailed;
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
            // A name whose bytes do not survive the trip through QString could never
            // be opened by its path later; leave it out rather than list a dead item.
            if (!survivesDecoding(ent->d_name, len))
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
            if ((entries.size() & 4095) == 0 && mProgress &&
                clock.elapsed() >= mProgressInterval) {
                mProgress(found);
                clock.restart();
            }
            errno = 0;
        }
        readError = errno;
        ::closedir(dir);
        if (readError != 0 && isRoot) {
            if (error)
                *error = QString::fromLocal8Bit(std::strerror(readError));
            return Result::RootFailed;
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
        for (const Entry &e : entries) {
            QString name = QFile::decodeName(
                QByteArray::fromRawData(arena.data() + e.name, qsizetype(e.nameLength)));
            if (e.isFolder)
                queue.push_back(folder + name + u'/');
            else
                names.append(std::move(name));
        }
        handOut(folder, names, found, clock);
    }
    return Result::Done;
}

#else // Q_OS_WIN

DirScanner::Result DirScanner::scan(const QString &path, QString *error)
{
    QElapsedTimer clock;
    clock.start();
    qsizetype found = 0;

    std::deque<QString> queue;
    queue.push_back(Paths::withTrailingSeparator(path));
    bool root = true;
    while (!queue.empty()) {
        const QString folder = queue.front();
        queue.pop_front();
        const bool isRoot = root;
        root = false;
        QDir dir(folder);
        if (!dir.exists()) {
            continue;
        }
        if (!dir.isReadable()) {
            if (isRoot) {
                if (error)
                    *error = QStringLiteral("Folder cannot be read");
                return Result::RootFailed;
            }
            continue;
        }
        struct WinEntry
        {
            std::string key;
            QString name;
            bool isFolder;
        };
        std::vector<WinEntry> entries;
        QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
        while (it.hasNext()) {
            it.next();
            const QFileInfo info = it.fileInfo();
            if (info.isHidden() || info.isSymLink())
                continue;
            const bool isFolder = info.isDir();
            if (!isFolder && (!info.isFile() || !acceptsFileName(info.fileName(), mCode)))
                continue;
            entries.push_back({info.fileName().toUtf8().toStdString(), info.fileName(), isFolder});
        }
        std::sort(entries.begin(), entries.end(), [](const WinEntry &a, const WinEntry &b) {
            return naturalLess(a.key, b.key);
        });
        QStringList names;
        for (const WinEntry &e : entries) {
            if (e.isFolder)
                queue.push_back(folder + e.name + u'\\');
            else
                names.append(e.name);
        }
        handOut(folder, names, found, clock);
    }
    return Result::Done;
}

#endif
