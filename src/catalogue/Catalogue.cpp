// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "catalogue/Catalogue.h"

#include "catalogue/DirScanner.h"
#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "catalogue/FileTypes.h"
#include "common/Files.h"
#include "common/Module1.h"
#include "common/Paths.h"
#include "common/Seams.h"
#include "widgets/TriCheckBox.h"

#include <QAbstractEventDispatcher>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QToolButton>
#include <QUrl>

namespace {

// The texts are the main window's, and translated as its ("frmVivrel").

/** The local paths a drag carries; none when it carries anything else as well. */
QStringList localPaths(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    QStringList paths;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        paths.append(url.toLocalFile());
    }
    return paths;
}

/**
 * Accepts a drag of local paths with a copy or a link, never a move, which would have
 * the source delete the originals; refuses anything else. Returns the paths taken.
 */
QStringList takePaths(QDropEvent *event, bool scanning)
{
    // A drop in the middle of a scan would change the list under the walk's feet.
    const QStringList paths = scanning ? QStringList() : localPaths(event->mimeData());
    const Qt::DropActions possible = event->possibleActions();
    const Qt::DropAction action = possible.testFlag(Qt::CopyAction)   ? Qt::CopyAction
                                  : possible.testFlag(Qt::LinkAction) ? Qt::LinkAction
                                                                      : Qt::IgnoreAction;
    if (paths.isEmpty() || action == Qt::IgnoreAction) {
        event->ignore();
        return {};
    }
    event->setDropAction(action);
    event->accept();
    return paths;
}

} // namespace

Catalogue::Catalogue(QObject *parent) : QObject(parent), mFileList(new FileList(this)) {}

void Catalogue::attach(const Controls &controls)
{
    mControls = controls;
    connect(mControls.cmdDirList, &QToolButton::clicked, this, &Catalogue::cmdDirList_Click);
    connect(mControls.cmdSelectAll, &QToolButton::clicked, this, &Catalogue::cmdSelectAll_Click);
    mControls.window->setAcceptDrops(true);
    mControls.window->installEventFilter(this);
}

bool Catalogue::DirSearch(const QString &path)
{
    return scanFolder(path, mControls.chkAdditive->value() != 0);
}

bool Catalogue::scanFolder(const QString &path, bool additive)
{
    const QScopedValueRollback<bool> scanning(mScanning, true);
    const FileTypeCode code = fileTypeCodeForIndex(mControls.cmbFileType->currentIndex());
    if (!additive)
        mFileList->clear();

    DirScanner scanner(code, [this](const QString &folder, const QStringList &names) {
        mFileList->appendFolder(folder, names);
    });
    // A long scan keeps the window painted and says how far it got, but holds the
    // user's input and the show's steps back until it ends, so nothing can act on a
    // half-filled list. A running show stays running and goes on afterwards.
    emit scanStarted();
    const auto ended = qScopeGuard([this] { emit scanEnded(); });
    FileListView *const File1 = mControls.File1;
    QLabel progress(File1->viewport());
    progress.setObjectName(QStringLiteral("scanProgress"));
    progress.setTextFormat(Qt::PlainText);
    progress.setAlignment(Qt::AlignCenter);
    progress.setStyleSheet(mControls.scanNoteStyle);
    progress.setGeometry(File1->viewport()->rect());
    bool busy = false;
    scanner.setProgress([&](qsizetype found) {
        if (!busy) {
            busy = true;
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            progress.show();
        }
        progress.setText(QCoreApplication::translate("frmVivrel", "Scanning...\n%n pictures",
                                                     nullptr, int(found)));
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
        seams().showMessage(
            QCoreApplication::translate("frmVivrel",
                                        "%1 pictures were left out: their paths are longer than "
                                        "the system allows.")
                .arg(scanner.leftOut()),
            MsgStyle::Exclamation, Module1::programTitle());
    }
    return done;
}

void Catalogue::reportDriveNotReady() const
{
    seams().showMessage(QCoreApplication::translate("frmVivrel", "Drive Not Ready..."),
                        MsgStyle::Critical, Module1::programTitle());
}

void Catalogue::cmdDirList_Click()
{
    const QString chosen = seams().chooseFolder(mControls.window, Module1::mainCaption());
    if (chosen.isEmpty())
        return; // cancelled: the folder and the list stay as they were
    mDirPath = QDir::toNativeSeparators(chosen);
    if (!DirSearch(mDirPath))
        reportDriveNotReady();
}

void Catalogue::cmdSelectAll_Click()
{
    emit selectingAll(true);
    mControls.File1->selectAllItems();
    // Selecting item by item would leave the focus frame on the last item; do the same.
    if (mFileList->count() > 0)
        mControls.File1->setCurrentRow(mFileList->count() - 1);
    emit selectingAll(false);
    mControls.cmdStart->setFocus();
}

void Catalogue::listPaths(const QStringList &paths, bool additive)
{
    bool folderFailed = false;
    for (const QString &given : paths) {
        const QFileInfo info(given);
        const QString path = QDir::toNativeSeparators(QDir::cleanPath(info.absoluteFilePath()));
        // Asked by the name's own bytes, which need not be valid UTF-8.
        const Files::Kind kind = Files::kindOf(path);
        if (kind == Files::Kind::Folder) {
            // As a chosen folder: remembered, and scanned again at the next start-up.
            mDirPath = path;
            folderFailed |= !scanFolder(path, additive);
        } else {
            // A picture stands alone, under the same rules as the scan's: the type box
            // decides, and only a regular file (or a link to one) is ever listed. Its
            // folder is not remembered, so the next start-up does not walk all of it.
            if (!additive)
                mFileList->clear();
            const FileTypeCode code = fileTypeCodeForIndex(mControls.cmbFileType->currentIndex());
            if (kind == Files::Kind::File && acceptsFileName(info.fileName(), code))
                mFileList->appendFolder(
                    Paths::withTrailingSeparator(QDir::toNativeSeparators(info.absolutePath())),
                    {info.fileName()});
        }
        additive = true;
    }
    if (folderFailed)
        reportDriveNotReady();
}

bool Catalogue::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != mControls.window)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
        takePaths(static_cast<QDropEvent *>(event), mScanning);
        return true;
    case QEvent::Drop:
        if (const QStringList paths = takePaths(static_cast<QDropEvent *>(event), mScanning);
            !paths.isEmpty())
            listPaths(paths, mControls.chkAdditive->value() != 0);
        return true;
    default:
        return false;
    }
}
