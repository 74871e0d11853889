// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QSize>

/**
 * Writes GIF files, which Qt reads but cannot write: still pictures and animations, for
 * the demo pictures and for the tests. Every frame is stored as uncompressed LZW (each
 * pixel its own nine-bit code), so the files are large but simple and exact.
 */
namespace GifWriter {

struct Frame
{
    QImage image;
    /** Where the frame's top-left corner sits on the logical screen. */
    QPoint at = {};
    /** How long the frame stays, in hundredths of a second (the file's own unit). */
    int delay = 10;
};

struct Animation
{
    /** The logical screen; empty: the size of the first frame. */
    QSize screen;
    /** The loop block's count: 0 repeats forever, n repeats n more times; -1: no block. */
    int loops = 0;
    QList<Frame> frames;
};

/**
 * The GIF of `animation`. All frames share one colour table of up to 256 colours, made
 * from all of them together, so frames of a few flat colours keep them exactly.
 */
QByteArray write(const Animation &animation);

/** A GIF of one frame with no loop block: a still picture. */
QByteArray write(const QImage &image);

} // namespace GifWriter
