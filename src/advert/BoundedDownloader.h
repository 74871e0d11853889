// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "common/Result.h"
#include "network/WebAccess.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>

/**
 * Fetches web files into local files, one at a time, bounded in time and size, without
 * waiting for them: each fetch reports its end by a signal from the event loop. A local
 * file is replaced atomically and only by a complete body with an HTTP success status.
 * The network itself is the network module's (NetworkModule), loaded by the first fetch;
 * where it cannot be had, every fetch fails.
 */
class BoundedDownloader : public QObject
{
    Q_OBJECT
public:
    struct Limits
    {
        /** Longest time one fetch may take, start to end. */
        std::chrono::milliseconds transferTimeout{3000};
        /** Longest time all fetches of one downloader may take together. */
        std::chrono::milliseconds overallDeadline{5000};
    };

    /** The limits new downloaders get by default; tests shorten them. */
    static Limits defaultLimits();
    static void setDefaultLimits(Limits limits);

    /** The overall deadline starts now. */
    explicit BoundedDownloader(Limits limits = defaultLimits(), QObject *parent = nullptr);
    /** A fetch still under way is dropped: its file stays as it was, and nothing is reported. */
    ~BoundedDownloader() override;
    BoundedDownloader(const BoundedDownloader &) = delete;
    BoundedDownloader &operator=(const BoundedDownloader &) = delete;

    /**
     * Starts fetching `url` (http or https); when the whole body of at most `maxBytes`
     * comes with a 2xx status it replaces `localFile`, otherwise `localFile` stays as it
     * was. `finished` follows once, never from within this call. One fetch at a time:
     * a call while busy is a mistake of the caller and is ignored.
     */
    void DownloadUrlToFile(const QUrl &url, const QString &localFile, qint64 maxBytes);

    /** Whether a fetch has started and not yet reported its end. */
    bool isBusy() const { return mBusy; }

signals:
    /** The fetch ended: `result` says whether its local file was replaced, or why not. */
    void finished(Result<> result);

private:
    void refuse();
    void onFetched(std::optional<QByteArray> body);
    /** Reports `result` from the event loop, as every end of a fetch is reported. */
    void reportLater(Result<> result);

    Limits mLimits;
    QDeadlineTimer mDeadline;
    /** Made by the first fetch: the module is loaded only then. */
    std::unique_ptr<Web::Client> mClient;
    QTimer mTransferTimer;
    bool mBusy = false;

    // The fetch in flight; it goes before the client it came from.
    std::unique_ptr<Web::Transfer> mTransfer;
    QString mLocalFile;
};
