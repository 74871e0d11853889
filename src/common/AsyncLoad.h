// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/PictureLoader.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <deque>
#include <functional>
#include <memory>

/**
 * Loads pictures off the window thread for a place that shows one picture at a time (the
 * preview pane). Outcomes are handed over in the order the loads started: a picture
 * makes every load before it pointless (they are stopped where the decoder lets them and
 * never handed over), while a failure, which leaves the picture before it, waits for the
 * loads before it. A load that takes longer than Workers::deadline() ends as a file that
 * cannot be read (Error::FileAccess), and its thread, perhaps hanging in a read, is left
 * to end by itself.
 */
class AsyncLoad : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(Result<Picture> loaded)>;

    explicit AsyncLoad(QObject *parent = nullptr);
    ~AsyncLoad() override;

    /**
     * Loads `path` within `limits`, decoded no larger than needed to cover `shown`
     * (device pixels), and calls `done` with the outcome on this object's thread.
     */
    void start(const QString &path, const PictureLoader::Limits &limits, QSize shown, Done done);
    /** Abandons every load under way: their `done` is never called. */
    void cancel();
    /** Whether a load is under way. */
    bool isLoading() const { return !mJobs.empty(); }

private:
    struct Job;
    void finish(const std::shared_ptr<Job> &job, Result<Picture> loaded);
    /** Stops the oldest load and forgets it. */
    void dropOldest();

    std::deque<std::shared_ptr<Job>> mJobs; // oldest first
};
