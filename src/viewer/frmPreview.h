// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "common/Fitting.h"
#include "common/PictureLoader.h"

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QWidget>

#include <optional>

class QAction;
class QMenu;
class PictureElement;
class QScreen;

/**
 * The full-screen viewer. One instance for the whole run, created hidden at start-up
 * and never destroyed: closing it only hides it. It owns no show state: pausing and
 * stepping go out as signals to the main window's show, which tells it in return
 * whether the show runs; the file commands work on the path the show wrote into its
 * caption.
 */
class frmPreview : public QWidget
{
    Q_OBJECT
public:
    /** `mainWindow`: the window whose monitor the viewer covers. */
    explicit frmPreview(QWidget *mainWindow = nullptr);
    ~frmPreview() override;

    /** Sizes the window to the main window's monitor, the picture element to the window. */
    void Form_Load();
    /** Spreads the picture element over the whole window, stretched. */
    void DoStretch();

    /** The caption, as the window shows it: the full path of the slide on screen. */
    QString caption() const { return windowTitle(); }
    /** The slide on screen, which Open and Delete act on; the caption shows its path. */
    const QString &slidePath() const { return mSlidePath; }
    void setCaption(const QString &slidePath)
    {
        mSlidePath = slidePath;
        setWindowTitle(slidePath);
    }

    /** The background picture, drawn at natural size from the top-left corner. */
    const QImage &background() const { return mBackground; }
    void setBackground(const QImage &picture);

    // The menu's check marks: the fitting options, which start-up sets and shut-down
    // stores, and the pause mark, which a step back sets.
    bool stretchChecked() const;
    void setStretchChecked(bool checked);
    bool retainShapeChecked() const;
    void setRetainShapeChecked(bool checked);
    /** "Retain Shape" can be chosen only while stretching. */
    void setRetainShapeEnabled(bool enabled);
    void setPauseChecked(bool checked);

    // Showing slides, and the show's menu entries.
    /** Shows the window in front, over the whole monitor that holds most of the main window. */
    void showViewer();
    /**
     * Puts `loaded`, the picture of `path` decoded for the current view, into the picture
     * element and places it as the menu's options say; a failure leaves the picture before.
     */
    void placePicture(const QString &path, Result<Picture> loaded);
    /** The slide is not decoded yet: the picture on screen stays, but it no longer plays. */
    void awaitPicture();
    /** The window and the element as they stand, for working out what a slide needs. */
    Fitting::View view() const;
    void mnuPause_Click();
    void mnuPrev_Click();
    void mnuNext_Click();
    void mnuStretch_Click();
    void mnuRetainShape_Click();

    // File commands: the slide on screen opened with its program or deleted, and the
    // background picture chosen.
    /** Pauses the show and opens a working copy of the slide with its associated program. */
    void mnuOpen_Click();
    /** Asks, then moves the slide's file to the trash (deletes it where there is none). */
    void mnuDelete_Click();
    /** Lets the user choose the background picture and tells the choice (backgroundChosen). */
    void mnuBackground_Click();

    /** Whether the show's timer runs; the main window tells every change. */
    void setShowRunning(bool running);

signals:
    /** F1 was pressed: the program's help is wanted. */
    void helpRequested();
    /** "Next" or the Right key: one forward step of the show, running or not. */
    void nextRequested();
    /** "Previous" or the Left key: the show pauses and steps back. */
    void previousRequested();
    /** The show's timer is to be switched on or off ("Pause Show", "Open", closing). */
    void showRunRequested(bool run);
    /** "Stretch" or "Retain Shape" changed: the slide on screen is to be placed again. */
    void fitChanged();
    /** The file `path` was chosen as the background picture: it is to be stored and applied. */
    void backgroundChosen(const QString &path);
    /** The window was closed, which only hid it. */
    void closed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    static bool isWayland();
    /**
     * Whether the main window's monitor is known: always, except on Wayland before the
     * main window is on screen and the compositor has said which output holds it.
     */
    bool mainWindowPlaced();
    /** Shows the viewer once the main window is placed, or after a moment at most. */
    void waitForMainWindow();
    void connectShowEntries();
    void connectFileCommands();

    /**
     * The monitor a show is seen on: the one holding most of the main window's frame;
     * on a tie, or with the main window on none, the main window's own, else the primary.
     */
    QScreen *chosenScreen() const;
    /**
     * Makes the window cover `screen` exactly. The slide on show follows the new size: an
     * element that covered the whole old window covers the new one, and the picture is
     * placed again as the menu's options say.
     */
    void coverScreen(QScreen *screen);
    /** Puts the picture element where the fitting placed it, and shows it. */
    void applyPlacement(const Fitting::Placement &placed);

    /** Width and height in logical units, as the fitting reads them. */
    float windowWidth() const;
    float windowHeight() const;

    // Keys and mouse.
    void Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void Form_MouseDown(Qt::MouseButton button, QPoint globalPos);
    void imgPreview_MouseDown(Qt::MouseButton button, QPoint globalPos);

    /** The slide's picture element. */
    PictureElement *imgPreview = nullptr;

    // The context menu and the entries that do something, by the names tests find them by.
    QMenu *mnuOptions = nullptr;
    QAction *mnuOpen = nullptr;
    QAction *mnuDelete = nullptr;
    QAction *mnuPause = nullptr;
    QAction *mnuPrev = nullptr;
    QAction *mnuNext = nullptr;
    QAction *mnuStretch = nullptr;
    QAction *mnuRetainShape = nullptr;
    QAction *mnuBackground = nullptr;

    QWidget *mMainWindow;
    // Waiting for the main window to be placed before a show's first viewer.
    static constexpr int kWaitPollMs = 10;
    static constexpr int kOutputAnswerMs = 150;
    static constexpr int kWaitAtMostMs = 1000;
    QBasicTimer mWaitForMain;
    QElapsedTimer mWaitStarted;
    QElapsedTimer mMainExposed;
    bool mWatchingMainScreen = false;
    bool mMainScreenKnown = false;
    bool mViewerWanted = false;
    QImage mBackground;
    bool mShowRunning = false;
    QString mSlidePath;
};
