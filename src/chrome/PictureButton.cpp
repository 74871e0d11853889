// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "chrome/PictureButton.h"

#include <QKeyEvent>
#include <QPainter>

PictureButton::PictureButton(const QColor &focusInk, QWidget *parent)
    : QToolButton(parent), mFocusInk(focusInk)
{}

void PictureButton::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!event->isAutoRepeat())
            click();
        event->accept();
        return;
    }
    QToolButton::keyPressEvent(event);
}

void PictureButton::paintEvent(QPaintEvent *event)
{
    QToolButton::paintEvent(event);
    if (!hasFocus())
        return;
    // The faces fill the whole button and its style draws no focus frame over them.
    QPainter painter(this);
    painter.setPen(QPen(mFocusInk, 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(1, 1, -2, -2));
}
