// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Controls.h"

#include "catalogue/FileListView.h"
#include "chrome/frmVivrel.h"
#include "common/IntervalTimer.h"
#include "config/SettingsStore.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include "viewer/frmPreview.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

MainControls::MainControls(const frmVivrel &w)
    : cmdStart(control<QToolButton>(w, "cmdStart")),
      cmdResume(control<QToolButton>(w, "cmdResume")),
      cmdSelectAll(control<QToolButton>(w, "cmdSelectAll")),
      cmdDirList(control<QToolButton>(w, "cmdDirList")),
      cmdTools(control<QToolButton>(w, "cmdTools")), cmdHelp(control<QToolButton>(w, "cmdHelp")),
      cmdMinimise(control<QToolButton>(w, "cmdMinimise")),
      cmdClose(control<QToolButton>(w, "cmdClose")),
      chkRandom(control<TriCheckBox>(w, "chkRandom")),
      chkAdditive(control<TriCheckBox>(w, "chkAdditive")),
      chkSaveSettings(control<TriCheckBox>(w, "chkSaveSettings")),
      chkRepeat(control<TriCheckBox>(w, "chkRepeat")),
      chkPreview(control<TriCheckBox>(w, "chkPreview")),
      chkFullScreen(control<TriCheckBox>(w, "chkFullScreen")),
      File1(control<FileListView>(w, "File1")), cmbFileType(control<QComboBox>(w, "cmbFileType")),
      Text1(control<QLineEdit>(w, "Text1")), WebBrowser1(control<QTextBrowser>(w, "WebBrowser1")),
      lblFileName(control<QLabel>(w, "lblFileName")), Label3(control<QLabel>(w, "Label3")),
      imgPreview(control<PictureElement>(w, "imgPreview")),
      Timer1(control<IntervalTimer>(w, "Timer1")), list(File1->fileList())
{}

ViewerControls::ViewerControls(const frmPreview &v)
    : imgPreview(control<PictureElement>(v, "imgPreview")),
      mnuOptions(control<QMenu>(v, "mnuOptions")), mnuOpen(control<QAction>(v, "mnuOpen")),
      mnuDelete(control<QAction>(v, "mnuDelete")), mnuPause(control<QAction>(v, "mnuPause")),
      mnuPrev(control<QAction>(v, "mnuPrev")), mnuNext(control<QAction>(v, "mnuNext")),
      mnuStretch(control<QAction>(v, "mnuStretch")),
      mnuRetainShape(control<QAction>(v, "mnuRetainShape")),
      mnuBackground(control<QAction>(v, "mnuBackground"))
{}

QString rememberedFolder(frmVivrel &w)
{
    MainControls(w).chkSaveSettings->setValue(1);
    w.Form_Unload(); // not close(): that shuts a window down once only; tests ask again
    // Spelt with "/" as the tests spell paths; Windows keeps "\\" (tst_windows checks it).
    return QDir::fromNativeSeparators(SettingsStore::GetSetting(QStringLiteral("mPath")));
}

bool slideSettled(const frmVivrel &w)
{
    return QTest::qWaitFor([&w] { return !w.slidePending(); }, 20000);
}

void waitForSlide(const frmVivrel &w)
{
    if (!slideSettled(w))
        QTest::qFail("the slide asked for never came", __FILE__, __LINE__);
}
