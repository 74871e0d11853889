// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

#include <functional>

class QTextBrowser;
class QWidget;

/**
 * The main window's web panel: the page shown at start-up and the once-per-run fetch of
 * the maker's page and pictures, started with the first show.
 */
class Advert : public QObject
{
    Q_OBJECT
public:
    /**
     * Shows its pages in `browser`; `window` (also the parent) wears the caption and the
     * cursor that tell of a download starting. `storedBaseUrl` reads the stored address
     * of the maker's server (empty: the built-in one) when a download starts.
     */
    Advert(QTextBrowser *browser, QWidget *window, std::function<QString()> storedBaseUrl);

    /** Start-up: writes the program's own page unless one is there, and shows it. */
    void PrepareAdvertPanel();
    /**
     * First call of a run: starts fetching the maker's page and pictures when on line and
     * returns; the panel reloads when the fetches end (at once when off line).
     */
    void DownloadAdvert();
    /** DownloadAdvert under the window caption "Initializing..." and the wait cursor. */
    void startAdvertDownload();
    /**
     * The download as a show starts: at once, or, for a show that started by itself
     * (`selfStarted`) and has no picture on screen yet, right after its first picture
     * is, or after PictureElement::kWaitForFirstPicture should none come.
     */
    void startWithShow(bool selfStarted);

private:
    QTextBrowser *mBrowser;
    QWidget *mWindow;
    std::function<QString()> mStoredBaseUrl;
    /** Set once the download was tried in this run, or while it waits for a first picture. */
    bool mFetched = false;
};
