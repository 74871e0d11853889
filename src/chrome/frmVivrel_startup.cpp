// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window and its start-up owner: the window hands StartUp its controls and
// serves what start-up sets going; start-up, the settings and shut-down are StartUp's.

#include "advert/Advert.h"
#include "catalogue/Catalogue.h"
#include "chrome/frmVivrel.h"
#include "config/StartUp.h"
#include "widgets/PictureElement.h"

#include <QCloseEvent>
#include <QGuiApplication>

void frmVivrel::connectConfig()
{
    StartUp::Controls controls;
    controls.window = this;
    controls.cmbFileType = cmbFileType;
    controls.Text1 = Text1;
    controls.chkFullScreen = chkFullScreen;
    controls.chkPreview = chkPreview;
    controls.chkRepeat = chkRepeat;
    controls.chkRandom = chkRandom;
    controls.chkSaveSettings = chkSaveSettings;
    controls.cmdTools = cmdTools;
    controls.Timer1 = Timer1;
    controls.viewer = [this]() -> frmPreview & { return viewer(); };
    mStartUp = new StartUp(controls, *this, this);
}

void frmVivrel::Form_Load()
{
    mStartUp->Form_Load();
}

void frmVivrel::Form_Unload()
{
    mStartUp->Form_Unload();
}

void frmVivrel::closeEvent(QCloseEvent *event)
{
    mStartUp->closeRequested();
    event->accept();
}

void frmVivrel::setIniAutoStart(bool act)
{
    mStartUp->setIniAutoStart(act);
}

void frmVivrel::openPaths(const QStringList &paths)
{
    mStartUp->openPaths(paths);
}

void frmVivrel::LoadViewerBackground()
{
    mStartUp->LoadViewerBackground();
}

bool frmVivrel::listFolderTree(const QString &folder)
{
    return mCatalogue->DirSearch(folder);
}

QString frmVivrel::listedFolder() const
{
    return mCatalogue->dirPath();
}

void frmVivrel::setListedFolder(const QString &folder)
{
    mCatalogue->setDirPath(folder);
}

void frmVivrel::listNamedPaths(const QStringList &paths)
{
    mCatalogue->listPaths(paths, false);
}

void frmVivrel::selectAll()
{
    mCatalogue->cmdSelectAll_Click();
}

void frmVivrel::startSelfStartedShow()
{
    mSelfStarted = true;
    // On Wayland the viewer goes to this window's output, which is known only once this
    // window is on screen.
    if (!PictureElement::firstPicturePainted() && QGuiApplication::platformName() != u"wayland") {
        // The show's first picture is painted before this window is, which the viewer
        // covers meanwhile: this window waits for that moment, or for a moment should no
        // picture come.
        setUpdatesEnabled(false);
        PictureElement::afterFirstPictureOrWait(this, [this] {
            setUpdatesEnabled(true);
            followScreen();
        });
    }
    cmdStart_Click();
}

void frmVivrel::allowPreview()
{
    mPreviewNow = true;
}

void frmVivrel::prepareAdvertPanel()
{
    mAdvert->PrepareAdvertPanel();
}

void frmVivrel::offerThanksMail()
{
    mAsk2SendMail = true;
}
