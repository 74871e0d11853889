// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GifWriter.h"

#include <QHash>

#include <algorithm>

namespace GifWriter {

namespace {

void put16(QByteArray &out, int v)
{
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

// One table for every frame: their own colours when there are few enough, else the
// table Qt picks for all of them stacked, which the frames are then dithered to.
QList<QRgb> sharedPalette(const QList<QImage> &frames)
{
    QHash<QRgb, bool> seen;
    for (const QImage &frame : frames) {
        for (int y = 0; y < frame.height() && seen.size() <= 256; ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(frame.constScanLine(y));
            for (int x = 0; x < frame.width(); ++x)
                seen.insert(line[x], true);
        }
    }
    if (seen.size() <= 256) {
        QList<QRgb> palette = seen.keys();
        std::sort(palette.begin(), palette.end());
        return palette;
    }
    int width = 0;
    int height = 0;
    for (const QImage &frame : frames) {
        width = std::max(width, frame.width());
        height += frame.height();
    }
    QImage stacked(width, height, QImage::Format_RGB32);
    stacked.fill(frames.first().pixel(0, 0));
    int top = 0;
    for (const QImage &frame : frames) {
        for (int y = 0; y < frame.height(); ++y)
            std::copy_n(frame.constScanLine(y), frame.bytesPerLine(), stacked.scanLine(top + y));
        top += frame.height();
    }
    return stacked.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither).colorTable();
}

// The pixels as uncompressed LZW: every pixel its own code, with a clear code often
// enough that the code size never grows past nine bits.
QByteArray pixelCodes(const QImage &indexed)
{
    QByteArray data;
    quint32 bits = 0;
    int bitCount = 0;
    const auto emitCode = [&](int code) {
        bits |= quint32(code) << bitCount;
        bitCount += 9;
        while (bitCount >= 8) {
            data.append(char(bits & 0xff));
            bits >>= 8;
            bitCount -= 8;
        }
    };
    constexpr int kClear = 256;
    constexpr int kEnd = 257;
    int sinceClear = 0;
    emitCode(kClear);
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar *row = indexed.constScanLine(y);
        for (int x = 0; x < indexed.width(); ++x) {
            if (sinceClear == 250) {
                emitCode(kClear);
                sinceClear = 0;
            }
            emitCode(row[x]);
            ++sinceClear;
        }
    }
    emitCode(kEnd);
    if (bitCount > 0)
        data.append(char(bits & 0xff));

    QByteArray blocks;
    for (qsizetype i = 0; i < data.size(); i += 255) {
        const QByteArray block = data.mid(i, 255);
        blocks.append(char(block.size()));
        blocks.append(block);
    }
    blocks.append(char(0));
    return blocks;
}

} // namespace

QByteArray write(const Animation &animation)
{
    if (animation.frames.isEmpty())
        return QByteArray();
    QList<QImage> frames;
    for (const Frame &frame : animation.frames)
        frames.append(frame.image.convertToFormat(QImage::Format_RGB32));
    QList<QRgb> palette = sharedPalette(frames);

    const QSize screen = animation.screen.isEmpty() ? frames.first().size() : animation.screen;
    QByteArray out("GIF89a");
    put16(out, screen.width());
    put16(out, screen.height());
    out.append(char(0xf7)); // global colour table of 256 entries, 8 bits
    out.append(char(0));    // background colour index
    out.append(char(0));    // square pixels
    const QList<QRgb> table = [&] {
        QList<QRgb> padded = palette;
        padded.resize(256, qRgb(0, 0, 0));
        return padded;
    }();
    for (QRgb c : table) {
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }
    if (animation.loops >= 0) {
        out.append(QByteArray::fromHex("21ff0b"));
        out.append("NETSCAPE2.0");
        out.append(QByteArray::fromHex("0301"));
        put16(out, animation.loops);
        out.append(char(0));
    }
    for (qsizetype i = 0; i < frames.size(); ++i) {
        const Frame &frame = animation.frames[i];
        out.append(QByteArray::fromHex("21f904"));
        out.append(char(0)); // no disposal, no transparency
        put16(out, frame.delay);
        out.append(char(0));
        out.append(char(0));

        out.append(char(0x2c));
        put16(out, frame.at.x());
        put16(out, frame.at.y());
        put16(out, frames[i].width());
        put16(out, frames[i].height());
        out.append(char(0)); // no local table, not interlaced
        out.append(char(8)); // minimum code size
        out.append(pixelCodes(
            frames[i].convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither)));
    }
    out.append(char(0x3b));
    return out;
}

QByteArray write(const QImage &image)
{
    return write(Animation{.screen = QSize(), .loops = -1, .frames = {Frame{image, {}, 0}}});
}

} // namespace GifWriter
