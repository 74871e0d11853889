// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's catalogue commands: the folder scan, the folder button and
// "Select All Listed Files".

#include "catalogue/DirScanner.h"
#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "chrome/Colours.h"
#include "chrome/frmVivrel.h"
#include "common/IntervalTimer.h"
#include "common/Module1.h"
#include "common/Seams.h"
#include "widgets/TriCheckBox.h"

#include <QAbstractEventDispatcher>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QScopedValueRollback>
#include <QToolButton>

bool frmVivrel::DirSearch(const QString &path)
{
    return scanFolder(path, chkAdditive->value() != 0);
}

bool frmVivrel::scanFolder(const QString &path, bool additive)
{
    const QScopedValueRollback<bool> scanning(mScanning, true);
    const FileTypeCode code = fileTypeCodeForIndex(cmbFileType->currentIndex());
    if (!additive)
        mFileList->clear();

    DirScanner scanner(code, [this](const QString &folder, const QStringList &names) {
        mFileList->appendFolder(folder, names);
    });
    // A long scan keeps the window painted and says how far it got, but holds the
    // user's input and the show's steps back until it ends, so nothing can act on a
    // half-filled list. A running show stays running and goes on afterwards.
    const IntervalTimer::Hold showHeld(Timer1);
    QLabel progress(File1->viewport());
    progress.setObjectName(QStringLiteral("scanProgress"));
    progress.setTextFormat(Qt::PlainText);
    progress.setAlignment(Qt::AlignCenter);
    // The option ground, with the list showing faintly through.
    QColor ground = Colours::kOptionGround;
    ground.setAlpha(220);
    progress.setStyleSheet(
        QStringLiteral("QLabel{background:%1;color:%2;}")
            .arg(Colours::styleColour(ground), Colours::styleColour(Colours::kOptionText)));
    progress.setGeometry(File1->viewport()->rect());
    bool busy = false;
    scanner.setProgress([&](qsizetype found) {
        if (!busy) {
            busy = true;
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            progress.show();
        }
        progress.setText(tr("Scanning...\n%n pictures", nullptr, int(found)));
        mFileList->flush();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    mFileList->beginBatch();
    const bool done = scanner.scan(path).ok();
    mFileList->endBatch();
    if (busy) {
        QGuiApplication::restoreOverrideCursor();
        // Keys and clicks held back meanwhile wait in Qt's queue until the event loop is
        // next woken (on X11, by the next event from the server); wake it now, so they
        // act at once, on the whole list.
        if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance())
            dispatcher->wakeUp();
    }
    if (scanner.leftOut() > 0) {
        // Once per scan, and not silently: the user would look for them in vain.
        seams().showMessage(tr("%1 pictures were left out: their paths are longer than "
                               "the system allows.")
                                .arg(scanner.leftOut()),
                            MsgStyle::Exclamation, Module1::programTitle());
    }
    return done;
}

void frmVivrel::cmdDirList_Click()
{
    const QString chosen = seams().chooseFolder(this, Module1::mainCaption());
    if (chosen.isEmpty())
        return; // cancelled: the folder and the list stay as they were
    mDirPath = QDir::toNativeSeparators(chosen);
    if (!DirSearch(mDirPath))
        seams().showMessage(tr("Drive Not Ready..."), MsgStyle::Critical, Module1::programTitle());
}

void frmVivrel::cmdSelectAll_Click()
{
    mPreviewNow = false;
    File1->selectAllItems();
    // Selecting item by item would leave the focus frame on the last item; do the same.
    if (mFileList->count() > 0)
        File1->setCurrentRow(mFileList->count() - 1);
    mPreviewNow = true;
    cmdStart->setFocus();
}

void frmVivrel::connectCatalogue()
{
    connect(cmdDirList, &QToolButton::clicked, this, &frmVivrel::cmdDirList_Click);
    connect(cmdSelectAll, &QToolButton::clicked, this, &frmVivrel::cmdSelectAll_Click);
    acceptDroppedPaths();
}
