// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A folder of broken, lying and hostile picture files, made on the spot (nothing is
// downloaded). Used by the tests and by scripts/make-bad-pictures.sh.

#include "GifWriter.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QList>
#include <QRandomGenerator>
#include <QSize>
#include <QString>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace BadPictures {

/** What a show should make of a file. */
enum class Expect {
    Shows,   ///< decodes (perhaps only in part) to a picture of `natural` size
    Invalid, ///< refused: the previous picture stays
    Either,  ///< the decoder may take it or not; it must only not harm the show
};

struct Item
{
    QString name;
    Expect expect;
    QSize natural;
    /** False for entries the folder scan must leave out (FIFO, device, dangling link). */
    bool listed = true;
};

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

/**
 * A JPEG of `size` with enough detail that cutting it leaves a visible part, and that
 * every block decodes to something of its own; one channel when `grey`.
 */
inline QByteArray jpeg(QSize size, bool progressive, bool grey = false)
{
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator noise(7);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = qRgb(x * 255 / size.width(), y * 255 / size.height(), noise.bounded(256));
    }
    if (grey)
        image = image.convertToFormat(QImage::Format_Grayscale8);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

/** Sets the height and width of the first frame header of a JPEG. */
inline QByteArray withJpegSize(QByteArray bytes, int width, int height)
{
    for (qsizetype i = 2; i + 9 < bytes.size(); ++i) {
        const uchar marker = uchar(bytes[i + 1]);
        if (uchar(bytes[i]) == 0xff && (marker == 0xc0 || marker == 0xc2)) {
            bytes[i + 5] = char(height >> 8);
            bytes[i + 6] = char(height & 0xff);
            bytes[i + 7] = char(width >> 8);
            bytes[i + 8] = char(width & 0xff);
            break;
        }
    }
    return bytes;
}

inline QByteArray le16(int v)
{
    return QByteArray(1, char(v & 0xff)) + char((v >> 8) & 0xff);
}

inline QByteArray le32(qint64 v)
{
    return le16(int(v & 0xffff)) + le16(int((v >> 16) & 0xffff));
}

/** A BMP file header and info header with the given fields and `pixels` after them. */
inline QByteArray bmp(qint64 width, qint64 height, int bits, int compression,
                      const QByteArray &pixels)
{
    QByteArray info = le32(40) + le32(width) + le32(height) + le16(1) + le16(bits) +
                      le32(compression) + le32(pixels.size()) + le32(2835) + le32(2835) + le32(0) +
                      le32(0);
    return "BM" + le32(14 + info.size() + pixels.size()) + le32(0) + le32(14 + info.size()) + info +
           pixels;
}

/** `size` pixels of one colour, to make GIF frames of. */
inline QImage solid(QSize size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

/** 2 x 2 GIF frames, red and blue by turns, on a logical screen of `screen`. */
inline QByteArray tinyGif(QSize screen, int frames, int delay = 10)
{
    GifWriter::Animation animation{.screen = screen, .loops = frames > 1 ? 0 : -1, .frames = {}};
    for (int f = 0; f < frames; ++f)
        animation.frames.append({solid({2, 2}, f % 2 ? 0xff0000ff : 0xffff0000), {}, delay});
    return GifWriter::write(animation);
}

/** Three frames that loop forever, the file cut where the third one's pixels begin. */
inline QByteArray gifCutAfterFrame2(QSize size)
{
    GifWriter::Animation animation{.screen = QSize(), .loops = 0, .frames = {}};
    for (QRgb colour : {0xffff0000, 0xff0000ff, 0xffff0000})
        animation.frames.append({solid(size, colour), {}, 2});
    const QByteArray whole = GifWriter::write(animation);
    animation.frames.removeLast();
    // The same colours, so the first two frames are the same bytes; then the third one's
    // control block (8), its descriptor (10) and its code size (1), and no pixels.
    const qsizetype twoFrames = GifWriter::write(animation).size() - 1;
    return whole.left(twoFrames + 8 + 10 + 1);
}

/** A small screen whose later frames lie wholly or partly outside it. */
inline QByteArray gifFramesOutside(QSize screen)
{
    GifWriter::Animation animation{.screen = screen, .loops = 0, .frames = {}};
    animation.frames.append({solid(screen, 0xffff0000), {}, 2});
    animation.frames.append({solid({8, 8}, 0xff0000ff), {60000, 60000}, 2});
    animation.frames.append(
        {solid({8, 8}, 0xff00ff00), {screen.width() - 4, screen.height() - 4}, 2});
    animation.frames.append({solid({4, 4}, 0xff0000ff), {screen.width(), 0}, 2});
    return GifWriter::write(animation);
}

/** A grey JPEG of `side` x `side` (solid, so it stays small on disk). */
inline QByteArray solidJpeg(int side)
{
    QImage image(side, side, QImage::Format_Grayscale8);
    image.fill(140);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(image);
    return bytes;
}

/** A flat grey progressive JPEG of `side` x `side`, without its end marker. */
inline QByteArray flatProgressiveGrey(int side)
{
    QImage image(side, side, QImage::Format_Grayscale8);
    image.fill(128);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.write(image);
    if (bytes.endsWith("\xff\xd9"))
        bytes.chop(2);
    return bytes;
}

/**
 * A progressive grey JPEG of `side` x `side` followed by `extra` scans of the whole
 * picture's AC coefficients, each only a few bytes long: the decoder runs every one of
 * them over every block, so a file of a few hundred kilobytes can keep it busy for
 * minutes. Without `extra`, none are added.
 */
inline QByteArray manyScans(int side, int extra)
{
    QByteArray bytes = flatProgressiveGrey(side);
    // An AC table 0 whose one code, a single 0 bit, ends the block.
    QByteArray table("\xff\xc4\x00\x14\x10", 5);
    table += QByteArray("\x01", 1) + QByteArray(15, '\0') + QByteArray(1, '\0');
    bytes += table;
    // Component 1, coefficients 1 to 63, a first pass; then four bytes of data.
    const QByteArray scan("\xff\xda\x00\x08\x01\x01\x00\x01\x3f\x00\x00\x00\x00\x00", 14);
    bytes.reserve(bytes.size() + qsizetype(scan.size()) * extra + 2);
    for (int i = 0; i < extra; ++i)
        bytes += scan;
    return bytes;
}

/** A small progressive JPEG whose frame header claims `width` x `height`. */
inline QByteArray hugeProgressiveHeader(int width, int height, bool fullChroma)
{
    QByteArray bytes = withJpegSize(jpeg(QSize(64, 48), true), width, height);
    if (fullChroma) {
        const qsizetype frame = bytes.indexOf("\xff\xc2");
        // Every component sampled 1x1: 4:4:4.
        for (int c = 0; c < 3 && frame > 0; ++c)
            bytes[frame + 10 + 3 * c + 1] = char(0x11);
    }
    return bytes;
}

/**
 * Writes the corpus into the existing folder `dir`; returns what is in it. With
 * `withHuge` a 12000 x 12000 JPEG is written too (it takes a second and 150 MB while
 * it is made).
 */
inline QList<Item> make(const QString &dir, bool withHuge = true)
{
    const auto at = [&dir](const QString &name) { return dir + u'/' + name; };
    QList<Item> items;
    const auto add = [&](const QString &name, const QByteArray &bytes, Expect expect,
                         QSize natural = QSize()) {
        if (writeBytes(at(name), bytes))
            items.append({name, expect, natural});
    };

    const QSize small(64, 48);
    const QByteArray good = jpeg(small, false);
    add(QStringLiteral("00-good.jpg"), good, Expect::Shows, small);
    add(QStringLiteral("empty.jpg"), QByteArray(), Expect::Invalid);
    add(QStringLiteral("empty.gif"), QByteArray(), Expect::Invalid);
    add(QStringLiteral("header-only.jpg"), good.left(20), Expect::Invalid);
    add(QStringLiteral("header-only.bmp"), bmp(10, 10, 24, 0, QByteArray()).left(30),
        Expect::Invalid);
    add(QStringLiteral("header-only.gif"), QByteArrayLiteral("GIF89a"), Expect::Invalid);
    QRandomGenerator random(20240);
    QByteArray noise(8192, '\0');
    for (char &c : noise)
        c = char(random.bounded(256));
    noise[0] = 'x'; // no picture's signature
    add(QStringLiteral("random.jpg"), noise, Expect::Invalid);
    add(QStringLiteral("random-after-signature.jpg"), QByteArray("\xff\xd8\xff", 3) + noise,
        Expect::Either);
    add(QStringLiteral("random-after-signature.gif"), "GIF89a" + noise, Expect::Either);
    add(QStringLiteral("random-after-signature.bmp"), "BM" + noise, Expect::Either);

    const QSize mid(320, 240);
    const QByteArray baseline = jpeg(mid, false);
    const QByteArray progressive = jpeg(mid, true);
    add(QStringLiteral("truncated-baseline.jpg"), baseline.left(baseline.size() * 6 / 10),
        Expect::Shows, mid);
    add(QStringLiteral("truncated-progressive.jpg"), progressive.left(progressive.size() * 6 / 10),
        Expect::Shows, mid);
    add(QStringLiteral("jpeg-named.bmp"), jpeg(QSize(50, 70), false), Expect::Shows, {50, 70});
    add(QStringLiteral("jpeg-named.gif"), jpeg(QSize(70, 50), false), Expect::Shows, {70, 50});
    add(QStringLiteral("claims-60000.jpg"), withJpegSize(good, 60000, 60000), Expect::Invalid);
    add(QStringLiteral("claims-0.jpg"), withJpegSize(good, 0, 0), Expect::Invalid);
    if (withHuge)
        add(QStringLiteral("huge-12000.jpg"), solidJpeg(12000), Expect::Shows, {12000, 12000});
    // Thousands of scans, each decoded over the whole picture: refused from the header.
    add(QStringLiteral("scans-6000.jpg"), manyScans(withHuge ? 8000 : 1024, 6000), Expect::Invalid);
    // Coefficients of gigabytes for a progressive file, whatever size it is shown at.
    add(QStringLiteral("progressive-19999x20000.jpg"), hugeProgressiveHeader(19999, 20000, false),
        Expect::Invalid);
    add(QStringLiteral("progressive-19999x20000-444.jpg"),
        hugeProgressiveHeader(19999, 20000, true), Expect::Invalid);

    add(QStringLiteral("screen-65535.gif"), tinyGif({65535, 65535}, 1), Expect::Either);
    add(QStringLiteral("animated.gif"), tinyGif({2, 2}, 2), Expect::Shows, {2, 2});
    // Animations play while they are on show, a frame at a time, within the same limits.
    add(QStringLiteral("animated-cut-after-2.gif"), gifCutAfterFrame2({16, 12}), Expect::Shows,
        {16, 12});
    add(QStringLiteral("animated-outside.gif"), gifFramesOutside({16, 12}), Expect::Shows,
        {16, 12});
    // No delay: each of them would stay no time at all.
    add(QStringLiteral("animated-10000.gif"), tinyGif({2, 2}, 10000, 0), Expect::Shows, {2, 2});

    const QByteArray row(16, '\x7f');
    add(QStringLiteral("bmp-huge.bmp"), bmp(100000, 100000, 24, 0, row), Expect::Invalid);
    add(QStringLiteral("bmp-sides-over-limit.bmp"), bmp(30000, 30000, 24, 0, row), Expect::Invalid);
    add(QStringLiteral("bmp-negative-width.bmp"), bmp(-16, 16, 24, 0, row), Expect::Invalid);
    add(QStringLiteral("bmp-negative-height.bmp"), bmp(16, qint64(INT_MIN), 24, 0, row),
        Expect::Invalid);
    add(QStringLiteral("bmp-top-down-short.bmp"), bmp(4, -4, 24, 0, row), Expect::Either);
    add(QStringLiteral("bmp-absurd.bmp"), bmp(0x7fffffff, 0x7fffffff, 0xffff, 99, row),
        Expect::Invalid);
    add(QStringLiteral("bmp-zero-bits.bmp"), bmp(8, 8, 0, 0, row), Expect::Either);

    // Never listed by a scan; a show meets them only when the name changed since.
#ifndef Q_OS_WIN
    const QByteArray fifo = QFile::encodeName(at(QStringLiteral("p.jpg")));
    if (::mkfifo(fifo.constData(), 0600) == 0)
        items.append({QStringLiteral("p.jpg"), Expect::Invalid, QSize(), false});
#endif
    if (QFile::link(QStringLiteral("/dev/zero"), at(QStringLiteral("z.jpg"))))
        items.append({QStringLiteral("z.jpg"), Expect::Invalid, QSize(), false});
    if (QFile::link(at(QStringLiteral("nowhere.jpg")), at(QStringLiteral("dangling.jpg"))))
        items.append({QStringLiteral("dangling.jpg"), Expect::Invalid, QSize(), false});
    return items;
}

} // namespace BadPictures
