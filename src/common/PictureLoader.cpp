#include "common/PictureLoader.h"

#include "common/Files.h"

#include <QFile>
#include <QImageReader>

#include <cmath>

namespace PictureLoader {

namespace {

const QString kInvalid = QStringLiteral("Invalid picture");

Result failure(const QString &error)
{
    Result result;
    result.error = error;
    return result;
}

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

Result load(const QString &path, QSize shownSize)
{
    return load(path, [shownSize](QSize natural) {
        DecodeTarget target;
        target.scaled = decodeSizeFor(natural, shownSize);
        return target;
    });
}

Result load(const QString &path, const Want &want)
{
    QFile file;
    if (const ::Result<> opened = Files::openForReading(path, file); !opened)
        return failure(opened.error() == Error::NotAFile ? kInvalid : errorText(opened.error()));

    const QByteArray head = file.peek(10);
    const QByteArray format = sniffFormat(head);
    if (format.isEmpty())
        return failure(kInvalid);
    // The GIF decoder makes room for the whole logical screen of the header, whatever
    // size the frames are, so that screen must be within the limits too.
    if (format == "gif" && head.size() >= 10) {
        const auto word = [&head](int at) { return uchar(head[at]) | (uchar(head[at + 1]) << 8); };
        if (qint64(word(6)) * word(8) > maxFullDecodePixels)
            return failure(QStringLiteral("Picture too large"));
    }

    // Set once: the limit is process-wide and loads may run on two threads.
    static const bool limited = (QImageReader::setAllocationLimit(allocationLimitMB), true);
    Q_UNUSED(limited);
    QImageReader reader(&file, format);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(true);
    reader.setQuality(100);

    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty())
        return failure(kInvalid);
    if (stored.width() > maxSide || stored.height() > maxSide ||
        qint64(stored.width()) * stored.height() >
            (format == "jpeg" ? maxPixels : maxFullDecodePixels))
        return failure(QStringLiteral("Picture too large"));

    const QImageIOHandler::Transformations turn = reader.transformation();
    const bool turned = turn & QImageIOHandler::TransformationRotate90;
    const QSize natural = turned ? stored.transposed() : stored;
    const QRect whole(QPoint(0, 0), natural);

    QRect part;
    if (format == "jpeg" && want) {
        const DecodeTarget target = want(natural);
        if (target.scaled.isValid() && !target.scaled.isEmpty() &&
            target.scaled.width() <= natural.width() &&
            target.scaled.height() <= natural.height() && target.scaled != natural) {
            // The reader scales in the file's own orientation, before turning it upright;
            // libjpeg does most of it while decoding.
            reader.setScaledSize(turned ? target.scaled.transposed() : target.scaled);
        } else if (!target.clip.isEmpty() && turn == QImageIOHandler::TransformationNone) {
            // Rows below the part are never decoded.
            part = target.clip.intersected(whole);
            if (part == whole)
                part = QRect();
            else if (!part.isEmpty())
                reader.setClipRect(part);
        }
    }

    Result result;
    if (!reader.read(&result.picture.image) || result.picture.image.isNull())
        return failure(kInvalid);
    result.picture.natural = natural;
    result.picture.part = part;
    result.picture.source = path;
    return result;
}

} // namespace PictureLoader
