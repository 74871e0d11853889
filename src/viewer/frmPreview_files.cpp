// The viewer's file commands: "Open" hands the slide on screen to the program the
// desktop associates with it, "Delete" discards the slide's file after asking, and
// "Change Background" chooses the picture drawn behind the slides.

#include "viewer/frmPreview.h"

#include "common/Module1.h"
#include "common/OpenWithAssociatedProgram.h"
#include "common/Seams.h"
#include "common/WriteGuard.h"
#include "config/SettingsStore.h"
#include "viewer/OpenFileDlg.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

/**
 * Whether the user has a trash to take the file. Where the desktop keeps it in the
 * data folder, make sure it is there: asked to trash with none to be found, Qt moves
 * the file into the current folder instead.
 */
bool trashAvailable()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return false;
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const QString trash = data + QStringLiteral("/Trash");
    WriteGuard::checkWrite(trash, "the trash");
    if (!QFileInfo(trash).isDir()) {
        QDir().mkpath(data);
        QDir().mkdir(trash, ownerOnly);
    }
    return QFileInfo(trash).isDir();
#else
    return true;
#endif
}

/**
 * Moves `path` to the user's trash, or deletes it where no trash takes it. Empty on
 * success, otherwise why the file is still there.
 */
QString discardFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return QStringLiteral("File not found");
    if (info.isDir() && !info.isSymLink())
        return QStringLiteral("Not a file"); // a folder took the picture's name: leave it
    QFile file(path);
    if (trashAvailable() && file.moveToTrash())
        return QString();
    // No trash here, or none that takes the file: delete it outright. A file that
    // cannot be removed at all (read-only folder, in use, gone meanwhile) fails here
    // too, with the reason.
    QFile again(path);
    if (again.remove())
        return QString();
    return again.errorString();
}

} // namespace

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
    Module1::OpenWithAssociatedProgram(caption());
    mnuPause->setChecked(true);
}

void frmPreview::mnuDelete_Click()
{
    // Read once, before asking: the show may step on while the question is open, and
    // the file named in the question is the one to go.
    const QString path = caption();
    if (path.isEmpty())
        return; // no slide shown yet
    const int answer =
        seams().showMessage(QStringLiteral("Delete ") + path + u'?',
                            MsgStyle::YesNo | MsgStyle::Critical, QStringLiteral("Delete File"));
    if (answer != MsgAnswer::Yes)
        return;
    const QString error = discardFile(path);
    if (!error.isEmpty()) {
        seams().showMessage(QStringLiteral("Cannot delete ") + path + QStringLiteral(": ") + error,
                            MsgStyle::Critical, Module1::programTitle());
    }
}

void frmPreview::mnuBackground_Click()
{
    OpenFileDlg::mDlgTitle = QStringLiteral("Select Background");
    OpenFileDlg::mDlgFilter = QStringLiteral("Background\0*.jpg;*.bmp\0All Files\0*.*\0\0");
    OpenFileDlg::mDlgFileName = QString();
    OpenFileDlg::ShowOpenDialog();
    if (OpenFileDlg::mDlgFileName.isEmpty())
        return;
    // Stored even when it is no picture; the background then stays as it was.
    SettingsStore::SaveSetting(QStringLiteral("mBgd"), OpenFileDlg::mDlgFileName);
    emit backgroundChosen();
}
