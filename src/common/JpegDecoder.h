// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <atomic>

/**
 * Decodes a JPEG held in memory with libjpeg, scaled down while it decodes to a size
 * that still covers the size asked for, straight into 32-bit RGB (or
 * 8-bit grey), then smoothly scaled to that size. The picture comes back as the file
 * stores it, before any EXIF turn.
 */
namespace JpegDecoder {

/** Whether this build decodes JPEGs itself (else Qt's reader does). */
bool available();

/**
 * The numerator M of the scale M/8 libjpeg decodes `stored` at so that its output still
 * covers `target` in both directions: the smallest of 1, 2, 4 and 8 that does, the
 * eighths libjpeg-turbo decodes fastest.
 */
int scaleEighths(QSize stored, QSize target);

enum class Outcome {
    Decoded,
    /** A colour model this decoder leaves to Qt's reader (CMYK, YCCK). */
    Unsupported,
    /** Not a JPEG libjpeg can decode, or the decode was cancelled. */
    Failed,
    /** The decoded picture would take more than the bytes allowed. */
    TooLarge,
};

struct Decoded
{
    Outcome outcome = Outcome::Failed;
    QImage image;
};

/**
 * Decodes `bytes` to `target` (the stored orientation; empty for the whole picture),
 * taking no more than `maxBytes` for any picture it makes on the way. Once `cancel` is
 * set the decode stops at the next row and fails. With `threads` above 1, a file of
 * one scan is decoded by two threads, each into its own rows, for a picture someone
 * is waiting for; the pixels are the same.
 */
Decoded decode(const QByteArray &bytes, QSize target, qint64 maxBytes,
               const std::atomic<bool> *cancel = nullptr, int threads = 1);

} // namespace JpegDecoder
