// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStringView>

/** Which picture files a scan accepts, from the file-type selector's index. */
enum class FileTypeCode { None, All, Jpg, Bmp, Gif };

/** 0 all three types, 1 jpg, 2 bmp, 3 gif; any other index accepts nothing. */
FileTypeCode fileTypeCodeForIndex(int selectorIndex);

/**
 * Whether a name is accepted: only its last three characters count, upper-cased,
 * so "xjpg" is a picture to the scan and "photo.jpeg" is not.
 */
bool acceptsFileName(QStringView name, FileTypeCode code);

/** The same test on a file name's bytes as the file system gives them. */
bool acceptsFileName(const char *name, size_t length, FileTypeCode code);
