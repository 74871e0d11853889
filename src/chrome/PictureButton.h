// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QToolButton>

/**
 * A button that shows only its face. Enter presses it as Space does (a tool button only
 * knows Space), and while it has the focus a dotted outline in `focusInk` is drawn over
 * the face's edge; without the focus it looks as its face alone.
 */
class PictureButton : public QToolButton
{
    Q_OBJECT
public:
    explicit PictureButton(const QColor &focusInk, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QColor mFocusInk;
};
