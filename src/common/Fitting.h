// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "common/Picture.h"

#include <QSize>

/**
 * Where the viewer puts a slide: the clamps, the keep-proportions fit and the
 * centring that follow loading a picture into the viewer's picture element. Plain
 * arithmetic on single-precision logical units; each value is worked out in double
 * and stored as float, and a division by zero or a result a float cannot hold leaves
 * only that value as it was.
 */
namespace Fitting {

struct Input
{
    float windowWidth = 0;  ///< W
    float windowHeight = 0; ///< H
    float width = 0;        ///< the element's size after the picture was assigned
    float height = 0;
    float naturalWidth = 0; ///< the picture's natural (upright) size
    float naturalHeight = 0;
    float left = 0; ///< the element's place before fitting
    float top = 0;
    bool stretchChecked = false;
    bool retainShapeChecked = false;
};

struct Placement
{
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    /** The element draws its picture scaled to its size. */
    bool stretch = false;
};

/** The element's place, size and mode after fitting. */
Placement place(const Input &in);

/** The viewer and its element as a slide finds them, before the picture is assigned. */
struct View
{
    float windowWidth = 0;
    float windowHeight = 0;
    double devicePixelRatio = 1;
    float width = 0; ///< the element's size and place
    float height = 0;
    float left = 0;
    float top = 0;
    bool stretchChecked = false;
    bool retainShapeChecked = false;

    bool operator==(const View &) const = default;
};

/**
 * The fitting input for a picture of `natural` size assigned in `view`. Unstretched, the
 * element takes the picture's size; with no picture (an empty `natural`) it keeps its own.
 */
Input inputFor(const View &view, QSize natural);

/**
 * A value in logical units on whole pixels, as the element places itself: the nearest
 * whole number, halves away from zero, within +-1e7; not a number at all gives 0.
 */
int snapToPixel(float value);

/**
 * How much of a picture of `natural` size is seen once it is placed in `view`:
 * stretched, the element's size in device pixels; at natural size, the part of the
 * picture inside the element.
 */
DecodeTarget decodeTarget(const View &view, QSize natural);

} // namespace Fitting
