// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/JpegLayout.h"

#include <QIODevice>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

namespace {

/** Reads a device forward in large blocks, a byte or a run of bytes at a time. */
class ByteSource
{
public:
    ByteSource(QIODevice &device, const std::atomic<bool> *cancel)
        : mDevice(device), mCancel(cancel), mBlock(64 * 1024)
    {}

    /** The next byte, or -1 at the end (or once cancelled). */
    int next()
    {
        if (mAt == mEnd && !refill())
            return -1;
        return uchar(mBlock[mAt++]);
    }

    bool skip(qint64 count)
    {
        while (count > 0) {
            if (mAt == mEnd && !refill())
                return false;
            const qint64 step = std::min<qint64>(count, mEnd - mAt);
            mAt += step;
            count -= step;
        }
        return true;
    }

    /**
     * Skips entropy-coded data up to the next marker that is not a restart marker and
     * reads it: its code, or -1 at the end.
     */
    int skipEntropyData()
    {
        for (;;) {
            if (mAt == mEnd && !refill())
                return -1;
            const void *found = std::memchr(mBlock.data() + mAt, 0xff, mEnd - mAt);
            if (!found) {
                mAt = mEnd;
                continue;
            }
            mAt = qint64(static_cast<const char *>(found) - mBlock.data()) + 1;
            int marker = next();
            while (marker == 0xff) // fill bytes
                marker = next();
            // A stuffed zero or a restart marker belongs to the data.
            if (marker == 0x00 || (marker >= 0xd0 && marker <= 0xd7))
                continue;
            return marker;
        }
    }

private:
    bool refill()
    {
        if (mCancel && mCancel->load(std::memory_order_relaxed))
            return false;
        const qint64 got = mDevice.read(mBlock.data(), qint64(mBlock.size()));
        if (got <= 0)
            return false;
        mAt = 0;
        mEnd = got;
        return true;
    }

    QIODevice &mDevice;
    const std::atomic<bool> *mCancel;
    std::vector<char> mBlock;
    qint64 mAt = 0;
    qint64 mEnd = 0;
};

struct Component
{
    int h = 1;
    int v = 1;
};

qint64 divideUp(qint64 a, qint64 b)
{
    return (a + b - 1) / b;
}

/** The coefficient arrays libjpeg allocates for a frame it buffers whole. */
qint64 coefficientBytes(QSize size, const std::vector<Component> &components)
{
    int hMax = 1;
    int vMax = 1;
    for (const Component &c : components) {
        hMax = std::max(hMax, c.h);
        vMax = std::max(vMax, c.v);
    }
    qint64 bytes = 0;
    for (const Component &c : components) {
        const qint64 across = divideUp(qint64(size.width()) * c.h, qint64(hMax) * 8);
        const qint64 down = divideUp(qint64(size.height()) * c.v, qint64(vMax) * 8);
        // Whole MCUs of blocks, 64 coefficients of two bytes each.
        bytes += divideUp(across, c.h) * c.h * divideUp(down, c.v) * c.v * 128;
    }
    return bytes;
}

bool isFrameHeader(int marker)
{
    // SOF0 to SOF15, without DHT (c4), JPG (c8) and DAC (cc).
    return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
}

} // namespace

JpegLayout JpegLayout::walk(QIODevice &device, const std::atomic<bool> *cancel)
{
    JpegLayout layout;
    const qint64 start = device.pos();
    ByteSource in(device, cancel);
    std::vector<Component> components;

    const auto word = [&in]() {
        const int high = in.next();
        const int low = in.next();
        return high < 0 || low < 0 ? -1 : (high << 8) | low;
    };

    if (in.next() != 0xff || in.next() != 0xd8) {
        device.seek(start);
        return layout;
    }
    int marker = -1; // met at the end of a scan's data
    for (;;) {
        if (marker < 0) {
            // The next marker: fill bytes first, anything else between segments is skipped.
            int byte = in.next();
            while (byte >= 0 && byte != 0xff)
                byte = in.next();
            marker = byte;
            while (marker == 0xff)
                marker = in.next();
        }
        if (marker < 0 || marker == 0xd9) // the end of the file or of the picture
            break;
        const int code = std::exchange(marker, -1);
        if (code == 0x01 || (code >= 0xd0 && code <= 0xd8))
            continue; // no segment follows
        const int length = word();
        if (length < 2)
            break;
        if (isFrameHeader(code) && !layout.size.isValid()) {
            if (length < 8)
                break;
            in.next(); // precision
            const int height = word();
            const int width = word();
            const int count = in.next();
            if (height < 0 || width < 0 || count < 0)
                break;
            layout.size = QSize(width, height);
            layout.progressive = code == 0xc2 || code == 0xc6 || code == 0xca || code == 0xce;
            layout.multiScan = layout.progressive;
            int left = length - 8;
            for (int i = 0; i < count && left >= 3; ++i, left -= 3) {
                in.next(); // identifier
                const int sampling = in.next();
                in.next(); // quantisation table
                if (sampling < 0)
                    break;
                components.push_back(
                    {std::clamp(sampling >> 4, 1, 4), std::clamp(sampling & 0x0f, 1, 4)});
            }
            if (!in.skip(left))
                break;
            continue;
        }
        if (code == 0xda) {
            ++layout.scans;
            const int inScan = in.next();
            if (inScan < 0 || !in.skip(length - 3))
                break;
            if (layout.scans == 1) {
                layout.multiScan = layout.multiScan || inScan < int(components.size());
                if (!layout.multiScan)
                    break; // one interleaved scan holds the whole picture
            }
            if (layout.tooManyScans())
                break;
            marker = in.skipEntropyData();
            continue;
        }
        if (!in.skip(length - 2))
            break;
    }
    if (layout.multiScan && layout.size.isValid() && !components.empty())
        layout.bufferBytes = coefficientBytes(layout.size, components);
    device.seek(start);
    return layout;
}
