// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

class QWidget;

/**
 * Reports a control's key presses and its loss of the focus to another control of
 * the same window, without subclassing the control. The control still handles
 * every event itself. Losing the focus because the whole window was left (another
 * window, a popup, a message box) does not count.
 *
 * The loss is reported once the focus has settled, and in any case before the next
 * key or mouse button of the window is handled, so a check that runs on it (and may
 * put the focus back) always comes before whatever the user did next. When the
 * report moved the focus, that next key or button is dropped: a click that left the
 * control does not act on a value the check has just refused.
 */
class ControlEvents : public QObject
{
    Q_OBJECT
public:
    /** Watches `control`; owned by it. */
    explicit ControlEvents(QWidget *control);

signals:
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void lostFocus();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /** Reports a loss of the focus that is still due; true when the report moved the focus. */
    bool settle();

    QWidget *mControl;
    /** Sees the whole program's input while a report is due. */
    QObject *mInputGate = nullptr;
    bool mLossDue = false;
};
