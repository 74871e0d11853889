// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/PictureLoader.h"

#include "common/Files.h"
#include "common/FrameReader.h"
#include "common/JpegDecoder.h"
#include "common/JpegLayout.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace PictureLoader {

namespace {

// The decode size for a JPEG that will be drawn at `shown`: the smallest size with the
// picture's proportions that still covers `shown`, never more than natural.
QSize decodeSizeFor(QSize natural, QSize shown)
{
    if (!shown.isValid() || shown.isEmpty())
        return QSize();
    const double scale = std::max(double(shown.width()) / natural.width(),
                                  double(shown.height()) / natural.height());
    if (scale >= 1.0)
        return QSize();
    const QSize size(std::max(1, int(std::ceil(natural.width() * scale))),
                     std::max(1, int(std::ceil(natural.height() * scale))));
    return size == natural ? QSize() : size;
}

Format formatFlag(const QByteArray &format)
{
    return format == "jpeg" ? Jpeg : format == "bmp" ? Bmp : Gif;
}

// Memory of a decoded picture of `size` in `format`, counted the way Qt counts it
// against its own limit: whole 32-bit words per row. Where the decoder does not say,
// four bytes a pixel, the most any of the three formats decodes to.
qint64 decodedBytes(QSize size, QImage::Format format)
{
    const qint64 depth =
        format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel();
    return (qint64(size.width()) * depth + 31) / 32 * 4 * size.height();
}

/**
 * A file read through a flag: once the flag is set, every read fails, which makes the
 * decoder end its input there, so that a decode under way comes back soon.
 */
class CancellableDevice : public QIODevice
{
public:
    CancellableDevice(QIODevice &source, const std::atomic<bool> &cancel)
        : mSource(source), mCancel(cancel)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return mSource.isSequential(); }
    qint64 size() const override { return mSource.size(); }
    bool seek(qint64 pos) override { return QIODevice::seek(pos) && mSource.seek(pos); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (mCancel.load(std::memory_order_relaxed))
            return -1;
        return mSource.read(data, maxSize);
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QIODevice &mSource;
    const std::atomic<bool> &mCancel;
};

// The picture as it stands upright: mirrored first, then turned a quarter clockwise,
// as Qt's readers apply an EXIF orientation.
QImage upright(QImage image, QImageIOHandler::Transformations turn)
{
    if (turn == QImageIOHandler::TransformationNone)
        return image;
    if (turn & (QImageIOHandler::TransformationMirror | QImageIOHandler::TransformationFlip))
        image = std::move(image).mirrored(turn & QImageIOHandler::TransformationMirror,
                                          turn & QImageIOHandler::TransformationFlip);
    if (turn & QImageIOHandler::TransformationRotate90)
        image = image.transformed(QTransform().rotate(90));
    return image;
}

bool cancelled(const Control &control)
{
    return control.cancel && control.cancel->load(std::memory_order_relaxed);
}

// What start() found in a picture's header.
struct Header
{
    QByteArray format;
    /** The size the file stores, before any turn. */
    QSize stored;
    /** A GIF's logical screen, which its decoder clears whole; else empty. */
    QSize screen;
    /** What the decoder keeps besides the picture for the whole decode. */
    qint64 bufferBytes = 0;
};

// The checks every read starts with, from the header alone: the format, the sides and
// the pixels. Sets `reader` up to read `device` when they pass.
Result<Header> start(QIODevice &device, const Limits &limits, QImageReader &reader,
                     const Control &control = {})
{
    Header header;
    const QByteArray head = device.peek(10);
    header.format = sniffFormat(head);
    if (header.format.isEmpty() || !limits.formats.testFlag(formatFlag(header.format)))
        return Error::InvalidPicture;
    // The GIF decoder makes room for the whole logical screen of the header, whatever
    // size the frames are, so that screen must be within the limits too.
    if (header.format == "gif" && head.size() >= 10) {
        const auto word = [&head](int at) { return uchar(head[at]) | (uchar(head[at + 1]) << 8); };
        header.screen = QSize(word(6), word(8));
        if (qint64(header.screen.width()) * header.screen.height() > limits.maxWholePixels)
            return Error::PictureTooLarge;
    }
    // A JPEG's scans are counted before anything is decoded: each one is a pass of the
    // decoder over the whole picture, and a small file can hold thousands.
    if (header.format == "jpeg") {
        const JpegLayout layout = JpegLayout::walk(device, control.cancel);
        if (cancelled(control))
            return Error::InvalidPicture;
        if (layout.tooManyScans())
            return Error::InvalidPicture;
        if (layout.bufferBytes > limits.maxBufferBytes)
            return Error::PictureTooLarge;
        header.bufferBytes = layout.bufferBytes;
    }

    reader.setDevice(&device);
    reader.setFormat(header.format);
    // The format is known from the header: only its own decoder is asked. With detection
    // on, Qt loads every image plug-in in turn (SVG and its library included) to ask
    // each whether it reads the format.
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(true);
    reader.setQuality(100);

    header.stored = reader.size();
    const QSize stored = header.stored;
    if (!stored.isValid() || stored.isEmpty())
        return Error::InvalidPicture;
    if (stored.width() > limits.maxSide || stored.height() > limits.maxSide ||
        qint64(stored.width()) * stored.height() >
            (header.format == "jpeg" ? limits.maxPixels : limits.maxWholePixels))
        return Error::PictureTooLarge;
    return header;
}

// Both loads end here: the file opened, or the bytes in a buffer. `path` is where the
// bytes came from, for pictures whose later frames are read as they are shown.
Result<Picture> decode(QIODevice &device, const Limits &limits, const Want &want,
                       const QString &path = QString(), const Control &control = {})
{
    QImageReader reader;
    const Result<Header> started = start(device, limits, reader, control);
    if (!started)
        return started.error();
    const Header &header = *started;
    if (control.buffers)
        control.buffers(header.bufferBytes);
    const QByteArray &format = header.format;
    const QSize stored = header.stored;

    const QImageIOHandler::Transformations turn = reader.transformation();
    const bool turned = turn & QImageIOHandler::TransformationRotate90;
    const QSize natural = turned ? stored.transposed() : stored;
    const QRect whole(QPoint(0, 0), natural);

    QRect part;
    QSize decoded = stored.expandedTo(header.screen);
    bool ownDecode = false;
    if (format == "jpeg" && want) {
        const DecodeTarget target = want(natural);
        if (target.scaled.isValid() && !target.scaled.isEmpty() &&
            target.scaled.width() <= natural.width() &&
            target.scaled.height() <= natural.height() && target.scaled != natural) {
            // The reader scales in the file's own orientation, before turning it upright;
            // libjpeg does most of it while decoding.
            decoded = turned ? target.scaled.transposed() : target.scaled;
            ownDecode = JpegDecoder::available();
            if (!ownDecode)
                reader.setScaledSize(decoded);
        } else if (!target.clip.isEmpty() && turn == QImageIOHandler::TransformationNone) {
            // Rows below the part are never decoded.
            part = target.clip.intersected(whole);
            if (part == whole) {
                part = QRect();
            } else if (!part.isEmpty()) {
                reader.setClipRect(part);
                decoded = part.size();
            }
        }
    }
    if (decodedBytes(decoded, reader.imageFormat()) > limits.maxDecodedBytes)
        return Error::PictureTooLarge;

    Picture picture;
    if (ownDecode) {
        // libjpeg itself, at the smallest eighth that covers the size asked for: Qt's
        // reader only halves, and decodes up to twice the rows and columns needed.
        qint64 maxBytes = limits.maxDecodedBytes;
        if (const int ceiling = QImageReader::allocationLimit(); ceiling > 0)
            maxBytes = std::min(maxBytes, qint64(ceiling) << 20);
        if (!device.seek(0))
            return Error::InvalidPicture;
        const QByteArray bytes = device.readAll();
        if (cancelled(control))
            return Error::InvalidPicture;
        JpegDecoder::Decoded own =
            JpegDecoder::decode(bytes, decoded, maxBytes, control.cancel, control.threads);
        switch (own.outcome) {
        case JpegDecoder::Outcome::Decoded:
            picture.image = upright(std::move(own.image), turn);
            picture.natural = natural;
            return picture;
        case JpegDecoder::Outcome::TooLarge:
            return Error::PictureTooLarge;
        case JpegDecoder::Outcome::Failed:
            return Error::InvalidPicture;
        case JpegDecoder::Outcome::Unsupported:
            // Left to Qt's reader, from the start of the file again.
            if (!device.seek(0))
                return Error::InvalidPicture;
            reader.setDevice(nullptr);
            reader.setDevice(&device);
            reader.setScaledSize(decoded);
            break;
        }
    }
    if (!reader.read(&picture.image) || picture.image.isNull() || cancelled(control))
        return Error::InvalidPicture;
    picture.natural = natural;
    picture.part = part;
    // Only the first frame is decoded here; the element that shows the picture reads the
    // others from the file one at a time, while they are on show.
    if (format == "gif" && !path.isEmpty() && reader.supportsAnimation() &&
        reader.imageCount() > 1) {
        picture.animation = std::make_shared<const AnimationSource>(AnimationSource{
            .path = path,
            .limits = limits,
            .frameSize = picture.image.size(),
            .frameCount = reader.imageCount(),
            .loops = reader.loopCount(),
            .firstDelay = FrameReader::shownFor(reader.nextImageDelay()),
        });
    }
    return picture;
}

} // namespace

QByteArray sniffFormat(const QByteArray &head)
{
    if (head.size() >= 3 && uchar(head[0]) == 0xff && uchar(head[1]) == 0xd8 &&
        uchar(head[2]) == 0xff)
        return QByteArrayLiteral("jpeg");
    if (head.startsWith("BM"))
        return QByteArrayLiteral("bmp");
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return QByteArrayLiteral("gif");
    return QByteArray();
}

Result<Picture> load(const QString &path, const Limits &limits, QSize shownSize,
                     const Control &control)
{
    return load(
        path, limits,
        [shownSize](QSize natural) {
            DecodeTarget target;
            target.scaled = decodeSizeFor(natural, shownSize);
            return target;
        },
        control);
}

Result<Picture> load(const QString &path, const Limits &limits, const Want &want,
                     const Control &control)
{
    // Taken before the file is opened: a version written meanwhile shows as a change.
    const FileStamp stamp = FileStamp::of(path);
    QFile file;
    if (Result<> opened = Files::openForReading(path, file); !opened)
        return opened.error() == Error::NotAFile ? Error::InvalidPicture : opened.error();
    if (cancelled(control))
        return Error::InvalidPicture;
    Result<Picture> loaded = Error::InvalidPicture;
    if (control.cancel) {
        CancellableDevice device(file, *control.cancel);
        loaded = decode(device, limits, want, path, control);
    } else {
        loaded = decode(file, limits, want, path, control);
    }
    if (!loaded)
        return loaded;
    loaded->source = path;
    loaded->stamp = stamp;
    // A part is all that is on screen; keep what the rest is drawn from later, as long
    // as it is the version just decoded.
    if (!loaded->isWhole() && file.size() <= kMaxKeptBytes && file.seek(0)) {
        QByteArray content = file.read(kMaxKeptBytes);
        if (content.size() == file.size() && FileStamp::of(path) == stamp)
            loaded->encoded = std::move(content);
    }
    return loaded;
}

Result<Picture> loadBytes(const QByteArray &bytes, const Limits &limits)
{
    return loadBytes(bytes, limits, Want());
}

Result<Picture> loadBytes(const QByteArray &bytes, const Limits &limits, const Want &want)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return decode(buffer, limits, want);
}

Result<> startFrames(QIODevice &device, const Limits &limits, QImageReader &reader)
{
    const Result<Header> started = start(device, limits, reader);
    if (!started)
        return started.error();
    if (started->format != "gif")
        return Error::InvalidPicture;
    if (decodedBytes(started->stored.expandedTo(started->screen), reader.imageFormat()) >
        limits.maxDecodedBytes)
        return Error::PictureTooLarge;
    return {};
}

void setDecoderCeiling()
{
    // Each load checks its own limits before it decodes; Qt's limit stays as the
    // backstop for what the decoders allocate on their own. It counts megabytes.
    QImageReader::setAllocationLimit(int(kShowLimits.maxDecodedBytes >> 20));
}

} // namespace PictureLoader
