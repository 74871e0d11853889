#include "common/RegularFile.h"

#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace RegularFile {

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

#ifndef Q_OS_WIN
QString describeErrno(int code)
{
    switch (code) {
    case ENOENT:
        return QStringLiteral("File not found");
    case ENOTDIR:
        return QStringLiteral("Path not found");
    case EACCES:
    case EPERM:
        return QStringLiteral("Permission denied");
    case ELOOP:
    case ENAMETOOLONG:
        return QStringLiteral("Bad file name");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Too many files");
    default:
        return QStringLiteral("File access error");
    }
}
#endif

} // namespace

bool openForReading(const QString &path, QFile &file, QString *error)
{
    if (path.isEmpty()) {
        setError(error, QStringLiteral("File not found"));
        return false;
    }
    // The system would stop reading the name at a NUL and open another file.
    if (path.contains(QChar(0))) {
        setError(error, QStringLiteral("Bad file name"));
        return false;
    }
#ifndef Q_OS_WIN
    // Open without blocking (a FIFO would wait for a writer), then check what was
    // opened rather than what the name pointed at a moment before.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        setError(error, describeErrno(errno));
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        setError(error, QStringLiteral("Not a file"));
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        setError(error, QStringLiteral("File access error"));
        return false;
    }
    return true;
#else
    const QFileInfo info(path);
    if (!info.exists()) {
        setError(error, QStringLiteral("File not found"));
        return false;
    }
    if (!info.isFile()) {
        setError(error, QStringLiteral("Not a file"));
        return false;
    }
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, file.error() == QFileDevice::PermissionsError
                            ? QStringLiteral("Permission denied")
                            : QStringLiteral("File access error"));
        return false;
    }
    return true;
#endif
}

} // namespace RegularFile
