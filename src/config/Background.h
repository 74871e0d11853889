#pragma once

#include <QImage>
#include <QString>

/**
 * The picture in `path` for the viewer's background, loaded whole by PictureLoader
 * (a JPEG, BMP or GIF told by its content, upright, within its limits). Null when the
 * path is not a normal, unhidden file or does not load.
 */
QImage loadBackgroundPicture(const QString &path);
