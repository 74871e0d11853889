#pragma once

#include "common/Result.h"
#include "engine/PickHistory.h"
#include "engine/Stepping.h"
#include "engine/UniformRandom.h"

#include <QPointF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <span>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QTextBrowser;
class QToolButton;
class FileList;
class FileListView;
class IntervalTimer;
class PictureElement;
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

    // Controls, with the names the rest of the program uses for them.
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
    QLabel *Label3 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *lblFileName = nullptr;
    PictureElement *imgPreview = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QFrame *Shape1 = nullptr;
    QFrame *Shape3 = nullptr;
    QFrame *Shape4 = nullptr;

    /** The picture list behind File1; mFileDir is its folder column. */
    FileList *fileList() const;

    // Catalogue.
    /** Fills the list from `path` and every folder below it; false when the folder failed. */
    bool DirSearch(const QString &path, QString *error = nullptr);
    void cmdDirList_Click();
    void cmdSelectAll_Click();
    /**
     * Lists folders and pictures as the folder button lists a folder: the first path
     * replaces the list unless `additive`, the others are added; a picture is listed
     * alone. A folder also becomes mDirPath. Reports "Drive Not Ready..." once when a
     * folder could not be read.
     */
    void listPaths(const QStringList &paths, bool additive);

    // Window chrome, links and the advert panel.
    /**
     * A press on the bare window body or on the banner: the window manager moves the
     * window until the button is released. False when there is none to do it (the
     * window then follows the mouse by itself). `globalPos` is where the press was.
     */
    bool Form_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPointF globalPos);
    bool Image1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPointF globalPos);
    /** Mouse over the bare body: the link label back to its normal look. */
    void Form_MouseMove();
    /** Mouse over the link label: its hover look. */
    void Label3_MouseMove();
    void Label3_Click();
    /** Sees every key before the focused control; true when it used the key up. */
    bool Form_KeyDown(int key, Qt::KeyboardModifiers shift);
    void cmdMinimise_Click();
    /** Ends the program at once; the settings are not saved on this path. */
    void cmdClose_Click();
    /** Opens the help page (also F1 here and in the viewer). */
    void cmdHelp_Click();
    /** The thank-you mail, offered while mAsk2SendMail is set; clears it. */
    void askForThanksMail();
    /** Start-up: writes the program's own page unless one is there, and shows it. */
    void PrepareAdvertPanel();
    /** First call of a run: fetches the maker's page and pictures when on line; reloads. */
    void DownloadAdvert();

    // Show state.
    qint64 mFileNum = 0;
    QString mDirPath;
    bool mPreviewNow = false;
    bool mAsk2SendMail = false;
    /** Set once the advert download was tried in this run. */
    bool mAdvertFetched = false;

    /** Caption of the resume button (a picture button whose caption is its state). */
    QString cmdResumeCaption() const { return mResumeCaption; }
    void setCmdResumeCaption(const QString &caption);

    /** The viewer window; created hidden on first use, never destroyed. */
    frmPreview &viewer();
    bool hasViewer() const { return mViewer != nullptr; }

    // Slide show.
    void cmdStart_Click();
    void cmdResume_Click();
    /** One forward step: the next selected item is shown (a tick, or "Next" in the viewer). */
    void Timer1_Timer();
    /** Pauses the show and shows the selected item before the position, in the viewer. */
    void DoPrevious();
    /** Loads the picture named by lblFileName into the viewer and fits it there. */
    void DoLoadFullScreen();
    void Text1_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void Text1_LostFocus();
    void chkPreview_Click();
    void File1_Click();
    void File1_DblClick();
    void File1_KeyDown(int keyCode, Qt::KeyboardModifiers shift);

    // Settings, configuration files, start-up and shut-down.
    /** Applies the per-user store; false, with nothing applied, when it holds no folder. */
    bool LoadStoredSettings();
    /** Writes the current options, or the reset values when "Save on Exit" is not ticked. */
    void SaveStoredSettings();
    /** Makes the stored background picture the viewer's, when there is a usable one. */
    void LoadViewerBackground();
    /** Applies the configuration file beside the executable, then scans the folder. */
    void LoadIniSettings();
    void cmdTools_Click();
    /** Start-up: run once, before the window is first shown. */
    void Form_Load();
    /** Shut-down: saves the settings and ends the program at once. */
    void Form_Unload();
    /** Whether start-up acts on the configuration file's Start key. */
    bool mIniAutoStart = true;
    /** Paths from the command line, after start-up: listed, all selected, shown. */
    void openPaths(const QStringList &paths);

signals:
    /** Pictures found so far while a scan runs (for the busy display). */
    void scanProgress(qsizetype found);

protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildControls();
    void connectCatalogue();
    void connectChrome();
    void connectShow();
    void connectConfig();
    /** Lets folders and pictures be dropped on the window. */
    void acceptDroppedPaths();
    /** The body of DirSearch, with the additive choice given rather than read. */
    bool scanFolder(const QString &path, bool additive, QString *error);

    /** One option of the per-user store: its key, reset value and holder on this window. */
    struct StoredSetting;
    /** Every option of the per-user store, in the order shut-down writes them. */
    static std::span<const StoredSetting> storedSettings();

    void RunShow();
    /** Shows item `index` as the current slide, in the viewer or the preview pane. */
    void showSlide(qsizetype index);
    /** Loads `path` into the preview pane; a picture that does not load leaves the one before. */
    Result<> loadPreviewPane(const QString &path);
    Stepping::List showList() const;
    /** Random and Repeat as the show's next step reads them. */
    Stepping::Options showOptions() const;
    /** Tells the slide cache what is on screen and what the next steps either way would show. */
    void planSlides();

    FileList *mFileList = nullptr;
    frmPreview *mViewer = nullptr;
    /** The viewer's slides decoded around the position; a child named "slideCache". */
    SlideCache *mSlides = nullptr;
    QString mResumeCaption;
    /** The random draws of the current pass; empty, not missing, before the first start. */
    PickHistory mPickHistory;
    UniformRandom mRandom;
    bool mUnloading = false;
    /** Set while a scan fills the list (it lets paint events run meanwhile). */
    bool mScanning = false;
};
