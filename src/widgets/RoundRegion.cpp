// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "widgets/RoundRegion.h"

#include "common/Numbers.h"

#include <QGuiApplication>
#include <QPainterPath>
#include <QPolygon>
#include <QWidget>

#include <cmath>

namespace {

int roundHalfEven(double value)
{
    return int(Numbers::roundHalfEven(value));
}

} // namespace

RoundRect roundRectFor(double width, double height)
{
    RoundRect r;
    r.left = roundHalfEven(width / 60.0);
    r.top = roundHalfEven(height / 60.0);
    r.right = roundHalfEven(width - 4.0);
    r.bottom = roundHalfEven(height);
    r.cornerWidth = roundHalfEven(width / 20.0);
    r.cornerHeight = roundHalfEven(height / 20.0);
    return r;
}

QRegion roundRegion(const RoundRect &outline)
{
    if (outline.right <= outline.left || outline.bottom <= outline.top)
        return QRegion();
    QPainterPath path;
    path.addRoundedRect(QRectF(outline.left, outline.top, outline.right - outline.left,
                               outline.bottom - outline.top),
                        outline.cornerWidth / 2.0, outline.cornerHeight / 2.0);
    return QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill);
}

OutlineBy outlineByPlatform()
{
    return QGuiApplication::platformName() == u"wayland" ? OutlineBy::Translucency
                                                         : OutlineBy::Shape;
}

void SetRoundRegion(QWidget &form, OutlineBy by)
{
    // X11 without a compositor has no translucency: the shape mask alone does it there.
    if (by == OutlineBy::Translucency)
        form.setAttribute(Qt::WA_TranslucentBackground);
    form.setMask(roundRegion(roundRectFor(form.width(), form.height())));
}
