// The main window's chrome: moving it by its body, minimise and close, its two keys,
// the link label's look, and the addresses handed to the shell.

#include "chrome/Colours.h"
#include "chrome/ShellLinks.h"
#include "chrome/frmVivrel.h"
#include "common/Module1.h"
#include "common/Seams.h"
#include "engine/ScreenAwake.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QToolButton>
#include <QWindow>

namespace {

void setLinkLook(QLabel &label, const QColor &colour, bool italic)
{
    QFont font = label.font();
    font.setItalic(italic);
    label.setFont(font);
    QPalette colours = label.palette();
    colours.setColor(QPalette::WindowText, colour);
    label.setPalette(colours);
}

/**
 * Routes the window's raw input to its handlers: keys of every control first to the
 * window, presses on the bare body and the banner to a move, the mouse over the body
 * and the link label to the label's look, and a click on the label to its link.
 */
class ChromeInput : public QObject
{
public:
    explicit ChromeInput(frmVivrel &form) : QObject(&form), mForm(form) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            return keyPress(watched, static_cast<QKeyEvent *>(event));
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: // the second press of a double click
            return mousePress(watched, static_cast<QMouseEvent *>(event));
        case QEvent::MouseMove:
            return mouseMove(watched, static_cast<QMouseEvent *>(event));
        case QEvent::MouseButtonRelease:
            return mouseRelease(watched, static_cast<QMouseEvent *>(event));
        default:
            return false;
        }
    }

private:
    /** True when the event reached the window itself, on none of its controls. */
    bool onBareBody(QObject *watched, const QMouseEvent *event) const
    {
        // A press a control did not take is passed on to the window; it is not the body's.
        return watched == &mForm && !mForm.childAt(event->position().toPoint());
    }

    bool keyPress(QObject *watched, QKeyEvent *event)
    {
        // Installed on the application, so keys of every control of this window come
        // here before the control sees them.
        const auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || widget->window() != &mForm)
            return false;
        return mForm.Form_KeyDown(event->key(), event->modifiers());
    }

    bool mousePress(QObject *watched, QMouseEvent *event)
    {
        if (watched == mForm.Label3) {
            // Taken here, so the press is not passed on to the body as a move.
            event->accept();
            return true;
        }
        bool moved = false;
        if (watched == mForm.Image1)
            moved = mForm.Image1_MouseDown(event->button(), event->modifiers(),
                                           event->globalPosition());
        else if (onBareBody(watched, event))
            moved =
                mForm.Form_MouseDown(event->button(), event->modifiers(), event->globalPosition());
        else
            return false;
        if (!moved) {
            mFollowing = true;
            mGrabOffset = event->globalPosition().toPoint() - mForm.pos();
        }
        event->accept();
        return true;
    }

    bool mouseMove(QObject *watched, QMouseEvent *event)
    {
        if (mFollowing && (watched == &mForm || watched == mForm.Image1)) {
            if (event->buttons() == Qt::NoButton) {
                mFollowing = false;
            } else {
                mForm.move(event->globalPosition().toPoint() - mGrabOffset);
                return true;
            }
        }
        if (watched == mForm.Label3)
            mForm.Label3_MouseMove();
        else if (onBareBody(watched, event))
            mForm.Form_MouseMove();
        return false;
    }

    bool mouseRelease(QObject *watched, QMouseEvent *event)
    {
        if (mFollowing && (watched == &mForm || watched == mForm.Image1)) {
            if (event->buttons() == Qt::NoButton)
                mFollowing = false;
            return true;
        }
        if (watched == mForm.Label3 && event->button() == Qt::LeftButton &&
            mForm.Label3->rect().contains(event->position().toPoint())) {
            mForm.Label3_Click();
            return true;
        }
        return false;
    }

    frmVivrel &mForm;
    bool mFollowing = false;
    QPoint mGrabOffset;
};

bool startSystemMove(QWidget &window)
{
    QWindow *handle = window.windowHandle();
    return handle && handle->startSystemMove();
}

} // namespace

bool frmVivrel::Form_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, QPointF)
{
    return startSystemMove(*this);
}

bool frmVivrel::Image1_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, QPointF)
{
    return startSystemMove(*this);
}

void frmVivrel::Form_MouseMove()
{
    setLinkLook(*Label3, Colours::kLink, true);
}

void frmVivrel::Label3_MouseMove()
{
    setLinkLook(*Label3, Colours::kLinkHover, false);
}

void frmVivrel::Label3_Click()
{
    seams().openWithShell(ShellLinks::webSite());
}

bool frmVivrel::Form_KeyDown(int key, Qt::KeyboardModifiers)
{
    switch (key) {
    case Qt::Key_F1:
        cmdHelp_Click();
        return true;
    case Qt::Key_Escape:
        Form_Unload();
        return true;
    default:
        return false;
    }
}

void frmVivrel::cmdMinimise_Click()
{
    showMinimized();
}

void frmVivrel::cmdClose_Click()
{
    ScreenAwake::letGo(Timer1);
    seams().endProgram(0);
}

void frmVivrel::cmdHelp_Click()
{
    seams().openWithShell(ShellLinks::helpPage());
}

void frmVivrel::askForThanksMail()
{
    if (!mAsk2SendMail)
        return;
    seams().showMessage(
        QStringLiteral("Please spend a moment to send a mail to Tremlo as a token of appreciation"),
        MsgStyle::OkOnly, QStringLiteral("Thank you for using Tremallo Product"));
    seams().openWithShell(ShellLinks::thanksMail(Module1::versionString()));
    mAsk2SendMail = false;
}

void frmVivrel::connectChrome()
{
    // On the application, so that keys reach the window before whichever control has
    // the focus; the filter goes with the window.
    qApp->installEventFilter(new ChromeInput(*this));
    setMouseTracking(true);
    Label3->setMouseTracking(true);

    connect(cmdMinimise, &QToolButton::clicked, this, &frmVivrel::cmdMinimise_Click);
    connect(cmdClose, &QToolButton::clicked, this, &frmVivrel::cmdClose_Click);
    connect(cmdHelp, &QToolButton::clicked, this, &frmVivrel::cmdHelp_Click);
}
