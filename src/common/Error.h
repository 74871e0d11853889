// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

/**
 * Why reading or writing a file, or decoding a picture, did not happen. Each has the
 * one text the program shows for it (errorText).
 */
enum class Error {
    FileNotFound,
    PathNotFound,
    PermissionDenied,
    BadFileName,
    TooManyFiles,
    FileAccess,
    PathFileAccess,
    NotAFile,
    FolderInTheWay,
    DiskFull,
    InvalidPicture,
    PictureTooLarge,
    DownloadFailed,
    /** A list position that holds no item: none is current, or the list is empty. */
    NoListItem,
    /** No trash can take the file: none there, none can be made, or on another disk. */
    NoTrash,
};

/** The text shown to the user for `error`, in the words the system uses for it. */
QString errorText(Error error);
