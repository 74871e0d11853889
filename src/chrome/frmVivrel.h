// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "chrome/Artwork.h"
#include "common/Result.h"
#include "config/StartUpHost.h"
#include "engine/SlideShow.h"
#include "engine/Stepping.h"

#include <QPointF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <span>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QTextBrowser;
class QToolButton;
class Advert;
class Catalogue;
class FileList;
class FileListView;
class IntervalTimer;
class LinkLabel;
class PictureElement;
class AsyncLoad;
class SlideCache;
class StartUp;
class TriCheckBox;
class frmPreview;

/**
 * The main window: a borderless skinned window that shows the picture list, the show's
 * options and state, and the buttons that drive them. The picture list, the web panel,
 * start-up and the settings, and the show are owned by objects of their own
 * (catalogue/Catalogue, advert/Advert, config/StartUp, engine/SlideShow), which it
 * makes, wires and serves; its own handlers are the chrome's and the show's display.
 */
class frmVivrel : public QWidget, private StartUpHost
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
    qint64 showPosition() const { return mShow->position(); }
    /** The slides decoded around the position. */
    const SlideCache &slideCache() const { return mShow->slides(); }
    /** Whether a slide or a preview is being read or decoded and is not on screen yet. */
    bool slidePending() const;

    // Start-up and shut-down (StartUp's), and the paths named on the command line: what
    // main() calls.
    /** Start-up: run once, before the window is first shown. */
    void Form_Load();
    /** Shut-down: saves the settings and ends the program at once. */
    void Form_Unload();
    /** Whether start-up acts on the configuration file's Start key (not when paths are given). */
    void setIniAutoStart(bool act);
    /** Paths from the command line, after start-up: listed, all selected, shown. */
    void openPaths(const QStringList &paths);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    /** The banner's and the link label's mouse, and the open drop-down's keys. */
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    /** Hands the catalogue its controls and holds the show back while it scans. */
    void connectCatalogue();
    void connectAdvert();
    void connectChrome();
    void connectShow();
    /** Makes the start-up owner, which takes the Tools button. */
    void connectConfig();
    /** The viewer's requests, to the show's handlers. */
    void connectViewer();

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
    /** Opens the help page (also F1 here and in the viewer). */
    void cmdHelp_Click();
    /** Escape in the window: closes the viewer when it is up, else ends the program. */
    void escapePressed();
    /** Ends the program at once; the settings are not saved on this path. */
    void cmdClose_Click();

    // Slide show.
    void cmdStart_Click();
    /** The thank-you mail, offered while it is due in this run (the very first); then not. */
    void askForThanksMail();
    /** Makes the stored background picture the viewer's, when there is a usable one. */
    void LoadViewerBackground();
    void cmdResume_Click();
    /** Pauses the show and shows the selected item before the position, in the viewer. */
    void DoPrevious();
    /** Loads the show's current slide into the viewer and fits it there. */
    void DoLoadFullScreen();
    /** Leaving the interval box: more than 30 seconds is refused with a message. */
    void Text1_LostFocus();
    void RunShow();
    /**
     * Shows the show's new slide: its path in lblFileName and the viewer's caption, and
     * its picture in the viewer or, for a forward step without Full Screen, the pane.
     */
    void showSlide(const QString &path, SlideShow::Step step);
    /**
     * Loads `path` into the preview pane off the window thread; a picture that does not
     * load leaves the one before, and with `report` its error is shown.
     */
    void loadPreviewPane(const QString &path, bool report);
    /** Random and Repeat as the show's next step reads them. */
    Stepping::Options showOptions() const;
    /** Tells the slide cache what is on screen and what the next steps either way would show. */
    void planSlides();
    /** The face of the resume button: what a click on it does to the show. */
    Artwork::Face cmdResumeFace() const;
    void Text1_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void chkPreview_Click();
    void File1_Click();
    void File1_DblClick();
    void File1_KeyDown(int keyCode, Qt::KeyboardModifiers shift);

    // What start-up sets going here.
    bool listFolderTree(const QString &folder) override;
    QString listedFolder() const override;
    void setListedFolder(const QString &folder) override;
    void listNamedPaths(const QStringList &paths) override;
    void selectAll() override;
    void startSelfStartedShow() override;
    void allowPreview() override;
    void prepareAdvertPanel() override;
    void offerThanksMail() override;

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
    /** The show's timer (the show owns it). */
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

    /** The picture list, its folder, and what fills them. */
    Catalogue *mCatalogue = nullptr;
    /** The web panel and its download. */
    Advert *mAdvert = nullptr;

    // Show state.
    /** The catalogue's picture list, behind File1; mFileDir is its folder column. */
    FileList *mFileList = nullptr;
    bool mPreviewNow = false;
    bool mAsk2SendMail = false;
    /**
     * Set when start-up started the run's show by itself (the configuration file, named
     * paths): until its first picture is on screen, nothing else is started.
     */
    bool mSelfStarted = false;
    /** The show: its items, position, draws, timer, slide and the slides decoded around it. */
    SlideShow *mShow = nullptr;
    AsyncLoad *mPaneLoad = nullptr;

    frmPreview *mViewer = nullptr;
    /** Start-up, the settings and shut-down. */
    StartUp *mStartUp = nullptr;
    /** The window follows the mouse while the button that pressed on its body is held. */
    bool mFollowing = false;
    QPoint mGrabOffset;
};
