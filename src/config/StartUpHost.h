// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

/**
 * What start-up sets going in the rest of the program: the picture list, the show and
 * the web panel. Start-up reaches them through this alone; the main window provides it.
 */
class StartUpHost
{
public:
    virtual ~StartUpHost() = default;

    // The picture list.
    /** Lists the pictures of `folder` and every folder below it; false when it failed. */
    virtual bool listFolderTree(const QString &folder) = 0;
    /** The list's folder: the one start-up scans and shut-down stores. */
    virtual QString listedFolder() const = 0;
    virtual void setListedFolder(const QString &folder) = 0;
    /** Lists folders and pictures named on the command line in place of what is listed. */
    virtual void listNamedPaths(const QStringList &paths) = 0;
    /** Selects every listed picture. */
    virtual void selectAll() = 0;

    // The show.
    /** Starts the show as one that started by itself: its first picture comes first. */
    virtual void startSelfStartedShow() = 0;
    /** From now on a picture chosen in the list is shown in the preview pane. */
    virtual void allowPreview() = 0;

    // The web panel and the links.
    /** Shows the program's own page in the web panel. */
    virtual void prepareAdvertPanel() = 0;
    /** This is the very first run: the thank-you mail is offered once in it. */
    virtual void offerThanksMail() = 0;
};
