// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/FrameReader.h"

#include "common/Files.h"

#include <QImageReader>

FrameReader::FrameReader(std::shared_ptr<const AnimationSource> source) : mSource(std::move(source))
{}

FrameReader::~FrameReader() = default;

int FrameReader::shownFor(int delay)
{
    return delay < 20 ? 100 : delay;
}

std::optional<FrameReader::Frame> FrameReader::next()
{
    if (mOver || !mSource)
        return std::nullopt;
    if (!mReader) {
        // The file is read when the first frame has had its time, not before: a picture
        // passed over quickly costs nothing more.
        Result<QByteArray> bytes = Files::read(mSource->path, kMostBytes);
        if (!bytes)
            return end();
        mBytes = std::move(*bytes);
        mBuffer.setBuffer(&mBytes);
        if (!mBuffer.open(QIODevice::ReadOnly) || !startPass() || !read())
            return end();
    }
    if (std::optional<Frame> frame = read())
        return frame;
    // A pass that stopped short of its frames met one that does not decode: stay on the
    // last good one rather than start over at a fault.
    if (mRead < mSource->frameCount)
        return end();
    if (mSource->loops >= 0 && mPasses > mSource->loops)
        return end();
    if (!startPass())
        return end();
    if (std::optional<Frame> first = read())
        return first;
    return end();
}

bool FrameReader::startPass()
{
    // A reader of its own for each pass: the decoder cannot go back to the first frame.
    mReader = std::make_unique<QImageReader>();
    if (!mBuffer.seek(0) || !PictureLoader::startFrames(mBuffer, mSource->limits, *mReader))
        return false;
    mRead = 0;
    ++mPasses;
    return true;
}

std::optional<FrameReader::Frame> FrameReader::read()
{
    QImage image;
    // A frame of another size would come from another file under the same name.
    if (!mReader->read(&image) || image.size() != mSource->frameSize)
        return std::nullopt;
    ++mRead;
    return Frame{std::move(image), shownFor(mReader->nextImageDelay())};
}

std::optional<FrameReader::Frame> FrameReader::end()
{
    mOver = true;
    mReader.reset();
    mBuffer.close();
    mBytes = QByteArray();
    return std::nullopt;
}
