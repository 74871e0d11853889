#pragma once

#include <QImage>
#include <QString>

/**
 * The picture in `path` for the viewer's background: a JPEG, BMP or GIF told by its
 * content, upright. Null when the path is not a normal file or does not hold such a
 * picture.
 */
QImage loadBackgroundPicture(const QString &path);
