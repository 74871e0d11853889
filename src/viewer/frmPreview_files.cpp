// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The viewer's file commands: "Open" hands the slide on screen to the program the
// desktop associates with it, "Delete" discards the slide's file after asking, and
// "Change Background" chooses the picture drawn behind the slides.

#include "viewer/frmPreview.h"

#include "common/Files.h"
#include "common/Module1.h"
#include "common/OpenWithAssociatedProgram.h"
#include "common/Paths.h"
#include "common/Seams.h"
#include "viewer/OpenFileDlg.h"

#include <QAction>

void frmPreview::connectFileCommands()
{
    connect(mnuOpen, &QAction::triggered, this, &frmPreview::mnuOpen_Click);
    connect(mnuDelete, &QAction::triggered, this, &frmPreview::mnuDelete_Click);
    connect(mnuBackground, &QAction::triggered, this, &frmPreview::mnuBackground_Click);
}

void frmPreview::mnuOpen_Click()
{
    // Stop first: the show must not move on while the copy is made or a message shows.
    emit showRunRequested(false);
    Module1::OpenWithAssociatedProgram(mSlidePath);
    mnuPause->setChecked(true);
}

void frmPreview::mnuDelete_Click()
{
    // Read once, before asking: the show may step on while the question is open, and
    // the file named in the question is the one to go.
    const QString path = mSlidePath;
    if (path.isEmpty())
        return; // no slide shown yet
    const int answer = seams().showMessage(tr("Delete %1?").arg(Paths::readable(path)),
                                           MsgStyle::YesNo | MsgStyle::Critical, tr("Delete File"));
    if (answer != MsgAnswer::Yes)
        return;
    Result<> discarded = Files::moveToTrash(path);
    if (!discarded && discarded.error() == Error::NoTrash) {
        // Gone for good is not what the user said yes to: ask again, No the default.
        if (seams().showMessage(tr("Cannot move %1 to the trash. Delete it permanently?")
                                    .arg(Paths::readable(path)),
                                MsgStyle::YesNo | MsgStyle::Exclamation | MsgStyle::DefaultButton2,
                                tr("Delete File")) != MsgAnswer::Yes)
            return;
        discarded = Files::removeForGood(path);
    }
    if (!discarded) {
        seams().showMessage(
            tr("Cannot delete %1: %2").arg(Paths::readable(path), errorText(discarded.error())),
            MsgStyle::Critical, Module1::programTitle());
    }
}

void frmPreview::mnuBackground_Click()
{
    OpenFileDlg::mDlgTitle = tr("Select Background");
    // Each label, then its patterns, each followed by a NUL; a second NUL ends the list.
    OpenFileDlg::mDlgFilter = tr("Background") + QStringLiteral("\0*.jpg;*.bmp\0") +
                              tr("All Files") + QStringLiteral("\0*.*\0\0");
    OpenFileDlg::mDlgFileName = QString();
    OpenFileDlg::ShowOpenDialog();
    if (OpenFileDlg::mDlgFileName.isEmpty())
        return;
    emit backgroundChosen(OpenFileDlg::mDlgFileName);
}
