// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "advert/BoundedDownloader.h"

#include <QObject>
#include <QString>

/**
 * The maker's page and its two pictures fetched into the panel's folder, one after
 * another within one downloader's limits, while the program goes on: nothing waits for
 * it. Each file is replaced only by a complete copy, so stopping it at any point (the
 * program ending, the object deleted) leaves every file whole.
 */
class AdvertDownload : public QObject
{
    Q_OBJECT
public:
    /** Fetches from the advert server at `baseUrl` into `folder` (ending in a separator). */
    AdvertDownload(const QString &baseUrl, const QString &folder, QObject *parent = nullptr);

    /** Starts the first fetch; `ended` follows, never from within this call. */
    void start();

signals:
    /** Every fetch has ended, each having replaced its file or left it as it was. */
    void ended();

private:
    /** Starts the next fetch in order, or reports the end when none is left. */
    void fetchNext();

    BoundedDownloader mDownloader;
    QString mBaseUrl;
    QString mFolder;
    int mNext = 0;
};
