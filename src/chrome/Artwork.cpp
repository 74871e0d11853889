// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "chrome/Artwork.h"

#include "chrome/Colours.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace Artwork {

namespace {

// The faces are inked, and the icon's sky painted, in the options' colours, so that the
// buttons and the options look of a piece.
constexpr QColor kNavy = Colours::kOptionText;
constexpr QColor kSky = Colours::kOptionGround;
/** The middle of the skin, and the ground of the icon. */
constexpr QColor kSkinBlue(70, 110, 180);

/** A pixmap of logical `size` at `ratio`, to be painted in logical units. */
QPixmap canvas(QSize size, qreal ratio)
{
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QPixmap blank(QSize size, qreal ratio)
{
    QPixmap pixmap = canvas(size, ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void drawLabel(QPainter &p, const QRectF &r, const QString &text, int pixelSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("Arial")});
    font.setPixelSize(pixelSize);
    font.setBold(true);
    // A caption wider than its room would run into the glyph beside it: set it smaller.
    while (font.pixelSize() > 6 && QFontMetricsF(font).horizontalAdvance(text) > r.width())
        font.setPixelSize(font.pixelSize() - 1);
    p.setFont(font);
    p.setPen(kNavy);
    p.drawText(r, Qt::AlignCenter, text);
}

} // namespace

QPixmap skin(QSize size, qreal ratio)
{
    QPixmap pixmap = canvas(size, ratio);
    QPainter p(&pixmap);
    QLinearGradient ground(0, 0, 0, size.height());
    ground.setColorAt(0.0, QColor(46, 76, 140));
    ground.setColorAt(0.5, kSkinBlue);
    ground.setColorAt(1.0, QColor(30, 52, 104));
    p.fillRect(QRect(QPoint(0, 0), size), ground);
    // A soft light band behind the list and the options.
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 28));
    p.drawRoundedRect(QRectF(10, 40, size.width() - 20, size.height() - 50), 10, 10);
    return pixmap;
}

QPixmap banner(QSize size, qreal ratio)
{
    QPixmap pixmap = canvas(size, ratio);
    QPainter p(&pixmap);
    QLinearGradient band(0, 0, size.width(), 0);
    band.setColorAt(0.0, QColor(20, 36, 80));
    band.setColorAt(1.0, QColor(90, 130, 200));
    p.fillRect(QRect(QPoint(0, 0), size), band);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(qMax(10, size.height() - 8));
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(255, 255, 255, 200));
    p.drawText(QRectF(0, 0, size.width() - 90, size.height()), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Vivrel"));
    return pixmap;
}

QPixmap buttonFace(Face face, QSize size, QColor background, qreal ratio)
{
    QPixmap pixmap = blank(size, ratio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    QLinearGradient fill(0, 0, 0, size.height());
    fill.setColorAt(0.0, background.lighter(112));
    fill.setColorAt(1.0, background.darker(112));
    p.setBrush(fill);
    p.setPen(QPen(kNavy, 1));
    p.drawRoundedRect(r, 3, 3);

    const QPointF c = r.center();
    const qreal s = std::min(size.width(), size.height());
    p.setBrush(kNavy);
    // The caption beside a glyph starts a little after the glyph's right edge.
    const auto besideGlyph = [&r](qreal glyphRight) {
        return QRectF(glyphRight + 3, r.top(), r.right() - 2 - (glyphRight + 3), r.height());
    };
    switch (face) {
    case Face::Start: {
        const qreal h = s * 0.5;
        p.drawPolygon(QPolygonF(
            {QPointF(6, c.y() - h / 2), QPointF(6 + h * 0.8, c.y()), QPointF(6, c.y() + h / 2)}));
        drawLabel(p, besideGlyph(6 + h * 0.8), QCoreApplication::translate("Artwork", "Start"),
                  int(s * 0.45));
        break;
    }
    case Face::Resume: {
        const qreal h = s * 0.5;
        p.drawPolygon(QPolygonF(
            {QPointF(6, c.y() - h / 2), QPointF(6 + h * 0.8, c.y()), QPointF(6, c.y() + h / 2)}));
        p.drawRect(QRectF(6 + h * 0.8, c.y() - h / 2, 2, h));
        drawLabel(p, besideGlyph(6 + h * 0.8 + 2), QCoreApplication::translate("Artwork", "Resume"),
                  int(s * 0.42));
        break;
    }
    case Face::Pause: {
        const qreal h = s * 0.5;
        p.drawRect(QRectF(6, c.y() - h / 2, 3, h));
        p.drawRect(QRectF(11, c.y() - h / 2, 3, h));
        drawLabel(p, besideGlyph(14), QCoreApplication::translate("Artwork", "Pause"),
                  int(s * 0.42));
        break;
    }
    case Face::Tools:
        drawLabel(p, r, QCoreApplication::translate("Artwork", "Tools"), int(s * 0.45));
        break;
    case Face::SelectAll:
        drawLabel(p, r, QCoreApplication::translate("Artwork", "Select All"), int(s * 0.45));
        break;
    case Face::Folder: {
        QPainterPath folder;
        const qreal w = s * 1.1;
        const QRectF body(c.x() - w / 2, c.y() - s * 0.25, w, s * 0.55);
        folder.addRect(body);
        folder.addRect(QRectF(body.left(), body.top() - s * 0.12, w * 0.4, s * 0.14));
        p.setBrush(QColor(250, 214, 90));
        p.setPen(QPen(kNavy, 1));
        p.drawPath(folder);
        break;
    }
    case Face::Help:
        drawLabel(p, r, QStringLiteral("?"), int(s * 0.75));
        break;
    case Face::Minimise:
        p.drawRect(QRectF(s * 0.25, s * 0.62, s * 0.5, s * 0.12));
        break;
    case Face::Close: {
        p.setPen(QPen(kNavy, qMax(1.5, s * 0.12), Qt::SolidLine, Qt::RoundCap));
        const qreal m = s * 0.28;
        p.drawLine(QPointF(m, m), QPointF(s - m, s - m));
        p.drawLine(QPointF(s - m, m), QPointF(m, s - m));
        break;
    }
    }
    return pixmap;
}

QPixmap icon(int side, qreal ratio)
{
    QPixmap pixmap = blank(QSize(side, side), ratio);
    QPainter p(&pixmap);
    paintIcon(p, side);
    return pixmap;
}

void paintIcon(QPainter &p, qreal side)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(kSkinBlue);
    p.setPen(QPen(kNavy, side / 16.0));
    p.drawRoundedRect(QRectF(side * 0.06, side * 0.06, side * 0.88, side * 0.88), side * 0.15,
                      side * 0.15);
    p.setBrush(kSky);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({QPointF(side * 0.18, side * 0.78), QPointF(side * 0.42, side * 0.4),
                             QPointF(side * 0.6, side * 0.62), QPointF(side * 0.7, side * 0.5),
                             QPointF(side * 0.84, side * 0.78)}));
    p.setBrush(Colours::kLink);
    p.drawEllipse(QPointF(side * 0.7, side * 0.3), side * 0.09, side * 0.09);
}

} // namespace Artwork
