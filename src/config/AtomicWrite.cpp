#include "config/AtomicWrite.h"

#include "common/WriteGuard.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

namespace {

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

// QSaveFile writes through a link to its target; here the link itself is replaced.
bool replaceLink(const QString &path, const QByteArray &content, QString *error)
{
    const QFileInfo info(path);
    QTemporaryFile temp(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!temp.open())
        return fail(error, temp.errorString());
    if (temp.write(content) != content.size() || !temp.flush())
        return fail(error, temp.errorString());
    temp.close();
    std::error_code code;
    std::filesystem::rename(std::filesystem::path(temp.fileName().toStdU16String()),
                            std::filesystem::path(path.toStdU16String()), code);
    if (code)
        return fail(error, QString::fromLocal8Bit(code.message()));
    temp.setAutoRemove(false);
    return true;
}

} // namespace

bool writeFileAtomically(const QString &path, const QByteArray &content, QString *error)
{
    WriteGuard::checkWrite(path, "a file");
    const QFileInfo info(path);
    if (info.isSymLink())
        return replaceLink(path, content, error);
    if (info.isDir())
        return fail(error, QStringLiteral("a folder of that name is in the way"));

    QSaveFile file(path);
    // Unbuffered, so a full disk shows in the write itself; through the buffer a
    // failed flush went unnoticed and an empty file replaced the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(error, file.errorString());
    if (file.write(content) != content.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(error, reason);
    }
    if (!file.commit())
        return fail(error, file.errorString());
    return true;
}
