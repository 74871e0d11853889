#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QUrl>

#include <chrono>
#include <memory>

class QNetworkAccessManager;

/**
 * Fetches web files into local files, bounded in time and size, and waits for each
 * fetch while the window keeps painting but takes no input. A local file is replaced
 * atomically and only by a complete body with an HTTP success status.
 */
class BoundedDownloader
{
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
    explicit BoundedDownloader(Limits limits = defaultLimits());
    ~BoundedDownloader();
    BoundedDownloader(const BoundedDownloader &) = delete;
    BoundedDownloader &operator=(const BoundedDownloader &) = delete;

    /**
     * Fetches `url` (http or https) and, when the whole body of at most `maxBytes` came
     * with a 2xx status, replaces `localFile` with it; otherwise `localFile` stays as it was.
     */
    Result<> DownloadUrlToFile(const QUrl &url, const QString &localFile, qint64 maxBytes);

    /** The body of `url`; Error::DownloadFailed when the fetch failed by the rules above. */
    Result<QByteArray> fetch(const QUrl &url, qint64 maxBytes);

private:
    Limits mLimits;
    QDeadlineTimer mDeadline;
    std::unique_ptr<QNetworkAccessManager> mManager;
};

/** True for an http or https address with a host. */
bool isWebUrl(const QUrl &url);
