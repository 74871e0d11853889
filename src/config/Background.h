// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "common/Result.h"

#include <QImage>
#include <QString>

/**
 * The picture in `path` for the viewer's background, loaded whole as a slide is (a
 * JPEG, BMP or GIF told by its content, upright, within the same limits). A hidden
 * file is refused.
 */
Result<QImage> loadBackgroundPicture(const QString &path);
