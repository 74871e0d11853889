#include "common/Error.h"

QString errorText(Error error)
{
    switch (error) {
    case Error::FileNotFound:
        return QStringLiteral("File not found");
    case Error::PathNotFound:
        return QStringLiteral("Path not found");
    case Error::PermissionDenied:
        return QStringLiteral("Permission denied");
    case Error::BadFileName:
        return QStringLiteral("Bad file name");
    case Error::TooManyFiles:
        return QStringLiteral("Too many files");
    case Error::FileAccess:
        return QStringLiteral("File access error");
    case Error::PathFileAccess:
        return QStringLiteral("Path/File access error");
    case Error::NotAFile:
        return QStringLiteral("Not a file");
    case Error::FolderInTheWay:
        return QStringLiteral("a folder of that name is in the way");
    case Error::DiskFull:
        return QStringLiteral("Disk full");
    case Error::InvalidPicture:
        return QStringLiteral("Invalid picture");
    case Error::PictureTooLarge:
        return QStringLiteral("Picture too large");
    case Error::DownloadFailed:
        return QStringLiteral("Download failed");
    case Error::NoListItem:
        return QStringLiteral("No list item chosen");
    case Error::NoTrash:
        return QStringLiteral("No trash can take the file");
    }
    Q_UNREACHABLE();
    return QString();
}
