#pragma once

#include <QPixmap>
#include <QSize>

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

} // namespace Artwork
