#pragma once

#include <QObject>

class QWidget;

/**
 * Reports a control's key presses and its loss of the focus to another control of
 * the same window, without subclassing the control. The control still handles
 * every event itself. Losing the focus because the whole window was left (another
 * window, a popup, a message box) does not count.
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
};
