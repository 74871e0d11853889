// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "chrome/Artwork.h"
#include "common/Result.h"
#include "engine/PickHistory.h"
#include "engine/Stepping.h"
#include "engine/UniformRandom.h"

#include <QPointF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <chrono>
#include <optional>
#include <span>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QTextBrowser;
class QToolButton;
class FileList;
class FileListView;
class IntervalTimer;
class LinkLabel;
class PictureElement;
class AsyncLoad;
class SlideCache;
class TriCheckBox;
class frmPreview;

/**
 * The main window: a borderless skinned window that holds the picture list, the
 * show's options and state, and the buttons that drive them. Its handlers live in
 * the folder of the subsystem they belong to (catalogue/, engine/, config/, chrome/).
 */
class frmVivrel : public QWidget
{
    Q_OBJECT
public:
    explicit frmVivrel(QWidget *parent = nullptr);
    ~frmVivrel() override;

    /** The viewer window; created hidden on first use, never destroyed. */
    frmPreview &viewer();
    bool hasViewer() const { return mViewer != nullptr; }

    // The show's inner state, which nothing on screen shows; for tests and benchmarks.
    /** Where the next forward step starts looking (in random order, the draws made). */
    qint64 showPosition() const { return mFileNum; }
    /** The slides decoded around the position. */
    const SlideCache &slideCache() const { return *mSlides; }
    /** Whether a slide or a preview is being read or decoded and is not on screen yet. */
    bool slidePending() const;

    // The window's procedures and the handlers of its buttons, for the program and
    // for tests that drive it as a user would.
    // Catalogue.
    /** Fills the list from `path` and every folder below it; false when the folder failed. */
    bool DirSearch(const QString &path);
    void cmdDirList_Click();
    void cmdSelectAll_Click();
    /**
     * Lists folders and pictures as the folder button lists a folder: the first path
     * replaces the list unless `additive`, the others are added; a picture is listed
     * alone. A folder also becomes mDirPath. Reports "Drive Not Ready..." once when a
     * folder could not be read.
     */
    void listPaths(const QStringList &paths, bool additive);

    // Links and the advert panel.
    /** Opens the help page (also F1 here and in the viewer). */
    void cmdHelp_Click();
    /** The thank-you mail, offered while it is due in this run (the very first); then not. */
    void askForThanksMail();
    /** Start-up: writes the program's own page unless one is there, and shows it. */
    void PrepareAdvertPanel();
    /**
     * First call of a run: starts fetching the maker's page and pictures when on line and
     * returns; the panel reloads when the fetches end (at once when off line).
     */
    void DownloadAdvert();
    /** DownloadAdvert under the caption "Initializing..." and the wait cursor. */
    void startAdvertDownload();

    // Slide show.
    void cmdStart_Click();
    void cmdResume_Click();
    /** One forward step: the next selected item is shown (a tick, or "Next" in the viewer). */
    void Timer1_Timer();
    /** Pauses the show and shows the selected item before the position, in the viewer. */
    void DoPrevious();
    /** Loads the picture named by lblFileName into the viewer and fits it there. */
    void DoLoadFullScreen();
    /** The slide cache has the slide it had not: shown if it is still the one on show. */
    void slideReady(const QString &path);
    /** Leaving the interval box: more than 30 seconds is refused with a message. */
    void Text1_LostFocus();

    // Settings, configuration files, start-up and shut-down.
    /** Makes the stored background picture the viewer's, when there is a usable one. */
    void LoadViewerBackground();
    void cmdTools_Click();
    /** Start-up: run once, before the window is first shown. */
    void Form_Load();
    /** Shut-down: saves the settings and ends the program at once. */
    void Form_Unload();
    /** Escape in the window: closes the viewer when it is up, else ends the program. */
    void escapePressed();
    /** Whether start-up acts on the configuration file's Start key (not when paths are given). */
    void setIniAutoStart(bool act) { mIniAutoStart = act; }
    /** Paths from the command line, after start-up: listed, all selected, shown. */
    void openPaths(const QStringList &paths);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    /** The banner's and the link label's mouse, and the open drop-down's keys. */
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void connectCatalogue();
    void connectChrome();
    void connectShow();
    void connectConfig();
    /** The viewer's requests, to the show's handlers. */
    void connectViewer();
    /** Lets folders and pictures be dropped on the window. */
    void acceptDroppedPaths();
    /** The body of DirSearch, with the additive choice given rather than read. */
    bool scanFolder(const QString &path, bool additive);

    // Window chrome.
    /**
     * A press on the bare window body or on the banner: the window manager moves the
     * window until the button is released. False when there is none to do it (the
     * window then follows the mouse by itself). `globalPos` is where the press was.
     */
    bool Form_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPointF globalPos);
    /** Where no window manager moved the window, it follows the mouse by itself. */
    void followUnlessMoved(bool moved, QPointF globalPos);
    /** Mouse over the bare body: the link label back to its normal look. */
    void Form_MouseMove();
    /** Mouse over the link label: its hover look. */
    void Label3_MouseMove();
    void Label3_Click();
    /** Draws the banner, the button faces and the icon at the window's pixel ratio. */
    void drawArtwork();
    /** Draws the artwork again when the window's pixel ratio is not the one it was drawn at. */
    void followScreen();
    void cmdMinimise_Click();
    /** Ends the program at once; the settings are not saved on this path. */
    void cmdClose_Click();

    // Slide show.
    void RunShow();
    /** Shows item `index` as the current slide, in the viewer or the preview pane. */
    void showSlide(qsizetype index);
    /**
     * Loads `path` into the preview pane off the window thread; a picture that does not
     * load leaves the one before, and with `report` its error is shown.
     */
    void loadPreviewPane(const QString &path, bool report);
    Stepping::List showList() const;
    /** Random and Repeat as the show's next step reads them. */
    Stepping::Options showOptions() const;
    /** Tells the slide cache what is on screen and what the next steps either way would show. */
    void planSlides();
    /** Caption of the resume button (a picture button whose caption is its state). */
    QString cmdResumeCaption() const;
    void setCmdResumeCaption(const QString &caption);
    /** The face the resume button's caption calls for. */
    Artwork::Face cmdResumeFace() const;
    void Text1_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void chkPreview_Click();
    void File1_Click();
    void File1_DblClick();
    void File1_KeyDown(int keyCode, Qt::KeyboardModifiers shift);

    // Settings.
    /** Applies the per-user store; false, with nothing applied, when it holds no folder. */
    bool LoadStoredSettings();
    /** Writes the current options, or the reset values when "Save on Exit" is not ticked. */
    void SaveStoredSettings();
    /** Applies the configuration file beside the executable, then scans the folder. */
    void LoadIniSettings(const QByteArray &content);
    /** One option of the per-user store: its key, reset value and holder on this window. */
    struct StoredSetting;
    /** Every option of the per-user store, in the order shut-down writes them. */
    static std::span<const StoredSetting> storedSettings();

    // Controls, with the names the rest of the program uses for them; tests find them
    // by these names too.
    QToolButton *cmdTools = nullptr;
    QToolButton *cmdMinimise = nullptr;
    QToolButton *cmdClose = nullptr;
    QToolButton *cmdHelp = nullptr;
    TriCheckBox *chkRandom = nullptr;
    TriCheckBox *chkAdditive = nullptr;
    FileListView *File1 = nullptr;
    TriCheckBox *chkSaveSettings = nullptr;
    TriCheckBox *chkRepeat = nullptr;
    QTextBrowser *WebBrowser1 = nullptr;
    QToolButton *cmdDirList = nullptr;
    QComboBox *cmbFileType = nullptr;
    IntervalTimer *Timer1 = nullptr;
    TriCheckBox *chkPreview = nullptr;
    QLineEdit *Text1 = nullptr;
    QToolButton *cmdStart = nullptr;
    QToolButton *cmdResume = nullptr;
    QToolButton *cmdSelectAll = nullptr;
    TriCheckBox *chkFullScreen = nullptr;
    LinkLabel *Label3 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *lblFileName = nullptr;
    PictureElement *imgPreview = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;

    /** A picture button and what its face shows, to draw it again at another ratio. */
    struct FacedButton
    {
        QToolButton *button;
        Artwork::Face face;
        QColor ground;
    };
    std::vector<FacedButton> mFaces;
    /** The pixel ratio the artwork was last drawn at; 0 before it is drawn. */
    qreal mArtworkRatio = 0;
    bool mWatchingScreen = false;

    // Show state.
    /** The picture list behind File1; mFileDir is its folder column. */
    FileList *mFileList = nullptr;
    qint64 mFileNum = 0;
    QString mDirPath;
    bool mPreviewNow = false;
    bool mAsk2SendMail = false;
    /** Set once the advert download was tried in this run. */
    bool mAdvertFetched = false;
    /** The download waits for the first picture of a show that started by itself. */
    bool mAdvertDeferred = false;
    /** The longest it waits for that picture. */
    static constexpr std::chrono::milliseconds kAdvertWaitForFirstPicture{2000};
    /**
     * Set when start-up started the run's show by itself (the configuration file, named
     * paths): until its first picture is on screen, nothing else is started.
     */
    bool mSelfStarted = false;
    /** The viewer's slides decoded around the position, on worker threads of its own. */
    SlideCache *mSlides = nullptr;
    AsyncLoad *mPaneLoad = nullptr;
    /**
     * The random draws of the current pass. Missing until the first start, or the first
     * wrap-around, of the run: a random step before then draws and shows nothing.
     */
    std::optional<PickHistory> mPickHistory;
    UniformRandom mRandom;

    frmPreview *mViewer = nullptr;
    bool mUnloading = false;
    /** Whether start-up acts on the configuration file's Start key. */
    bool mIniAutoStart = true;
    /** Set while a scan fills the list (it lets paint events run meanwhile). */
    bool mScanning = false;
    /** The window follows the mouse while the button that pressed on its body is held. */
    bool mFollowing = false;
    QPoint mGrabOffset;
};
