// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Folders and pictures handed to the main window by path rather than through the
// folder button: named on the command line, or dropped on the window.

#include "catalogue/FileList.h"
#include "catalogue/FileTypes.h"
#include "chrome/frmVivrel.h"
#include "common/Files.h"
#include "common/Module1.h"
#include "common/Paths.h"
#include "common/Seams.h"
#include "widgets/TriCheckBox.h"

#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

namespace {

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

void frmVivrel::listPaths(const QStringList &paths, bool additive)
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
            const FileTypeCode code = fileTypeCodeForIndex(cmbFileType->currentIndex());
            if (kind == Files::Kind::File && acceptsFileName(info.fileName(), code))
                mFileList->appendFolder(
                    Paths::withTrailingSeparator(QDir::toNativeSeparators(info.absolutePath())),
                    {info.fileName()});
        }
        additive = true;
    }
    if (folderFailed)
        seams().showMessage(tr("Drive Not Ready..."), MsgStyle::Critical, Module1::programTitle());
}

void frmVivrel::acceptDroppedPaths()
{
    setAcceptDrops(true);
    // Dropped on the interval box, a path would land there as text.
    Text1->setAcceptDrops(false);
}

void frmVivrel::dragEnterEvent(QDragEnterEvent *event)
{
    takePaths(event, mScanning);
}

void frmVivrel::dragMoveEvent(QDragMoveEvent *event)
{
    takePaths(event, mScanning);
}

void frmVivrel::dropEvent(QDropEvent *event)
{
    const QStringList paths = takePaths(event, mScanning);
    if (!paths.isEmpty())
        listPaths(paths, chkAdditive->value() != 0);
}
