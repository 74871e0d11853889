// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's show: starting, pausing and resuming, the steps forward and back,
// the interval box, and where a slide goes (the viewer or the preview pane).

#include "advert/Advert.h"
#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
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
#include "viewer/frmPreview.h"
#include "widgets/ControlEvents.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTextBrowser>
#include <QTimer>
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
    setDirPath(Paths::normaliseShowPath(dirPath()));
    mFileNum = 0;
    WebBrowser1->hide();
    mAdvert->startWithShow(mSelfStarted);

    if (!mPickHistory)
        mPickHistory.emplace();
    mPickHistory->reset();
    LoadViewerBackground();
    RunShow();
}

void frmVivrel::cmdResume_Click()
{
    if (cmdResumeCaption() == QLatin1String("Pause")) {
        setCmdResumeCaption(QStringLiteral("Resume"));
        Timer1->setEnabled(false);
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

    // Zero, negative or no number never ticks; a period beyond the timer's range is
    // clamped by the timer.
    Timer1->setInterval(Numbers::intervalMilliseconds(Text1->text()));
    setDirPath(Paths::normaliseShowPath(dirPath()));
    Timer1_Timer();
    Timer1->setEnabled(true);
    setCmdResumeCaption(QStringLiteral("Pause"));
}

Stepping::List frmVivrel::showList() const
{
    return {mFileList->count(), [this](qint64 i) { return File1->isSelected(i); }};
}

Stepping::Options frmVivrel::showOptions() const
{
    // A grayed box counts as clear.
    return {.random = chkRandom->value() == 1, .repeat = chkRepeat->value() == 1};
}

void frmVivrel::Timer1_Timer()
{
    const Stepping::List list = showList();
    const Stepping::Options options = showOptions();
    if (!mPickHistory) {
        if (options.random && mFileNum >= 0 && mFileNum < list.count) {
            // No start has made the history yet: the draw is made, then there is nowhere
            // to record it, and the step ends showing nothing.
            static_cast<void>(mRandom.nextIndex(list.count));
            return;
        }
        // A sequential step needs none; wrapping round makes it.
        if (mFileNum >= list.count && options.repeat)
            mPickHistory.emplace();
    }
    PickHistory none;
    const Stepping::Forward step =
        Stepping::forward(mFileNum, list, options, mPickHistory ? *mPickHistory : none, mRandom);
    switch (step.outcome) {
    case Stepping::Outcome::Show:
        showSlide(step.index);
        return;
    case Stepping::Outcome::Ended:
        Timer1->setEnabled(false);
        // The show is over: the slides around it would only hold memory.
        mSlides->clear();
        return;
    case Stepping::Outcome::Wrapped:
    case Stepping::Outcome::Nothing:
        break;
    }
    // Nothing new on screen, but the position moved: so did what comes next.
    if (chkFullScreen->value() == 1)
        planSlides();
}

void frmVivrel::planSlides()
{
    // Two presses of Right and two of Left from here, worked out on copies so that the
    // real position and random sequence stay as they are. Left walks the list downward
    // from the position, not back through the random draws.
    const QString shown = lblFileName->text();
    const Stepping::List list = showList();
    QStringList around;
    // Right after a step back the next step forward shows the same slide again, and
    // right after a step forward so does the next step back: look one further then.
    const auto others = [&](std::vector<qint64> indices) {
        std::erase_if(indices, [&](qint64 i) { return mFileList->fullPath(i) == shown; });
        return indices;
    };
    // Before the first start a random step shows nothing: nothing lies ahead.
    const Stepping::Options options = showOptions();
    const std::vector<qint64> ahead =
        options.random && !mPickHistory
            ? std::vector<qint64>()
            : others(Stepping::peekForward(mFileNum, list, options,
                                           mPickHistory.value_or(PickHistory()), mRandom, 3));
    const std::vector<qint64> behind = others(Stepping::peekBack(mFileNum, list, 3));
    // Nearest first: one step either way before the second one.
    for (std::size_t i = 0; i < 2; ++i) {
        if (i < ahead.size())
            around << mFileList->fullPath(ahead[i]);
        if (i < behind.size())
            around << mFileList->fullPath(behind[i]);
    }
    const Fitting::View view = viewer().view();
    mSlides->setBudget(SlideCache::budgetFor(view));
    mSlides->plan(view, shown, around);
}

void frmVivrel::showSlide(qsizetype index)
{
    // The position already points past this slide, so a tick that runs while the
    // picture loads moves on instead of showing it twice. A file that does not load
    // (not a picture, deleted, unreadable) keeps its path on show and the previous
    // picture, and the show moves on.
    lblFileName->setText(mFileList->fullPath(index));
    if (chkFullScreen->value() == 1) {
        DoLoadFullScreen();
    } else {
        // Only the viewer decodes ahead: the pane's small pictures are decoded scaled
        // down by the JPEG decoder itself, which is quick, and the pane has no step back.
        mSlides->clear();
        loadPreviewPane(lblFileName->text(), false);
    }
    viewer().setCaption(lblFileName->text());
}

void frmVivrel::DoPrevious()
{
    Timer1->setEnabled(false);
    viewer().setPauseChecked(true);
    const qint64 index = Stepping::back(mFileNum, showList());
    if (index < 0)
        return;
    lblFileName->setText(mFileList->fullPath(index));
    viewer().setCaption(lblFileName->text());
    DoLoadFullScreen();
}

void frmVivrel::DoLoadFullScreen()
{
    const QString path = lblFileName->text();
    frmPreview &shown = viewer();
    std::optional<Result<Picture>> ready = mSlides->take(path, shown.view());
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
            if (lblFileName->text() == path && viewer().isVisible())
                planSlides();
        });
        return;
    }
    planSlides();
}

void frmVivrel::slideReady(const QString &path)
{
    // Only the slide still on show; one the show stepped past since is not wanted.
    if (path == lblFileName->text())
        DoLoadFullScreen();
}

bool frmVivrel::slidePending() const
{
    return mSlides->isWaiting() || mPaneLoad->isLoading();
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
    Timer1->setEnabled(false);
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
    connect(Timer1, &IntervalTimer::timeout, this, &frmVivrel::Timer1_Timer);
    // An hour's show must not be blanked by the screen saver.
    ScreenAwake::follow(Timer1);
    mSlides = new SlideCache(this);
    mSlides->setObjectName(QStringLiteral("slideCache"));
    connect(mSlides, &SlideCache::slideReady, this, &frmVivrel::slideReady);
    mPaneLoad = new AsyncLoad(this);
    // Pictures decoded around a place in the old list mean nothing in the new one.
    connect(mFileList, &QAbstractItemModel::modelReset, mSlides, &SlideCache::clear);
    connect(mFileList, &QAbstractItemModel::rowsInserted, mSlides, &SlideCache::clear);
    connect(mFileList, &QAbstractItemModel::rowsRemoved, mSlides, &SlideCache::clear);
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
