#include "common/ControlEvents.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QWidget>

ControlEvents::ControlEvents(QWidget *control) : QObject(control)
{
    control->installEventFilter(this);
}

bool ControlEvents::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent()) {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            emit keyDown(key->key(), key->modifiers());
        } else if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                emit lostFocus();
        }
    }
    return QObject::eventFilter(watched, event);
}
