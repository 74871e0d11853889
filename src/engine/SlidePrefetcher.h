#pragma once

#include "common/FileStamp.h"
#include "common/Fitting.h"
#include "common/PictureLoader.h"

#include <QString>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

/**
 * Decodes the slide that comes next on a worker thread while the current one is on
 * show, so the step that reaches it only has to place it. One picture is asked for
 * at a time and at most one is kept ready: a new request drops the old one.
 *
 * A ready picture is handed out only for the same file, unchanged on disk since it
 * was decoded, and for the same view of the viewer (its size and fitting options
 * decide how much was decoded); anything else is loaded afresh by the caller.
 */
class SlidePrefetcher
{
public:
    SlidePrefetcher();
    ~SlidePrefetcher();
    SlidePrefetcher(const SlidePrefetcher &) = delete;
    SlidePrefetcher &operator=(const SlidePrefetcher &) = delete;

    /** Starts decoding `path` as `view` will show it, replacing any earlier request. */
    void request(const QString &path, const Fitting::View &view);

    /**
     * The picture of `path` decoded ahead for `view`, waiting for it when it is being
     * decoded right now; nothing when there is none or the file changed since.
     */
    std::optional<Result<Picture>> take(const QString &path, const Fitting::View &view);

    /** Forgets every request and ready picture (the list changed, the show ended). */
    void clear();

    /** Whether a picture is asked for or being decoded. */
    bool isBusy() const;
    /** Whether nothing is asked for, being decoded or ready (for tests). */
    bool isEmpty() const;
    /** Whether the picture of `path` is decoded and waiting (for tests). */
    bool isReady(const QString &path) const;

private:
    struct Job
    {
        QString path;
        Fitting::View view;
        quint64 serial = 0;
    };
    struct Ready
    {
        Job job;
        FileStamp stamp;
        Result<Picture> result;
    };

    void run();

    mutable std::mutex mMutex;
    std::condition_variable mWake; // the worker: a job came in or it is time to stop
    std::condition_variable mDone; // take(): the job in hand finished
    std::optional<Job> mPending;
    std::optional<Job> mWorking;
    std::optional<Ready> mReady;
    quint64 mSerial = 0;
    bool mStop = false;
    std::thread mWorker; // last: it starts once everything above exists
};
