// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPixmap>
#include <QSize>

class QPainter;

/**
 * The program's own artwork, drawn rather than shipped as files. Sizes are logical; each
 * pixmap is drawn at `ratio` device pixels per logical one (the screen's pixel ratio), so
 * it stays sharp on a high-density screen.
 */
namespace Artwork {

enum class Face { Start, Resume, Pause, Tools, SelectAll, Folder, Help, Minimise, Close };

/** The window's skin at `size`. */
QPixmap skin(QSize size, qreal ratio = 1);
/** The banner across the top of the window. */
QPixmap banner(QSize size, qreal ratio = 1);
/** A picture button's face, drawn on `background`. */
QPixmap buttonFace(Face face, QSize size, QColor background, qreal ratio = 1);
/** The window icon. */
QPixmap icon(int side, qreal ratio = 1);
/** Draws the window icon in the square of `side` at the origin, on any paint device. */
void paintIcon(QPainter &painter, qreal side);

} // namespace Artwork
