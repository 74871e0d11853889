#pragma once

#include <QImage>
#include <QSize>

/**
 * A loaded picture. `natural` is its upright size in pixels; `image` may hold it
 * decoded at a smaller size when only that much will be seen.
 */
struct Picture
{
    QImage image;
    QSize natural;

    bool isNull() const { return image.isNull(); }
};
