// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class FileList;
class FileListView;
class QComboBox;
class QToolButton;
class QWidget;
class TriCheckBox;

/**
 * The main window's picture list and all that fills it: the folder scan, the folder
 * button, "Select All Listed Files", the type filter's effect, and folders and pictures
 * handed over by path (named on the command line, or dropped on the window). It drives
 * the controls it is handed; what a scan or a select-all means for the rest of the
 * window (the show held back, the click preview waiting) it tells by signals.
 */
class Catalogue : public QObject
{
    Q_OBJECT
public:
    /** The controls it drives, all on `window`. */
    struct Controls
    {
        FileListView *File1 = nullptr;
        QToolButton *cmdDirList = nullptr;
        QToolButton *cmdSelectAll = nullptr;
        /** The type filter: its index picks the types a scan lists. */
        QComboBox *cmbFileType = nullptr;
        TriCheckBox *chkAdditive = nullptr;
        /** Takes the focus once Select All is done. */
        QWidget *cmdStart = nullptr;
        /** The folder chooser's parent; folders and pictures dropped on it are listed. */
        QWidget *window = nullptr;
        /** The style sheet of the note a long scan shows over the list. */
        QString scanNoteStyle;
    };

    /** Makes the picture list, for File1 to be made on; attach() hands over the controls. */
    explicit Catalogue(QObject *parent = nullptr);

    /** Takes the controls: their clicks, and the drops on the window. */
    void attach(const Controls &controls);

    /** The picture list behind File1. */
    FileList &fileList() const { return *mFileList; }
    /** The list's folder: the last one chosen or named, scanned again at the next start-up. */
    const QString &dirPath() const { return mDirPath; }
    void setDirPath(const QString &path) { mDirPath = path; }

    /** Fills the list from `path` and every folder below it; false when the folder failed. */
    bool DirSearch(const QString &path);
    /** The folder button: a chosen folder becomes dirPath() and is scanned. */
    void cmdDirList_Click();
    void cmdSelectAll_Click();
    /**
     * Lists folders and pictures as the folder button lists a folder: the first path
     * replaces the list unless `additive`, the others are added; a picture is listed
     * alone. A folder also becomes dirPath(). Reports "Drive Not Ready..." once when a
     * folder could not be read.
     */
    void listPaths(const QStringList &paths, bool additive);

signals:
    /**
     * A scan starts filling the list; until scanEnded() it lets events other than input
     * run, and nothing may act on the half-filled list meanwhile.
     */
    void scanStarted();
    void scanEnded();
    /** Select All is moving the current item (true), or is done with it (false). */
    void selectingAll(bool selecting);

protected:
    /** Folders and pictures dragged over and dropped on the window. */
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /** The body of DirSearch, with the additive choice given rather than read. */
    bool scanFolder(const QString &path, bool additive);
    void reportDriveNotReady() const;

    Controls mControls;
    FileList *mFileList = nullptr;
    QString mDirPath;
    /** Set while a scan fills the list: drops are refused meanwhile. */
    bool mScanning = false;
};
