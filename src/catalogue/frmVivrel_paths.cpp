// Folders and pictures handed to the main window by path rather than through the
// folder button: named on the command line, or dropped on the window.

#include "catalogue/FileList.h"
#include "catalogue/FileTypes.h"
#include "chrome/frmVivrel.h"
#include "common/Module1.h"
#include "common/Paths.h"
#include "common/Seams.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>

void frmVivrel::listPaths(const QStringList &paths, bool additive)
{
    bool folderFailed = false;
    for (const QString &given : paths) {
        const QFileInfo info(given);
        const QString path = QDir::toNativeSeparators(QDir::cleanPath(info.absoluteFilePath()));
        if (info.isDir()) {
            // As a chosen folder: remembered, and scanned again at the next start-up.
            mDirPath = path;
            folderFailed |= !scanFolder(path, additive, nullptr);
        } else {
            // A picture stands alone, under the same rules as the scan's: the type box
            // decides, and only a regular file (or a link to one) is ever listed. Its
            // folder is not remembered, so the next start-up does not walk all of it.
            if (!additive)
                mFileList->clear();
            const FileTypeCode code = fileTypeCodeForIndex(cmbFileType->currentIndex());
            if (info.isFile() && acceptsFileName(info.fileName(), code))
                mFileList->appendFolder(
                    Paths::withTrailingSeparator(QDir::toNativeSeparators(info.absolutePath())),
                    {info.fileName()});
        }
        additive = true;
    }
    if (folderFailed)
        seams().showMessage(QStringLiteral("Drive Not Ready..."), MsgStyle::Critical,
                            Module1::programTitle());
}
