#include "engine/SlidePrefetcher.h"

SlidePrefetcher::SlidePrefetcher() : mWorker([this] { run(); }) {}

SlidePrefetcher::~SlidePrefetcher()
{
    {
        std::lock_guard lock(mMutex);
        mStop = true;
        mPending.reset();
    }
    mWake.notify_all();
    mWorker.join();
}

void SlidePrefetcher::request(const QString &path, const Fitting::View &view)
{
    {
        std::lock_guard lock(mMutex);
        if ((mWorking && mWorking->path == path && mWorking->view == view) ||
            (mReady && mReady->job.path == path && mReady->job.view == view)) {
            mPending.reset();
            return; // already on its way
        }
        mReady.reset(); // one picture kept at most
        mPending = Job{path, view, ++mSerial};
    }
    mWake.notify_all();
}

std::optional<Result<Picture>> SlidePrefetcher::take(const QString &path, const Fitting::View &view)
{
    std::optional<Ready> ready;
    {
        std::unique_lock lock(mMutex);
        const auto isFor = [&](const std::optional<Job> &job) {
            return job && job->path == path && job->view == view;
        };
        // Asked for and not ready yet: it comes sooner from the worker than afresh.
        mDone.wait(lock, [&] { return !isFor(mPending) && !isFor(mWorking); });
        if (mReady && mReady->job.path == path && mReady->job.view == view)
            ready = std::move(mReady);
        mReady.reset();
    }
    if (!ready || FileStamp::of(path) != ready->stamp)
        return std::nullopt;
    return std::move(ready->result);
}

void SlidePrefetcher::clear()
{
    std::lock_guard lock(mMutex);
    ++mSerial; // what is being decoded now is dropped when it ends
    mPending.reset();
    mReady.reset();
}

bool SlidePrefetcher::isBusy() const
{
    std::lock_guard lock(mMutex);
    return mPending || mWorking;
}

bool SlidePrefetcher::isEmpty() const
{
    std::lock_guard lock(mMutex);
    return !mPending && !mWorking && !mReady;
}

bool SlidePrefetcher::isReady(const QString &path) const
{
    std::lock_guard lock(mMutex);
    return mReady && mReady->job.path == path;
}

void SlidePrefetcher::run()
{
    std::unique_lock lock(mMutex);
    for (;;) {
        mWake.wait(lock, [this] { return mStop || mPending; });
        if (mStop)
            return;
        Job job = std::move(*mPending);
        mPending.reset();
        mWorking = job;
        lock.unlock();

        // Stamped before reading, so a change made while decoding shows as a change.
        const Fitting::View view = job.view;
        Ready ready{
            job, FileStamp::of(job.path),
            PictureLoader::load(job.path, PictureLoader::kShowLimits, [view](QSize natural) {
                return Fitting::decodeTarget(view, natural);
            })};

        lock.lock();
        mWorking.reset();
        if (job.serial == mSerial)
            mReady = std::move(ready);
        mDone.notify_all();
    }
}
