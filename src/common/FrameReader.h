// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "common/PictureLoader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>

class QImageReader;

/** Where the frames of an animated GIF come from, as loading its first frame found them. */
struct AnimationSource
{
    QString path;
    /** What the first frame was loaded within; every later frame is decoded within it too. */
    PictureLoader::Limits limits;
    /** The size of every decoded frame: the first frame's. */
    QSize frameSize;
    int frameCount = 0;
    /** Passes after the first, as the file asks: 0 plays once, -1 forever. */
    int loops = 0;
    /** How long the first frame stays, in milliseconds. */
    int firstDelay = 100;
};

/**
 * Reads the frames of an animated picture one at a time, in the order they are shown,
 * starting after the first (which the loaded picture holds) and keeping none of them.
 * The file goes through the program's one check of what it may read and is read once,
 * up to kMostBytes, then decoded from memory: it is not held open while the picture is
 * on show (it may be deleted meanwhile), and a new pass reads nothing from disk.
 */
class FrameReader
{
public:
    explicit FrameReader(std::shared_ptr<const AnimationSource> source);
    ~FrameReader();
    FrameReader(const FrameReader &) = delete;
    FrameReader &operator=(const FrameReader &) = delete;

    struct Frame
    {
        QImage image;
        /** How long it stays, in milliseconds. */
        int delay = 0;
    };

    /**
     * The next frame to show; nothing once the last pass is over, or when a frame does
     * not decode (a file cut short), and nothing ever after.
     */
    std::optional<Frame> next();

    /**
     * How long a frame stays, in milliseconds, for the delay a file gives it: below 20
     * it is 100, as browsers do, so that no file can ask for frames without a pause.
     */
    static int shownFor(int delay);

    /** The most of a file held while it plays; frames beyond it end the animation. */
    static constexpr qint64 kMostBytes = qint64(32) << 20;

private:
    /** Opens a new pass at the first frame, with the checks every load makes. */
    bool startPass();
    std::optional<Frame> read();
    /** Lets go of everything: the animation stays on the frame shown last. */
    std::optional<Frame> end();

    std::shared_ptr<const AnimationSource> mSource;
    QByteArray mBytes;
    QBuffer mBuffer;
    std::unique_ptr<QImageReader> mReader;
    int mRead = 0;   // frames read in this pass
    int mPasses = 0; // passes started
    bool mOver = false;
};
