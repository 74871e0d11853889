// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/AsyncLoad.h"

#include "common/Workers.h"

#include <QPointer>
#include <QTimer>

#include <atomic>
#include <mutex>

/** One load, shared with its thread, which may outlive the object that started it. */
struct AsyncLoad::Job
{
    std::atomic<bool> cancel = false;
    std::mutex mutex;
    AsyncLoad *owner = nullptr; // cleared when the job is abandoned or the object goes
};

AsyncLoad::AsyncLoad(QObject *parent) : QObject(parent), mDeadline(new QTimer(this))
{
    mDeadline->setSingleShot(true);
    connect(mDeadline, &QTimer::timeout, this, [this] {
        const std::shared_ptr<Job> late = mJob;
        if (late)
            finish(late, Error::FileAccess);
    });
}

AsyncLoad::~AsyncLoad()
{
    cancel();
}

void AsyncLoad::start(const QString &path, const PictureLoader::Limits &limits, QSize shown,
                      Done done)
{
    cancel();
    auto job = std::make_shared<Job>();
    job->owner = this;
    mJob = job;
    mDone = std::move(done);
    mDeadline->start(Workers::deadline());
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
    if (!mJob)
        return;
    mJob->cancel.store(true);
    {
        std::lock_guard lock(mJob->mutex);
        mJob->owner = nullptr;
    }
    mJob.reset();
    mDone = nullptr;
    mDeadline->stop();
}

void AsyncLoad::finish(const std::shared_ptr<Job> &job, Result<Picture> loaded)
{
    if (job != mJob)
        return; // abandoned since
    const Done done = std::move(mDone);
    cancel();
    if (done)
        done(std::move(loaded));
}
