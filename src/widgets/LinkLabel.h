// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLabel>

/**
 * A label that opens something when activated: by a left click released over it, or,
 * once Tab has brought the focus to it, by Enter, Return or Space. Only the keyboard
 * gives it the focus, so a click leaves the focus where it was. It shows plain text only.
 */
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(const QString &text, QWidget *parent = nullptr);

    /** Activates the link, as a click does (also the accessible press action). */
    void activate();

signals:
    void activated();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
