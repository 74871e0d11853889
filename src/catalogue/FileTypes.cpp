// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "catalogue/FileTypes.h"

FileTypeCode fileTypeCodeForIndex(int selectorIndex)
{
    switch (selectorIndex) {
    case 0:
        return FileTypeCode::All;
    case 1:
        return FileTypeCode::Jpg;
    case 2:
        return FileTypeCode::Bmp;
    case 3:
        return FileTypeCode::Gif;
    default:
        return FileTypeCode::None;
    }
}

namespace {

char upperAscii(char32_t c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<char>(c - 'a' + 'A');
    if (c < 128)
        return static_cast<char>(c);
    return 0; // nothing outside ASCII upper-cases to J, P, G, B, M, I or F
}

bool acceptsTail(char a, char b, char c, FileTypeCode code)
{
    const bool jpg = a == 'J' && b == 'P' && c == 'G';
    const bool bmp = a == 'B' && b == 'M' && c == 'P';
    const bool gif = a == 'G' && b == 'I' && c == 'F';
    switch (code) {
    case FileTypeCode::All:
        return jpg || bmp || gif;
    case FileTypeCode::Jpg:
        return jpg;
    case FileTypeCode::Bmp:
        return bmp;
    case FileTypeCode::Gif:
        return gif;
    case FileTypeCode::None:
        break;
    }
    return false;
}

} // namespace

bool acceptsFileName(QStringView name, FileTypeCode code)
{
    const qsizetype n = name.size();
    if (n < 3 || code == FileTypeCode::None)
        return false;
    return acceptsTail(upperAscii(name[n - 3].unicode()), upperAscii(name[n - 2].unicode()),
                       upperAscii(name[n - 1].unicode()), code);
}

bool acceptsFileName(const char *name, size_t length, FileTypeCode code)
{
    // The last three characters are ASCII exactly when the last three bytes are,
    // since a byte below 128 never continues a multi-byte UTF-8 sequence.
    if (length < 3 || code == FileTypeCode::None)
        return false;
    const auto byte = [](char c) { return static_cast<unsigned char>(c); };
    return acceptsTail(upperAscii(byte(name[length - 3])), upperAscii(byte(name[length - 2])),
                       upperAscii(byte(name[length - 1])), code);
}
