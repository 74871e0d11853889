// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "config/Background.h"

#include "common/Files.h"
#include "common/PictureLoader.h"

#include <utility>

Result<QImage> loadBackgroundPicture(const QString &path)
{
    // A hidden file is passed over here as the folder scan passes it over.
    if (const Result<> usable = Files::check(path, Files::NoHidden); !usable)
        return usable.error();
    // Loaded as a slide is: the same limits and checks, from the first show of a run on.
    Result<Picture> loaded = PictureLoader::load(path, PictureLoader::kShowLimits);
    if (!loaded)
        return loaded.error();
    return std::move(loaded->image);
}
