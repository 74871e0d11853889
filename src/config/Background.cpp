#include "config/Background.h"

#include "config/IniFile.h"

#include <QImageReader>

namespace {
// A background larger than this (in decoded bytes) is refused rather than risked.
constexpr qint64 kMaxDecodedBytes = qint64(256) * 1024 * 1024;
} // namespace

QImage loadBackgroundPicture(const QString &path)
{
    if (!IniFile::isNormalFile(path))
        return QImage();
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    const QByteArray format = reader.format();
    if (format != "jpeg" && format != "bmp" && format != "gif")
        return QImage();
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() * 4 > kMaxDecodedBytes)
        return QImage();
    return reader.read();
}
