// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/Fitting.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace Fitting {

namespace {

// A double result as the float it is stored in, or nothing when it cannot be.
std::optional<float> toFloat(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return float(value);
}

// a / b * 100 * side / 100, left to right; nothing on a division by zero.
std::optional<float> proportional(float a, float b, float side)
{
    if (b == 0)
        return std::nullopt;
    return toFloat(double(a) / double(b) * 100.0 * double(side) / 100.0);
}

void assign(float &target, std::optional<float> value)
{
    if (value)
        target = *value;
}

// The element's side `along` takes the window's `window`, and the other side `across` its
// share of that in the picture's proportions; where that would be more than the window's
// `windowAcross`, the other way round.
void fillAlong(float &along, float &across, float window, float windowAcross, float picture,
               float pictureAcross)
{
    const std::optional<float> share = proportional(pictureAcross, picture, window);
    if (share && *share > windowAcross) {
        assign(along, proportional(picture, pictureAcross, windowAcross));
        across = windowAcross;
    } else {
        assign(across, share);
        along = window;
    }
}

} // namespace

Placement place(const Input &in)
{
    const float W = in.windowWidth;
    const float H = in.windowHeight;
    const float pw = in.naturalWidth;
    const float ph = in.naturalHeight;
    Placement p{in.left, in.top, in.width, in.height, in.stretchChecked};

    if (p.width > W)
        p.width = W;
    if (p.height > H)
        p.height = H;

    if (in.retainShapeChecked && in.stretchChecked) {
        p.stretch = true;
        // Decided by the picture's own orientation: landscape goes full width, portrait
        // and square full height. Where that would spill over the other side of the
        // window, the picture is fitted to that side instead so none of it is lost.
        if (pw > ph)
            fillAlong(p.width, p.height, W, H, pw, ph);
        else
            fillAlong(p.height, p.width, H, W, ph, pw);
        p.top = 0;
        p.left = 0;
    }

    assign(p.left, toFloat(double(W) / 2.0 - double(p.width) / 2.0));
    assign(p.top, toFloat(double(H) / 2.0 - double(p.height) / 2.0));
    return p;
}

Input inputFor(const View &view, QSize natural)
{
    Input in;
    in.windowWidth = view.windowWidth;
    in.windowHeight = view.windowHeight;
    // Not stretched, assigning a picture gives the element its natural size.
    const bool takesNatural = !view.stretchChecked && !natural.isEmpty();
    in.width = takesNatural ? float(natural.width()) : view.width;
    in.height = takesNatural ? float(natural.height()) : view.height;
    in.naturalWidth = float(natural.width());
    in.naturalHeight = float(natural.height());
    in.left = view.left;
    in.top = view.top;
    in.stretchChecked = view.stretchChecked;
    in.retainShapeChecked = view.retainShapeChecked;
    return in;
}

int snapToPixel(float value)
{
    if (!std::isfinite(value))
        return 0;
    return int(std::lround(std::clamp(value, -1.0e7f, 1.0e7f)));
}

DecodeTarget decodeTarget(const View &view, QSize natural)
{
    const Placement p = place(inputFor(view, natural));
    // The element sits at whole pixels, as it rounds its own geometry.
    const auto whole = [](float v) { return std::max(0, snapToPixel(v)); };
    DecodeTarget target;
    if (p.stretch) {
        // An element of no size shows nothing, but the picture is still loaded: decode it
        // as small as can be, and again when the element grows.
        const QSize device =
            (QSizeF(whole(p.width), whole(p.height)) * view.devicePixelRatio).toSize();
        target.scaled = device.expandedTo(QSize(1, 1));
        return target;
    }
    // Drawn from its top-left corner and cut at the element's edges; a pixel to spare
    // for the rounding of a high-density screen.
    const int w = std::min(natural.width(), whole(p.width) + 1);
    const int h = std::min(natural.height(), whole(p.height) + 1);
    target.clip = QRect(0, 0, w, h);
    return target;
}

} // namespace Fitting
