#include "config/Background.h"

#include "common/Files.h"
#include "common/PictureLoader.h"

#include <utility>

QImage loadBackgroundPicture(const QString &path)
{
    // A hidden file is passed over here as the folder scan passes it over.
    if (!Files::check(path, Files::NoHidden))
        return QImage();
    // Loaded as a slide is: the same limits and checks, from the first show of a run on.
    PictureLoader::Result loaded = PictureLoader::load(path);
    if (!loaded.ok())
        return QImage();
    return std::move(loaded.picture.image);
}
