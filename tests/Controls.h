// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

class FileList;
class FileListView;
class IntervalTimer;
class PictureElement;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTextBrowser;
class QToolButton;
class TriCheckBox;
class frmPreview;
class frmVivrel;

/**
 * The object called `name` of type T below `parent`, found the way a user's tools find
 * a control: by its name. One that is not there (renamed, or of another type) stops the
 * run at once, naming it.
 */
template <typename T> T *control(const QObject &parent, const char *name)
{
    T *found = parent.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("%s has no %s called %s", qPrintable(parent.objectName()),
               T::staticMetaObject.className(), name);
    return found;
}

/** The main window's controls that the tests work and read, by name. */
struct MainControls
{
    explicit MainControls(const frmVivrel &w);

    QToolButton *cmdStart;
    QToolButton *cmdResume;
    QToolButton *cmdSelectAll;
    QToolButton *cmdDirList;
    QToolButton *cmdTools;
    QToolButton *cmdHelp;
    QToolButton *cmdMinimise;
    QToolButton *cmdClose;
    TriCheckBox *chkRandom;
    TriCheckBox *chkAdditive;
    TriCheckBox *chkSaveSettings;
    TriCheckBox *chkRepeat;
    TriCheckBox *chkPreview;
    TriCheckBox *chkFullScreen;
    FileListView *File1;
    QComboBox *cmbFileType;
    QLineEdit *Text1;
    QTextBrowser *WebBrowser1;
    QLabel *lblFileName;
    QLabel *Label3;
    PictureElement *imgPreview;
    IntervalTimer *Timer1;
    /** The picture list that File1 shows. */
    FileList *list;
};

/** The viewer's picture element and menu, by name. */
struct ViewerControls
{
    explicit ViewerControls(const frmPreview &v);

    PictureElement *imgPreview;
    QMenu *mnuOptions;
    QAction *mnuOpen;
    QAction *mnuDelete;
    QAction *mnuPause;
    QAction *mnuPrev;
    QAction *mnuNext;
    QAction *mnuStretch;
    QAction *mnuRetainShape;
    QAction *mnuBackground;
};

/**
 * The folder the window would start from next time, as shut-down stores it ("Save on
 * Exit" is ticked for it). Shut-down ends the program: FakeSeams must be in force.
 */
QString rememberedFolder(frmVivrel &w);

/**
 * Waits until the slide or preview the window asked for is on screen, or given up on
 * (pictures are read and decoded off the window thread). False when it takes longer
 * than any decode of a test picture should.
 */
[[nodiscard]] bool slideSettled(const frmVivrel &w);

/** slideSettled() for helpers that return a value: a slide that never comes fails the test. */
void waitForSlide(const frmVivrel &w);
