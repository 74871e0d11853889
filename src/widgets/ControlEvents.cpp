// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "widgets/ControlEvents.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QWidget>

#include <functional>

namespace {

/**
 * Installed on the application: hands every key and mouse button event of one
 * window to `first` before anything else sees it; when `first` returns true the
 * event is dropped.
 */
class InputGate : public QObject
{
public:
    InputGate(QWidget *control, std::function<bool()> first, QObject *parent)
        : QObject(parent), mControl(control), mFirst(std::move(first))
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
            break;
        default:
            return false;
        }
        const auto *widget = qobject_cast<const QWidget *>(watched);
        return widget && widget->window() == mControl->window() && mFirst();
    }

private:
    QWidget *mControl;
    std::function<bool()> mFirst;
};

} // namespace

ControlEvents::ControlEvents(QWidget *control) : QObject(control), mControl(control)
{
    const auto reportFirst = [this] { return settle(); };
    mInputGate = new InputGate(control, reportFirst, this);
    control->installEventFilter(this);
}

bool ControlEvents::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != mControl)
        return false;
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        emit keyDown(key->key(), key->modifiers());
    } else if (event->type() == QEvent::FocusOut && !mLossDue) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            // Not reported from inside the focus change: the focus is still on its way
            // to the next control, and the report may want to put it back.
            mLossDue = true;
            QCoreApplication::instance()->installEventFilter(mInputGate);
            QMetaObject::invokeMethod(this, &ControlEvents::settle, Qt::QueuedConnection);
        }
    }
    return false;
}

bool ControlEvents::settle()
{
    if (!mLossDue)
        return false;
    mLossDue = false;
    QCoreApplication::instance()->removeEventFilter(mInputGate);
    const QWidget *window = mControl->window();
    const QWidget *before = window->focusWidget();
    emit lostFocus();
    return window->focusWidget() != before;
}
