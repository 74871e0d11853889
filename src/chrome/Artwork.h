#pragma once

#include <QPixmap>
#include <QSize>

class QPainter;

/** The program's own artwork, drawn rather than shipped as files. */
namespace Artwork {

enum class Face { Start, Resume, Pause, Tools, SelectAll, Folder, Help, Minimise, Close };

/** The window's skin at `size`. */
QPixmap skin(QSize size);
/** The banner across the top of the window. */
QPixmap banner(QSize size);
/** A picture button's face, drawn on `background`. */
QPixmap buttonFace(Face face, QSize size, QColor background);
/** The window icon. */
QPixmap icon(int side);
/** Draws the window icon in the square of `side` at the origin, on any paint device. */
void paintIcon(QPainter &painter, qreal side);

} // namespace Artwork
