// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's chrome: moving it by its body, minimise and close, its two keys,
// the link label's look, and the addresses handed to the shell.

#include "chrome/Colours.h"
#include "chrome/ShellLinks.h"
#include "chrome/frmVivrel.h"
#include "common/Module1.h"
#include "common/Seams.h"
#include "engine/ScreenAwake.h"
#include "viewer/frmPreview.h"
#include "widgets/LinkLabel.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QShortcut>
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
        tr("Please spend a moment to send a mail to Tremlo as a token of appreciation"),
        MsgStyle::OkOnly, tr("Thank you for using Tremallo Product"));
    seams().openWithShell(ShellLinks::thanksMail(Module1::versionString()));
    mAsk2SendMail = false;
}

void frmVivrel::mousePressEvent(QMouseEvent *event)
{
    // A press that a control did not take is passed on to the window; it is not the body's.
    if (childAt(event->position().toPoint())) {
        QWidget::mousePressEvent(event);
        return;
    }
    followUnlessMoved(Form_MouseDown(event->button(), event->modifiers(), event->globalPosition()),
                      event->globalPosition());
    event->accept();
}

void frmVivrel::mouseMoveEvent(QMouseEvent *event)
{
    // Moves over the banner while it is dragged come here too: the banner passes them on.
    if (mFollowing) {
        if (event->buttons() != Qt::NoButton) {
            move(event->globalPosition().toPoint() - mGrabOffset);
            return;
        }
        mFollowing = false;
    }
    if (!childAt(event->position().toPoint()))
        Form_MouseMove();
}

void frmVivrel::mouseReleaseEvent(QMouseEvent *event)
{
    if (mFollowing) {
        if (event->buttons() == Qt::NoButton)
            mFollowing = false;
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

bool frmVivrel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == cmbFileType->view() && event->type() == QEvent::ShortcutOverride) {
        // The open drop-down is a window of its own, as it is to the user: F1 and Escape
        // are its keys there (Escape closes it), not the window's.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_F1 && key != Qt::Key_Escape)
            return false;
        event->accept();
        return true;
    }
    if (watched != Image1 && watched != Label3)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: { // the second press of a double click
        // Taken here: a press on the link is not passed on to the body as a move.
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (watched == Image1)
            followUnlessMoved(
                Form_MouseDown(mouse->button(), mouse->modifiers(), mouse->globalPosition()),
                mouse->globalPosition());
        event->accept();
        return true;
    }
    case QEvent::MouseMove:
        if (watched == Label3)
            Label3_MouseMove();
        return false;
    default:
        return false;
    }
}

void frmVivrel::followUnlessMoved(bool moved, QPointF globalPos)
{
    if (moved)
        return;
    mFollowing = true;
    mGrabOffset = globalPos.toPoint() - pos();
}

void frmVivrel::escapePressed()
{
    // While the viewer is up it covers this window's monitor, and every Escape is the
    // viewer's, wherever the window system sent the key (a compositor may leave the
    // keyboard here when the viewer opens): it closes the viewer, and the program goes on.
    if (mViewer && mViewer->isVisible()) {
        mViewer->close();
        return;
    }
    Form_Unload();
}

void frmVivrel::connectChrome()
{
    // F1 and Escape reach the window whichever of its controls has the focus. The key
    // alone decides: Shift, Ctrl, Alt or Meta held with it changes nothing.
    const auto windowKey = [this](Qt::Key key, void (frmVivrel::*handler)()) {
        QList<QKeySequence> keys;
        for (int held = 0; held < 16; ++held) {
            Qt::KeyboardModifiers modifiers;
            modifiers.setFlag(Qt::ShiftModifier, held & 1);
            modifiers.setFlag(Qt::ControlModifier, held & 2);
            modifiers.setFlag(Qt::AltModifier, held & 4);
            modifiers.setFlag(Qt::MetaModifier, held & 8);
            keys << QKeySequence(QKeyCombination(modifiers, key));
        }
        auto *shortcut = new QShortcut(this);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setKeys(keys);
        connect(shortcut, &QShortcut::activated, this, handler);
        return shortcut;
    };
    windowKey(Qt::Key_F1, &frmVivrel::cmdHelp_Click);
    // Escape held down on the viewer repeats after the viewer has closed: only a fresh
    // press ends the program.
    windowKey(Qt::Key_Escape, &frmVivrel::escapePressed)->setAutoRepeat(false);

    cmbFileType->view()->installEventFilter(this);

    // The bare body's mouse comes to the window itself; the banner drags it too, and
    // the link label has a look and a click of its own.
    Image1->installEventFilter(this);
    Label3->installEventFilter(this);
    setMouseTracking(true);
    Label3->setMouseTracking(true);

    connect(Label3, &LinkLabel::activated, this, &frmVivrel::Label3_Click);
    connect(cmdMinimise, &QToolButton::clicked, this, &frmVivrel::cmdMinimise_Click);
    connect(cmdClose, &QToolButton::clicked, this, &frmVivrel::cmdClose_Click);
    connect(cmdHelp, &QToolButton::clicked, this, &frmVivrel::cmdHelp_Click);
}
