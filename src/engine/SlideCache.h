// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "common/FileStamp.h"
#include "common/Fitting.h"
#include "common/PictureLoader.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QTimer;

/**
 * The decoded slides around the show's position: the one on screen and the ones that
 * the next steps forward and back would show, so that a key press either way only has
 * to place a picture. Everything is decoded on worker threads, the slide on screen
 * first, then the others nearest first, within a budget of bytes that also counts what a
 * decode needs while it runs (a progressive JPEG's coefficients included); when the
 * budget is reached, what is furthest from the position goes first, and a decode that
 * does not fit waits for one under way to end.
 *
 * The window thread never waits for a worker: take() hands out what is ready and
 * otherwise asks for it, and slideReady() tells when it is there. A decode that runs past
 * Workers::deadline() is abandoned: stopped where the decoder lets it stop, its thread
 * replaced (it is never joined, not even when the cache goes), and its slide counts as a
 * file that cannot be loaded.
 *
 * A picture is handed out only for the same file, unchanged on disk since it was
 * decoded (size, modification time, file number), and only to a view that would decode
 * exactly the same pixels from that file; anything else is loaded afresh.
 */
class SlideCache : public QObject
{
    Q_OBJECT
public:
    explicit SlideCache(QObject *parent = nullptr);
    /** Stops the workers' decodes and leaves; a worker still in a read ends by itself. */
    ~SlideCache() override;
    SlideCache(const SlideCache &) = delete;
    SlideCache &operator=(const SlideCache &) = delete;

    /**
     * The budget for a viewer of `view`: five of its screen frames at four bytes a pixel,
     * decodes under way included, so that with the picture element's own scaled copy a
     * show stays within six.
     */
    static qint64 budgetFor(const Fitting::View &view);
    /**
     * Once at start-up, before any thread is started: lets the workers' freed pictures
     * go back to the system rather than stay in per-thread allocator pools. It changes
     * the whole process's allocator, so the program's start-up does it, not the cache.
     */
    static void shareOneMallocArena();
    /** Bytes that kept pictures and decodes under way may take together (0 at first). */
    void setBudget(qint64 bytes);

    /**
     * For a show that starts by itself: starts decoding `path` as `view` will show it,
     * while the windows are still being made. The cache made next takes that decode over
     * as the slide asked for; a view that turns out otherwise stops it. Returns the cache
     * that decodes it, until then.
     */
    static const SlideCache *startEarly(const QString &path, const Fitting::View &view);
    /** The cache startEarly() made, for its new owner; null when there is none. */
    static SlideCache *takeEarly();

    /**
     * What to keep, nearest first: `shown`, the slide on screen, then `around`, the slides
     * that the next steps would show. Those missing are decoded ahead as `view` shows
     * them; decodes asked for earlier and no longer in the plan are dropped.
     */
    void plan(const Fitting::View &view, const QString &shown, const QStringList &around);

    /**
     * The picture of `path` as `view` shows it, which becomes the slide on screen: the
     * one kept, else nothing yet, and it is decoded before anything else; slideReady()
     * follows when it is there, or when it failed, or when the deadline passed. It is
     * kept afterwards. Only the last slide asked for is followed.
     */
    std::optional<Result<Picture>> take(const QString &path, const Fitting::View &view);

    /** Forgets every picture, the plan and the slide asked for (the list changed). */
    void clear();

    /** Whether take() asked for a slide that is not there yet. */
    bool isWaiting() const;
    /**
     * Whether a decode is under way, a worker is about to start one, or the slide take()
     * asked for is not handed out yet.
     */
    bool isBusy() const;
    /** Whether a decoded picture of `path` is kept, for any view (for tests). */
    bool holds(const QString &path) const;
    /** Bytes of the pictures kept (for tests). */
    qint64 heldBytes() const;
    /** How many slides take() found not decoded yet (for tests and the benchmark). */
    int coldLoads() const;
    /** Decodes abandoned past the deadline whose threads have not come back yet. */
    int abandoned() const;

signals:
    /** The slide take() asked for is ready (or failed): take() hands it out now. */
    void slideReady(const QString &path);

private:
    struct State;
    /** On the window thread: delivers what the workers finished and watches the deadline. */
    void check();
    /** Starts watching, until nothing is asked for or under way. */
    void watch();

    std::shared_ptr<State> d; // shared with the workers, which may outlive the cache
    QTimer *mWatch = nullptr;
};
