// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "common/Fitting.h"
#include "config/SettingsStore.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <span>

class IntervalTimer;
class QComboBox;
class QScreen;
class QLineEdit;
class QToolButton;
class QWidget;
class StartUpHost;
class TriCheckBox;
class frmPreview;

/**
 * Where the program begins and ends: start-up from the configuration file or the
 * per-user store, the paths named on the command line, the Tools command that writes
 * the autorun files, the viewer's background picture, and shut-down. Every key of the
 * store is one row of storedSettings().
 */
class StartUp : public QObject
{
    Q_OBJECT
public:
    /** The main window's controls that start-up reads and writes. */
    struct Controls
    {
        /** The main window, outlined at start-up. */
        QWidget *window = nullptr;
        QComboBox *cmbFileType = nullptr;
        QLineEdit *Text1 = nullptr;
        TriCheckBox *chkFullScreen = nullptr;
        TriCheckBox *chkPreview = nullptr;
        TriCheckBox *chkRepeat = nullptr;
        TriCheckBox *chkRandom = nullptr;
        TriCheckBox *chkSaveSettings = nullptr;
        QToolButton *cmdTools = nullptr;
        /** The show's timer, whose hold on the screen shut-down gives back. */
        IntervalTimer *Timer1 = nullptr;
        /** The viewer, made on first use. */
        std::function<frmPreview &()> viewer;
    };

    /** Takes the Tools button's clicks. */
    StartUp(const Controls &controls, StartUpHost &host, QObject *parent = nullptr);

    /** Start-up: run once, before the window is first shown. */
    void Form_Load();
    /** Shut-down: saves the settings and ends the program at once. */
    void Form_Unload();
    /** The window manager closes the window: the program ends as with Escape. */
    void closeRequested();
    /** Whether start-up acts on the configuration file's Start key (not when paths are given). */
    void setIniAutoStart(bool act) { mIniAutoStart = act; }
    /** Paths from the command line, after start-up: listed, all selected, shown. */
    void openPaths(const QStringList &paths);
    void cmdTools_Click();

    /** Makes the stored background picture the viewer's, when there is a usable one. */
    void LoadViewerBackground();
    /** The viewer's background was chosen: it is stored, then applied. */
    void backgroundChosen(const QString &path);
    /** The advert server's base address as the store holds it; empty when it holds none. */
    static QString storedAdvertBaseUrl();

    /** A slide, and the view it will be shown in. */
    struct Slide
    {
        QString path;
        Fitting::View view;
    };
    /**
     * The slide a show of `paths` from the command line starts with, and how the viewer
     * on `screen` will show it, as the store tells before any window exists; nothing
     * where it cannot tell: the configuration file decides, the show is in random order
     * or in the main window's pane, or the first path is not a file.
     */
    static std::optional<Slide> firstNamedSlide(const QStringList &paths, const QScreen *screen);

private:
    /** Applies the per-user store; false, with nothing applied, when it holds no folder. */
    bool LoadStoredSettings();
    /** Writes the current options, or the reset values when "Save on Exit" is not ticked. */
    void SaveStoredSettings();
    /** Applies the configuration file beside the executable, then scans the folder. */
    void LoadIniSettings(const QByteArray &content);

    /** One key of the per-user store: where it is kept, and what it is on the window. */
    struct StoredSetting;
    /** Every key of the per-user store; the options in the order shut-down writes them. */
    static std::span<const StoredSetting> storedSettings();
    /** What a key is for: an option of the window, or one read when it is wanted. */
    enum class Use;
    /** What `store` holds in the row used for `use`. */
    static QString storedValue(Use use, SettingsStore::Reader &store);

    Controls mControls;
    StartUpHost &mHost;
    bool mUnloading = false;
    bool mIniAutoStart = true;
    /**
     * The store as start-up reads it, held from Form_Load() until the event loop first
     * turns: the options it applies and the background of the show it may start are read
     * from one reading. Reads after that find the store afresh.
     */
    std::optional<SettingsStore::Reader> mStartUpStore;
};
