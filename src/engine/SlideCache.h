#pragma once

#include "common/FileStamp.h"
#include "common/Fitting.h"
#include "common/PictureLoader.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <list>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

/**
 * The decoded slides around the show's position: the one on screen and the ones that
 * the next steps forward and back would show, so that a key press either way only has
 * to place a picture. What is missing is decoded on two worker threads, nearest first,
 * within a budget of bytes that also counts what a decode needs while it runs; when the
 * budget is reached, what is furthest from the position goes first, and a decode that
 * does not fit waits for one under way to end.
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
     * What to keep, nearest first: `shown`, the slide on screen, then `around`, the slides
     * that the next steps would show. Those missing are decoded ahead as `view` shows
     * them; decodes asked for earlier and no longer in the plan are dropped.
     */
    void plan(const Fitting::View &view, const QString &shown, const QStringList &around);

    /**
     * The picture of `path` as `view` shows it, which becomes the slide on screen: the
     * one kept, else the one being decoded (waited for: it is sooner), else decoded now
     * on the calling thread. It is kept afterwards.
     */
    Result<Picture> take(const QString &path, const Fitting::View &view);

    /** Forgets every picture and the plan (the list changed). */
    void clear();

    /** Whether a decode is under way or a worker is about to start one. */
    bool isBusy() const;
    /** Whether a decoded picture of `path` is kept, for any view (for tests). */
    bool holds(const QString &path) const;
    /** Bytes of the pictures kept (for tests). */
    qint64 heldBytes() const;
    /** How many pictures take() had to decode itself (for tests and the benchmark). */
    int coldLoads() const;

private:
    /** A decoded picture, or one being decoded while `result` is empty. */
    struct Slot
    {
        QString path;
        Fitting::View view; // what it was decoded for
        std::optional<QSize> natural;
        FileStamp stamp;
        std::optional<Result<Picture>> result;
        qint64 bytes = 0; // the picture's, or what its decode takes while it runs
        quint64 used = 0; // when it was last handed out
        bool dropped = false;
        bool waiting = false; // its decode waits for room
        bool yield = false;   // asked to give its room to a nearer decode that waits
    };
    using Slots = std::list<Slot>;

    // All of these run with mMutex held.
    bool serves(const Slot &slot, const QString &path, const Fitting::View &view) const;
    /** The place in the plan of the first slide `slot` serves; kUnplanned for none. */
    int rankOf(const Slot &slot) const;
    bool covered(int rank) const;
    qint64 expectedBytes() const;
    /** What decoding the plan's slide at `rank` takes while it runs, as far as known. */
    qint64 neededBytes(int rank) const;
    qint64 totalBytes() const;
    /**
     * Whether the decode of `slot`, whose size is now known, may go ahead: at once when it
     * fits, after decodes under way end when it does not yet; false when it gives up.
     */
    bool admit(Slots::iterator slot, std::unique_lock<std::mutex> &lock);
    /** The plan's nearest slide that nothing serves and that fits the budget. */
    std::optional<int> nextJob() const;
    Slots::iterator startJob(int rank);
    void finishJob(Slots::iterator slot, const FileStamp &stamp, Result<Picture> result);
    /** Drops kept pictures, furthest first, until `room` more bytes fit the budget. */
    void makeRoom(qint64 room, int nearerThan);
    void run();

    mutable std::mutex mMutex;
    std::condition_variable mWake; // the workers: the plan or the budget changed
    std::condition_variable mDone; // take(): a decode finished or learnt its size
    Slots mSlots;
    std::vector<QString> mPlan;     // the slide on screen first
    std::vector<QString> mUnfit;    // found too large for the room this plan leaves
    QHash<QString, QSize> mNatural; // the natural sizes of the plan's slides, once read
    Fitting::View mPlanView;
    qint64 mBudget = 0;
    quint64 mClock = 0;
    int mColdLoads = 0;
    bool mStop = false;
    std::vector<std::thread> mWorkers; // last: they start once everything above exists
};
