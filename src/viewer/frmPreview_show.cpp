// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The viewer's part in a show: placing a slide, the keys, the right-button menu and
// the menu entries that pause, step and choose how pictures are fitted.

#include "viewer/frmPreview.h"

#include "common/Fitting.h"
#include "common/PictureLoader.h"
#include "widgets/PictureElement.h"

#include <QAction>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

void frmPreview::connectShowEntries()
{
    // Checkable entries flip their mark before they report the choice; the handlers
    // decide from the mark as it stood, so put it back first.
    const auto checkable = [this](QAction *action, void (frmPreview::*handler)()) {
        connect(action, &QAction::triggered, this, [this, action, handler](bool checked) {
            action->setChecked(!checked);
            (this->*handler)();
        });
    };
    checkable(mnuPause, &frmPreview::mnuPause_Click);
    checkable(mnuStretch, &frmPreview::mnuStretch_Click);
    checkable(mnuRetainShape, &frmPreview::mnuRetainShape_Click);
    connect(mnuPrev, &QAction::triggered, this, &frmPreview::mnuPrev_Click);
    connect(mnuNext, &QAction::triggered, this, &frmPreview::mnuNext_Click);
    // A press on the picture is the picture's own; it does not also reach the window.
    imgPreview->setAttribute(Qt::WA_NoMousePropagation);
    connect(imgPreview, &PictureElement::mousePressed, this, &frmPreview::imgPreview_MouseDown);
}

void frmPreview::showViewer()
{
    // A show started with the program (the command line, the configuration file) comes
    // before the main window is on screen; on Wayland its output is known only then.
    mViewerWanted = true;
    if (!mainWindowPlaced() && !mWaitStarted.isValid()) {
        waitForMainWindow();
        return;
    }
    if (mWaitForMain.isActive())
        return; // shown when the wait ends
    mViewerWanted = false;
    // Decided afresh for every show: the main window may have moved to another monitor.
    coverScreen(chosenScreen());
    showFullScreen();
    raise();
    // The keyboard is the viewer's (on Wayland through xdg-activation).
    activateWindow();
}

Fitting::View frmPreview::view() const
{
    Fitting::View v;
    v.windowWidth = windowWidth();
    v.windowHeight = windowHeight();
    v.devicePixelRatio = devicePixelRatioF();
    v.width = imgPreview->width();
    v.height = imgPreview->height();
    v.left = imgPreview->left();
    v.top = imgPreview->top();
    v.stretchChecked = mnuStretch->isChecked();
    v.retainShapeChecked = mnuRetainShape->isChecked();
    return v;
}

void frmPreview::awaitPicture()
{
    imgPreview->stopAnimation();
}

void frmPreview::placePicture(const QString &path, Result<Picture> loaded)
{
    imgPreview->setVisible(false);
    const bool stretch = mnuStretch->isChecked();
    imgPreview->setStretch(stretch);

    if (loaded) {
        imgPreview->setPicture(std::move(*loaded));
        imgPreview->setAccessibleName(QFileInfo(path).fileName());
    } else {
        imgPreview->stopAnimation(); // it is no longer the slide
    }
    // A picture that does not load leaves the previous one, fitted and centred again.

    applyPlacement(Fitting::place(Fitting::inputFor(view(), imgPreview->picture().natural)));
}

void frmPreview::Form_KeyDown(int keyCode, Qt::KeyboardModifiers)
{
    // Shift, Ctrl and Alt do not change what a key does here.
    switch (keyCode) {
    case Qt::Key_Escape:
        close();
        break;
    case Qt::Key_F1:
        emit helpRequested();
        break;
    case Qt::Key_Right:
        mnuNext_Click();
        break;
    case Qt::Key_Left:
        mnuPrev_Click();
        break;
    default:
        break;
    }
}

void frmPreview::Form_MouseDown(Qt::MouseButton button, QPoint globalPos)
{
    if (button == Qt::RightButton)
        mnuOptions->popup(globalPos);
}

void frmPreview::imgPreview_MouseDown(Qt::MouseButton button, QPoint globalPos)
{
    Form_MouseDown(button, globalPos);
}

void frmPreview::setShowRunning(bool running)
{
    mShowRunning = running;
}

void frmPreview::mnuPause_Click()
{
    // The timer decides, not the mark, so this also restarts a show stopped elsewhere.
    if (mShowRunning) {
        emit showRunRequested(false);
        mnuPause->setChecked(true);
    } else {
        emit showRunRequested(true);
        mnuPause->setChecked(false);
    }
}

void frmPreview::mnuPrev_Click()
{
    emit previousRequested();
}

void frmPreview::mnuNext_Click()
{
    emit nextRequested();
}

void frmPreview::mnuStretch_Click()
{
    if (mnuStretch->isChecked()) {
        imgPreview->setStretch(false);
        mnuStretch->setChecked(false);
        mnuRetainShape->setEnabled(false);
        emit fitChanged();
    } else {
        DoStretch();
        mnuStretch->setChecked(true);
        mnuRetainShape->setEnabled(true);
    }
}

void frmPreview::mnuRetainShape_Click()
{
    if (mnuRetainShape->isChecked()) {
        mnuRetainShape->setChecked(false);
    } else {
        mnuStretch->setChecked(true);
        mnuRetainShape->setChecked(true);
    }
    emit fitChanged();
}

void frmPreview::keyPressEvent(QKeyEvent *event)
{
    // The menu's usual keys open it where the mouse is not needed: at the window's middle.
    const bool menuKey = event->key() == Qt::Key_Menu ||
                         (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (menuKey) {
        mnuOptions->popup(mapToGlobal(rect().center()));
        return;
    }
    Form_KeyDown(event->key(), event->modifiers());
}

void frmPreview::mousePressEvent(QMouseEvent *event)
{
    Form_MouseDown(event->button(), event->globalPosition().toPoint());
}
