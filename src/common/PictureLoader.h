// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "common/Picture.h"
#include "common/Result.h"

#include <QByteArray>
#include <QFlags>
#include <QSize>
#include <QString>

#include <atomic>
#include <functional>

class QImageReader;
class QIODevice;

/**
 * Loads every picture the program shows: JPEG, BMP and GIF, told apart by their first
 * bytes whatever the name says, from a regular file or from bytes already read. The
 * EXIF orientation is applied, so the natural size is the upright size. Each call
 * passes its own limits, and a picture beyond them is refused before it is decoded.
 */
namespace PictureLoader {

enum Format {
    Jpeg = 0x1,
    Bmp = 0x2,
    Gif = 0x4,
};
Q_DECLARE_FLAGS(Formats, Format)

/** What one load accepts. */
struct Limits
{
    Formats formats{Jpeg, Bmp, Gif};
    /** Longest side, in pixels. */
    int maxSide = 65535;
    /** Pixels of a JPEG, which may be decoded scaled down or only in part. */
    qint64 maxPixels = 400'000'000;
    /**
     * Pixels of a GIF or BMP, which are always decoded whole, and of a GIF's logical
     * screen: a few bytes of header can claim billions, and the decoder clears them all.
     */
    qint64 maxWholePixels = 64'000'000;
    /** Memory the decoded picture may take, in bytes. */
    qint64 maxDecodedBytes = qint64(1024) << 20;
    /**
     * Memory the decoder may keep for the whole decode besides the picture: the
     * coefficients of a JPEG of several scans (progressive), whatever size it is decoded at.
     */
    qint64 maxBufferBytes = qint64(512) << 20;
};

/** The limits of slides and of the viewer's background. */
inline constexpr Limits kShowLimits{};

/** Decides, from a picture's natural (upright) size, how much of it to decode. */
using Want = std::function<DecodeTarget(QSize natural)>;

/** How a caller follows one load and stops it. */
struct Control
{
    /**
     * Once set (from any thread), the load stops reading and decoding as soon as it can
     * and fails; nothing it decoded is handed out.
     */
    const std::atomic<bool> *cancel = nullptr;
    /**
     * Told, after the header's checks and before `want` is asked, the bytes the decoder
     * will keep for the whole decode besides the picture (0 for most files).
     */
    std::function<void(qint64 bytes)> buffers;
    /**
     * Threads the decode may take: above 1 for a picture someone is waiting for, while
     * nothing else is decoded.
     */
    int threads = 1;
};

/**
 * Loads `path` within `limits`. When `shownSize` (device pixels) is given and smaller
 * than the picture, a JPEG may be decoded at a smaller size that still covers it in
 * both directions; `Picture::natural` stays the full upright size either way.
 */
Result<Picture> load(const QString &path, const Limits &limits, QSize shownSize = QSize(),
                     const Control &control = {});

/**
 * Loads `path` within `limits`, decoding only what `want` asks for: a JPEG scaled down
 * while it is decoded, or only the part that will be seen. Other formats, and turned
 * pictures asked for a part, are decoded whole. Safe to call from any thread.
 */
Result<Picture> load(const QString &path, const Limits &limits, const Want &want,
                     const Control &control = {});

/** Loads the picture held in `bytes` within `limits`, decoded whole. */
Result<Picture> loadBytes(const QByteArray &bytes, const Limits &limits);

/** Loads the picture held in `bytes` within `limits`, decoding only what `want` asks for. */
Result<Picture> loadBytes(const QByteArray &bytes, const Limits &limits, const Want &want);

/** A picture decoded in part keeps its file's content up to this size (see Picture). */
inline constexpr qint64 kMaxKeptBytes = qint64(64) << 20;

/**
 * Sets `reader` up to read the frames of the GIF in `device` one at a time, after the
 * checks load() makes before it decodes: every frame is decoded within `limits`.
 */
Result<> startFrames(QIODevice &device, const Limits &limits, QImageReader &reader);

/** "jpeg", "bmp" or "gif" for a file that starts with `head`; empty for anything else. */
QByteArray sniffFormat(const QByteArray &head);

/**
 * Sets Qt's image allocation limit, which holds for the whole process and every thread,
 * to the most any load of the program allows. Called once at start-up, before anything
 * is decoded; nothing else sets it.
 */
void setDecoderCeiling();

} // namespace PictureLoader

Q_DECLARE_OPERATORS_FOR_FLAGS(PictureLoader::Formats)
