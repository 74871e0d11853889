// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/AsyncLoad.h"

#include "common/Workers.h"

#include <QTimer>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>

namespace {
// Loads under way at once; beyond this the oldest is given up (a disk that stopped
// answering would otherwise gather a thread for every step of a show).
constexpr std::size_t kMaxLoads = 4;
} // namespace

/** One load, shared with its thread, which may outlive the object that started it. */
struct AsyncLoad::Job
{
    std::atomic<bool> cancel = false;
    std::mutex mutex;
    AsyncLoad *owner = nullptr; // cleared when the job is given up or the object goes
    Done done;
    std::optional<Result<Picture>> failed; // waits for the loads before it
};

AsyncLoad::AsyncLoad(QObject *parent) : QObject(parent) {}

AsyncLoad::~AsyncLoad()
{
    cancel();
}

void AsyncLoad::start(const QString &path, const PictureLoader::Limits &limits, QSize shown,
                      Done done)
{
    if (mJobs.size() >= kMaxLoads)
        dropOldest();
    auto job = std::make_shared<Job>();
    job->owner = this;
    job->done = std::move(done);
    mJobs.push_back(job);
    QTimer::singleShot(Workers::deadline(), this, [this, weak = std::weak_ptr<Job>(job)] {
        if (const std::shared_ptr<Job> late = weak.lock())
            finish(late, Error::FileAccess);
    });
    Workers::start([job, path, limits, shown] {
        PictureLoader::Control control;
        control.cancel = &job->cancel;
        Result<Picture> loaded = PictureLoader::load(path, limits, shown, control);
        std::lock_guard lock(job->mutex);
        if (AsyncLoad *owner = job->owner) {
            QMetaObject::invokeMethod(
                owner, [owner, job, loaded = std::move(loaded)] { owner->finish(job, loaded); },
                Qt::QueuedConnection);
        }
    });
}

void AsyncLoad::cancel()
{
    while (!mJobs.empty())
        dropOldest();
}

void AsyncLoad::dropOldest()
{
    const std::shared_ptr<Job> job = mJobs.front();
    mJobs.pop_front();
    job->cancel.store(true);
    std::lock_guard lock(job->mutex);
    job->owner = nullptr;
}

void AsyncLoad::finish(const std::shared_ptr<Job> &job, Result<Picture> loaded)
{
    const auto at = std::find(mJobs.begin(), mJobs.end(), job);
    if (at == mJobs.end() || job->failed)
        return; // given up since, or over already
    if (loaded) {
        // Older loads would only replace what this one brings.
        while (mJobs.front() != job)
            dropOldest();
    } else {
        // A failure leaves the picture before it: the loads before it come first.
        job->failed = std::move(loaded);
    }
    // This one, and the failures after it that waited for it.
    while (!mJobs.empty() && (mJobs.front() == job || mJobs.front()->failed)) {
        const std::shared_ptr<Job> next = mJobs.front();
        const Done done = std::move(next->done);
        Result<Picture> outcome = next->failed ? std::move(*next->failed) : std::move(loaded);
        dropOldest();
        if (done)
            done(std::move(outcome));
    }
}
