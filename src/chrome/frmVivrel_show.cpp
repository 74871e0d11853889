// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's show, as the window shows it and the user drives it: starting, pausing and
// resuming, the steps forward and back, the interval box, and where a slide goes (the viewer or the
// preview pane).

#include "advert/Advert.h"
#include "catalogue/Catalogue.h"
#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "chrome/Artwork.h"
#include "chrome/Colours.h"
#include "chrome/frmVivrel.h"
#include "common/AsyncLoad.h"
#include "common/IntervalTimer.h"
#include "common/Module1.h"
#include "common/Numbers.h"
#include "common/OpenWithAssociatedProgram.h"
#include "common/Paths.h"
#include "common/PictureLoader.h"
#include "common/Seams.h"
#include "engine/ScreenAwake.h"
#include "engine/SlideCache.h"
#include "engine/SlideShow.h"
#include "viewer/frmPreview.h"
#include "widgets/ControlEvents.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTextBrowser>
#include <QToolButton>

namespace {

bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

void frmVivrel::cmdStart_Click()
{
    if (mAsk2SendMail)
        askForThanksMail();
    mCatalogue->setDirPath(Paths::normaliseShowPath(mCatalogue->dirPath()));
    WebBrowser1->hide();
    mAdvert->startWithShow(mSelfStarted);

    mShow->restart();
    LoadViewerBackground();
    RunShow();
}

void frmVivrel::cmdResume_Click()
{
    if (mShow->isGoing()) {
        mShow->pause();
        return;
    }
    RunShow();
}

void frmVivrel::RunShow()
{
    if (mFileList->count() == 0) {
        seams().showMessage(tr("No %1  found").arg(cmbFileType->currentText()), MsgStyle::Critical,
                            Module1::programTitle());
        return;
    }
    if (chkFullScreen->value() == 1)
        viewer().showViewer();
    else
        chkPreview->setValue(1); // its click behaviour stops the timer; it starts again below

    const qint64 interval = Numbers::intervalMilliseconds(Text1->text());
    mCatalogue->setDirPath(Paths::normaliseShowPath(mCatalogue->dirPath()));
    mShow->run(interval);
}

Stepping::Options frmVivrel::showOptions() const
{
    // A grayed box counts as clear.
    return {.random = chkRandom->value() == 1, .repeat = chkRepeat->value() == 1};
}

void frmVivrel::planSlides()
{
    mShow->planSlides(viewer().view());
}

void frmVivrel::showSlide(const QString &path, SlideShow::Step step)
{
    // A file that does not load (not a picture, deleted, unreadable) keeps its path on
    // show and the previous picture, and the show moves on.
    lblFileName->setText(path);
    if (step == SlideShow::Step::Back) {
        // Only the viewer steps back.
        viewer().setCaption(path);
        DoLoadFullScreen();
        return;
    }
    if (chkFullScreen->value() == 1) {
        DoLoadFullScreen();
    } else {
        // Only the viewer decodes ahead: the pane's small pictures are decoded scaled
        // down by the JPEG decoder itself, which is quick, and the pane has no step back.
        mShow->clearSlides();
        loadPreviewPane(path, false);
    }
    viewer().setCaption(path);
}

void frmVivrel::DoPrevious()
{
    viewer().setPauseChecked(true);
    mShow->DoPrevious();
}

void frmVivrel::DoLoadFullScreen()
{
    const QString path = mShow->current();
    frmPreview &shown = viewer();
    std::optional<Result<Picture>> ready = mShow->take(shown.view());
    if (!ready) {
        // Not decoded yet: the previous picture stays until the cache has it (or gives
        // up on it), and this runs again then.
        shown.awaitPicture();
        return;
    }
    shown.placePicture(path, std::move(*ready));
    // Decoding ahead starts once the slide is placed, so it never slows a cold one; in a
    // show that started by itself, once the first picture is on screen.
    if (mSelfStarted && !PictureElement::firstPicturePainted()) {
        PictureElement::afterFirstPicture(this, [this, path] {
            // Unless a step has planned from another slide meanwhile.
            if (mShow->current() == path && viewer().isVisible())
                planSlides();
        });
        return;
    }
    planSlides();
}

bool frmVivrel::slidePending() const
{
    return mShow->slides().isWaiting() || mPaneLoad->isLoading();
}

void frmVivrel::loadPreviewPane(const QString &path, bool report)
{
    const QSize shown =
        (QSizeF(imgPreview->width(), imgPreview->height()) * imgPreview->devicePixelRatioF())
            .toSize();
    mPaneLoad->start(
        path, PictureLoader::kShowLimits, shown, [this, report](Result<Picture> loaded) {
            if (!loaded) {
                imgPreview->stopAnimation(); // the previous picture stays, but it is not the slide
                if (report)
                    seams().showMessage(errorText(loaded.error()), MsgStyle::Critical,
                                        Module1::programTitle());
                return;
            }
            imgPreview->setPicture(std::move(*loaded));
        });
}

void frmVivrel::Text1_KeyDown(int keyCode, Qt::KeyboardModifiers)
{
    if (isEnterKey(keyCode))
        cmdStart->setFocus(Qt::OtherFocusReason);
}

void frmVivrel::Text1_LostFocus()
{
    if (Numbers::leadingNumber(Text1->text()) > 30) {
        seams().showMessage(tr("Max interval is 30 only"), MsgStyle::Information,
                            Module1::programTitle());
        Text1->setFocus(Qt::OtherFocusReason);
    }
}

void frmVivrel::chkPreview_Click()
{
    if (chkPreview->value() != 0) {
        File1_Click();
    } else {
        mPaneLoad->cancel();
        imgPreview->clearPicture();
        WebBrowser1->show();
    }
    mShow->setRunning(false);
}

void frmVivrel::File1_Click()
{
    if (chkPreview->value() == 0 || !mPreviewNow)
        return;
    // No current item (nothing clicked yet, or an empty list) is a lookup that fails,
    // told like a file that does not load; the web panel still makes way for the pane.
    const qsizetype row = File1->currentRow();
    if (row >= 0 && row < mFileList->count())
        loadPreviewPane(mFileList->fullPath(row), true);
    else
        seams().showMessage(errorText(Error::NoListItem), MsgStyle::Critical,
                            Module1::programTitle());
    WebBrowser1->hide();
}

void frmVivrel::File1_DblClick()
{
    const qsizetype row = File1->currentRow();
    if (row < 0 || row >= mFileList->count())
        return; // nothing to open
    Module1::OpenWithAssociatedProgram(mFileList->fullPath(row));
}

void frmVivrel::File1_KeyDown(int keyCode, Qt::KeyboardModifiers)
{
    if (isEnterKey(keyCode))
        File1_DblClick();
}

void frmVivrel::connectShow()
{
    connect(mShow, &SlideShow::currentChanged, this, &frmVivrel::showSlide);
    connect(mShow, &SlideShow::currentReady, this, &frmVivrel::DoLoadFullScreen);
    connect(mShow, &SlideShow::aheadChanged, this, [this] {
        // Nothing new on screen, but the position moved: so did what comes next.
        if (chkFullScreen->value() == 1)
            planSlides();
    });
    connect(mShow, &SlideShow::goingChanged, this, [this](bool going) {
        // A picture button: the text is not drawn, but it is what the button says it is
        // to anything that reads it, and the face drawn follows it. The caption is the
        // button's state, in English; its name is said in the user's language.
        cmdResume->setText(going ? QStringLiteral("Pause") : QStringLiteral("Resume"));
        cmdResume->setAccessibleName(going ? tr("Pause Show") : tr("Resume Show"));
        cmdResume->setIcon(QIcon(Artwork::buttonFace(cmdResumeFace(), cmdResume->size(),
                                                     Colours::kResumeGround, devicePixelRatioF())));
    });
    // An hour's show must not be blanked by the screen saver.
    ScreenAwake::follow(Timer1);
    mPaneLoad = new AsyncLoad(this);
    // Pictures decoded around a place in the old list mean nothing in the new one.
    connect(mFileList, &QAbstractItemModel::modelReset, mShow, &SlideShow::clearSlides);
    connect(mFileList, &QAbstractItemModel::rowsInserted, mShow, &SlideShow::clearSlides);
    connect(mFileList, &QAbstractItemModel::rowsRemoved, mShow, &SlideShow::clearSlides);
    connect(cmdStart, &QToolButton::clicked, this, &frmVivrel::cmdStart_Click);
    connect(cmdResume, &QToolButton::clicked, this, &frmVivrel::cmdResume_Click);

    auto *text1Events = new ControlEvents(Text1);
    connect(text1Events, &ControlEvents::keyDown, this, &frmVivrel::Text1_KeyDown);
    // Reported after the focus has settled, and before the next key or click is acted
    // on: leaving the box by clicking a button checks it, and a refused value drops
    // that click rather than starting a show at it.
    connect(text1Events, &ControlEvents::lostFocus, this, &frmVivrel::Text1_LostFocus);

    connect(chkPreview, &TriCheckBox::valueChanged, this, &frmVivrel::chkPreview_Click);
    connect(File1, &FileListView::currentRowChanged, this, &frmVivrel::File1_Click);
    connect(File1, &QAbstractItemView::doubleClicked, this, &frmVivrel::File1_DblClick);
    connect(File1, &FileListView::keyDown, this, &frmVivrel::File1_KeyDown);
}
