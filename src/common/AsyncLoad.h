// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/PictureLoader.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class QTimer;

/**
 * Loads one picture at a time off the window thread, for a place that shows one picture
 * (the preview pane). A new load abandons the one before it, which is stopped where the
 * decoder lets it and never handed out; a load that takes longer than
 * Workers::deadline() ends as a file that cannot be read (Error::FileAccess), and its
 * thread, perhaps hanging in a read, is left to end by itself.
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
    /** Abandons the load under way, if any: its `done` is never called. */
    void cancel();
    /** Whether a load is under way. */
    bool isLoading() const { return mJob != nullptr; }

private:
    struct Job;
    void finish(const std::shared_ptr<Job> &job, Result<Picture> loaded);

    std::shared_ptr<Job> mJob;
    Done mDone;
    QTimer *mDeadline;
};
