#pragma once

#include "common/Picture.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <functional>

/**
 * Loads the pictures the program shows: JPEG, BMP and GIF, told apart by their first
 * bytes whatever the name says. Only regular files are opened. The EXIF orientation
 * is applied, so the natural size is the upright size.
 */
namespace PictureLoader {

struct Result
{
    Picture picture;
    /** Empty on success, else what went wrong ("File not found", "Invalid picture", ...). */
    QString error;

    bool ok() const { return error.isEmpty(); }
};

/** Sides beyond this are refused before anything is decoded. */
inline constexpr int maxSide = 65535;
/** Pictures with more pixels than this are refused before anything is decoded. */
inline constexpr qint64 maxPixels = 400'000'000;
/**
 * The same for GIF and BMP, which are always decoded whole: a few bytes of header can
 * claim a screen of billions of pixels, and the decoder would clear it all first.
 */
inline constexpr qint64 maxFullDecodePixels = 64'000'000;
/** Memory one decoded picture may take, in megabytes. */
inline constexpr int allocationLimitMB = 1024;

/**
 * Loads `path`. When `shownSize` (device pixels) is given and smaller than the
 * picture, a JPEG may be decoded at a smaller size that still covers it in both
 * directions; `Picture::natural` stays the full upright size either way.
 */
Result load(const QString &path, QSize shownSize = QSize());

/** Decides, from a picture's natural (upright) size, how much of it to decode. */
using Want = std::function<DecodeTarget(QSize natural)>;

/**
 * Loads `path` decoding only what `want` asks for: a JPEG scaled down while it is
 * decoded, or only the part that will be seen. Other formats, and turned pictures
 * asked for a part, are decoded whole. Safe to call from any thread.
 */
Result load(const QString &path, const Want &want);

/** "jpeg", "bmp" or "gif" for a file that starts with `head`; empty for anything else. */
QByteArray sniffFormat(const QByteArray &head);

} // namespace PictureLoader
