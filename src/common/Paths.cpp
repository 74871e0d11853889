#include "common/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Paths {

namespace {
QString &folderOverride()
{
    static QString value;
    return value;
}
QString &baseNameOverride()
{
    static QString value;
    return value;
}
} // namespace

QChar separator()
{
#ifdef Q_OS_WIN
    return u'\\';
#else
    return u'/';
#endif
}

bool isDriveRoot(const QString &path)
{
#ifdef Q_OS_WIN
    return path.size() == 3 && path[0].isLetter() && path[1] == u':' &&
           (path[2] == u'\\' || path[2] == u'/');
#else
    return path == QLatin1String("/");
#endif
}

QString normaliseShowPath(const QString &path)
{
#ifdef Q_OS_WIN
    if (isDriveRoot(path))
        return path.left(2);
#endif
    return path;
}

bool isScannableStoredPath(const QString &path)
{
    if (path.isEmpty() || path == QLatin1String(" ") || isDriveRoot(path))
        return false;
#ifdef Q_OS_WIN
    // "C:" and the like name a drive's current folder, not a stored choice.
    if (path.size() <= 3)
        return false;
#endif
    return true;
}

QString withTrailingSeparator(const QString &path)
{
    if (path.endsWith(separator()))
        return path;
    return path + separator();
}

QString executableFolder()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    QString dir = QCoreApplication::applicationDirPath();
#ifdef Q_OS_WIN
    dir = QDir::toNativeSeparators(dir);
#endif
    return dir;
}

QString executableBaseName()
{
    if (!baseNameOverride().isEmpty())
        return baseNameOverride();
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void setExecutableForTesting(const QString &folder, const QString &baseName)
{
    folderOverride() = folder;
    baseNameOverride() = baseName;
}

} // namespace Paths
