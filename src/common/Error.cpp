// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/Error.h"

#include <QCoreApplication>

QString errorText(Error error)
{
    switch (error) {
    case Error::FileNotFound:
        return QCoreApplication::translate("Error", "File not found");
    case Error::PathNotFound:
        return QCoreApplication::translate("Error", "Path not found");
    case Error::PermissionDenied:
        return QCoreApplication::translate("Error", "Permission denied");
    case Error::BadFileName:
        return QCoreApplication::translate("Error", "Bad file name");
    case Error::TooManyFiles:
        return QCoreApplication::translate("Error", "Too many files");
    case Error::FileAccess:
        return QCoreApplication::translate("Error", "File access error");
    case Error::PathFileAccess:
        return QCoreApplication::translate("Error", "Path/File access error");
    case Error::NotAFile:
        return QCoreApplication::translate("Error", "Not a file");
    case Error::FolderInTheWay:
        return QCoreApplication::translate("Error", "a folder of that name is in the way");
    case Error::DiskFull:
        return QCoreApplication::translate("Error", "Disk full");
    case Error::InvalidPicture:
        return QCoreApplication::translate("Error", "Invalid picture");
    case Error::PictureTooLarge:
        return QCoreApplication::translate("Error", "Picture too large");
    case Error::DownloadFailed:
        return QCoreApplication::translate("Error", "Download failed");
    case Error::NoListItem:
        return QCoreApplication::translate("Error", "No list item chosen");
    case Error::NoTrash:
        return QCoreApplication::translate("Error", "No trash can take the file");
    }
    Q_UNREACHABLE();
    return QString();
}
