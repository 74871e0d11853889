#include "common/OpenWithAssociatedProgram.h"

#include "common/Module1.h"
#include "common/RegularFile.h"
#include "common/Seams.h"
#include "common/WriteGuard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

namespace Module1 {

namespace {

bool isSeparator(QChar c)
{
    return c == u'/' || c == QDir::separator();
}

std::filesystem::path fsPath(const QString &path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

// Writes the copy under a private temporary name and renames it over the working
// copy's name: whatever stands there (an older copy, or a link someone planted) is
// replaced as a directory entry and never written through.
bool copyOver(QFile &source, const QString &target, QString *error)
{
    WriteGuard::checkWrite(target, "the working copy");
    QTemporaryFile temp(mTempPath() + QStringLiteral("Tremallo.XXXXXX"));
    temp.setAutoRemove(true);
    if (!temp.open()) {
        *error = QStringLiteral("Permission denied");
        return false;
    }
    char buffer[64 * 1024];
    for (;;) {
        const qint64 got = source.read(buffer, sizeof buffer);
        if (got < 0) {
            *error = QStringLiteral("File access error");
            return false;
        }
        if (got == 0)
            break;
        if (temp.write(buffer, got) != got) {
            *error = QStringLiteral("Disk full");
            return false;
        }
    }
    if (!temp.flush()) {
        *error = QStringLiteral("Disk full");
        return false;
    }
    temp.close();
    std::error_code code;
    std::filesystem::rename(fsPath(temp.fileName()), fsPath(target), code);
    if (code) {
        *error = code == std::errc::permission_denied ? QStringLiteral("Permission denied")
                                                      : QStringLiteral("Path/File access error");
        return false;
    }
    temp.setAutoRemove(false); // it has its final name now
    return true;
}

} // namespace

QString workingCopyName(const QString &path)
{
    if (path.size() < 3)
        return QString();
    const QString extension = path.right(3);
    for (QChar c : extension) {
        if (isSeparator(c))
            return QString();
    }
    return mTempPath() + QStringLiteral("Tremallo.") + extension;
}

void OpenWithAssociatedProgram(const QString &path)
{
    const auto fail = [](const QString &description) {
        seams().showMessage(description, MsgStyle::Critical, programTitle());
    };
    if (mTempPath().isEmpty())
        initTempPath();
    const QString copy = workingCopyName(path);
    if (copy.isEmpty()) {
        fail(QStringLiteral("Bad file name"));
        return;
    }
    QFile source;
    QString error;
    if (!RegularFile::openForReading(path, source, &error) || !copyOver(source, copy, &error)) {
        fail(error);
        return;
    }
    seams().openWithShell(copy);
}

} // namespace Module1
