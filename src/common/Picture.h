// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "common/FileStamp.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <memory>

struct AnimationSource;

/**
 * A loaded picture. `natural` is its upright size in pixels. `image` may hold less
 * than all of it when only that much will be seen: the whole picture decoded at a
 * smaller size, or the part `part` of it at natural size.
 */
struct Picture
{
    QImage image;
    QSize natural;
    /** The part of the natural picture that `image` holds; empty: all of it. */
    QRect part;
    /** Where it was loaded from, so more of it can be decoded when more is shown. */
    QString source;
    /** The version of `source` it was decoded from: only that version is decoded again. */
    FileStamp stamp;
    /**
     * For a picture decoded in part: the file's content as it was decoded, so the rest
     * can be drawn later (stretched, or in a larger window) even when the file has
     * changed or gone since. Empty for a whole picture, or a file too large to keep.
     */
    QByteArray encoded;
    /**
     * Set when the picture has frames after the one `image` holds: where they are read
     * from while it is on show. Shared and never changed, so a picture stays cheap to
     * copy and may be made on one thread and shown on another.
     */
    std::shared_ptr<const AnimationSource> animation;

    bool isNull() const { return image.isNull(); }
    bool isAnimated() const { return animation != nullptr; }
    bool isWhole() const { return part.isEmpty() || part == QRect(QPoint(0, 0), natural); }
    /** Memory it holds: the decoded pixels and any content kept. */
    qint64 heldBytes() const { return image.sizeInBytes() + encoded.size(); }
};

/** How much of a picture to decode, decided once its natural size is known. */
struct DecodeTarget
{
    /** The whole picture scaled down to exactly this size (device pixels); invalid: natural. */
    QSize scaled;
    /** Else only this part of it at natural size; empty: all of it. */
    QRect clip;

    bool operator==(const DecodeTarget &) const = default;
};
