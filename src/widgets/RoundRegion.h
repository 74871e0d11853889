// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QRegion>

class QWidget;

/** The rounded outline of a borderless window, in the window's pixels. */
struct RoundRect
{
    int left = 0;
    int top = 0;
    int right = 0;  ///< exclusive
    int bottom = 0; ///< exclusive
    int cornerWidth = 0;
    int cornerHeight = 0;

    bool operator==(const RoundRect &) const = default;
};

/**
 * The outline for a window of `width` x `height` pixels: inset by a sixtieth of the size
 * at the left and top, by 4 pixels at the right and not at the bottom, with corner
 * ellipses of a twentieth of the size. Every value is rounded half to even.
 */
RoundRect roundRectFor(double width, double height);

/** The pixels inside `outline`. */
QRegion roundRegion(const RoundRect &outline);

/** How a window's outline is made: by the window system's shape, or by painting. */
enum class OutlineBy {
    /** The mask alone shapes the window (X11, Windows). */
    Shape,
    /**
     * A translucent window that paints only inside the outline (Wayland, where the mask
     * sets only the input and opaque regions); the mask still takes the input.
     */
    Translucency,
};

/** The way the platform the program runs on shapes a window. */
OutlineBy outlineByPlatform();

/**
 * Clips `form` to its rounded outline; outside it the desktop shows through. For
 * OutlineBy::Translucency call it before the window is first shown, and let the form's
 * paintEvent clip to its mask.
 */
void SetRoundRegion(QWidget &form, OutlineBy by = outlineByPlatform());
