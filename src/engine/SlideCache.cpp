// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/SlideCache.h"

#include "common/Workers.h"

#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <list>
#include <mutex>
#include <utility>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr int kUnplanned = INT_MAX;
// Two cores here: one decode each while the window thread places and paints.
constexpr int kWorkers = 2;
// Abandoned workers are replaced up to this many threads in all; beyond that the show has
// fewer workers until one comes back.
constexpr int kMaxThreads = kWorkers + 6;
constexpr int kBudgetFrames = 5;

using Clock = std::chrono::steady_clock;

/** A screen frame of `view`, or with `margin` a pixel more each way, at four bytes a pixel. */
qint64 frameBytes(const Fitting::View &view, int margin = 0)
{
    const double dpr = view.devicePixelRatio;
    const auto side = [dpr, margin](float logical) {
        if (!std::isfinite(logical) || logical <= 0)
            return qint64(0);
        return qint64(std::ceil(std::min(double(logical) * dpr, 1.0e6))) + margin;
    };
    return side(view.windowWidth) * side(view.windowHeight) * 4;
}

qint64 pixelBytes(QSize size)
{
    return qint64(size.width()) * size.height() * 4;
}

/**
 * The most a JPEG of `natural` size takes while it is decoded for `view`: `buffers`, what
 * its decoder keeps for the whole decode (a progressive file's coefficients), and the
 * picture. A picture scaled down is first decoded by libjpeg at a power-of-two fraction of
 * its size no smaller than the target, which is most of what it holds until it is scaled
 * the rest of the way. The scaled picture, made beside it, is left out (a sixth of it for
 * a 24-megapixel photo on a 1920x1080 screen): counted, the next slide's decode would not
 * fit beside the two frames either side of the one on screen, and a step back would be
 * decoded again; a show stays within six frames all the same (`vivrel_bench`).
 */
qint64 workingBytes(const Fitting::View &view, QSize natural, qint64 buffers)
{
    const DecodeTarget target = Fitting::decodeTarget(view, natural);
    if (!target.scaled.isValid() || target.scaled.isEmpty())
        return buffers + pixelBytes(target.clip.isEmpty() ? natural : target.clip.size());
    QSize first = natural;
    for (int denominator : {2, 4, 8}) {
        const QSize smaller((natural.width() + denominator - 1) / denominator,
                            (natural.height() + denominator - 1) / denominator);
        if (smaller.width() < target.scaled.width() || smaller.height() < target.scaled.height())
            break;
        first = smaller;
    }
    return buffers + std::max(pixelBytes(first), pixelBytes(target.scaled));
}

} // namespace

/** Everything the workers share with the cache; the last of them to go frees it. */
struct SlideCache::State : std::enable_shared_from_this<SlideCache::State>
{
    /** A decoded picture, or one being decoded while `result` is empty. */
    struct Slot
    {
        QString path;
        Fitting::View view; // what it was decoded for
        std::optional<QSize> natural;
        qint64 buffers = 0; // what the decoder keeps besides the picture
        FileStamp stamp;
        bool anyStamp = false; // a read that never ended: it holds whatever the file is now
        std::optional<Result<Picture>> result;
        qint64 bytes = 0; // the picture's, or what its decode takes while it runs
        quint64 used = 0; // when it was last handed out
        bool dropped = false;
        bool abandoned = false; // past the deadline: its worker leaves when it comes back
        bool once = false;      // handed out once, then forgotten
        bool waiting = false;   // its decode waits for room
        bool yield = false;     // asked to give its room to a nearer decode that waits
        std::shared_ptr<std::atomic<bool>> cancel = std::make_shared<std::atomic<bool>>(false);
        Clock::time_point started;
    };
    using Slots = std::list<Slot>;

    struct Known
    {
        QSize natural;
        qint64 buffers = 0;
    };

    /** The slide take() asked for and did not have. */
    struct Wanted
    {
        QString path;
        Fitting::View view;
        Clock::time_point since;
    };

    bool serves(const Slot &slot, const QString &path, const Fitting::View &view) const;
    /** The place in the plan of the first slide `slot` serves; kUnplanned for none. */
    int rankOf(const Slot &slot) const;
    bool covered(int rank) const;
    /** Whether an abandoned decode of `path` has not come back yet. */
    bool stalled(const QString &path) const;
    qint64 expectedBytes() const;
    /**
     * Whether the slide take() asked for is being decoded: nothing else starts then,
     * and it has the cores to itself.
     */
    bool decodingWanted() const;
    /** What decoding the plan's slide at `rank` takes while it runs, as far as known. */
    qint64 neededBytes(int rank) const;
    qint64 totalBytes() const;
    bool admit(Slots::iterator slot, std::unique_lock<std::mutex> &lock);
    /** The plan's nearest slide that nothing serves and that fits the budget. */
    std::optional<int> nextJob() const;
    Slots::iterator startJob(int rank);
    void finishJob(Slots::iterator slot, const FileStamp &stamp, Result<Picture> result);
    /** Drops kept pictures, furthest first, until `room` more bytes fit the budget. */
    void makeRoom(qint64 room, int nearerThan);
    /** Stops the decodes no step asks for any more (a view that changed, say). */
    void stopUnplanned();
    /** Stops the decode furthest away when the slide on screen finds no worker free. */
    void makeWayForTheSlideShown();
    /** Gives up on a decode past the deadline; a failure stands for it. */
    void abandon(Slots::iterator slot);
    /** Puts a failure in place of a slide that could not be read in time. */
    void failLate(const QString &path, const Fitting::View &view);
    void spawn();
    /** Has the window thread look at what changed. */
    void post();
    static void run(const std::shared_ptr<State> &state);

    mutable std::mutex mutex;
    std::condition_variable wake; // the workers: the plan or the budget changed
    Slots entries;
    std::vector<QString> plan;     // the slide on screen first
    std::vector<QString> unfit;    // found too large for the room this plan leaves
    QHash<QString, Known> natural; // what the plan's slides are, once read
    Fitting::View planView;
    std::optional<Wanted> wanted;
    qint64 budget = 0;
    quint64 clock = 0;
    int coldLoads = 0;
    int active = 0;  // workers not abandoned
    int threads = 0; // workers not ended
    int idle = 0;    // workers waiting for a job
    bool stop = false;
    SlideCache *owner = nullptr; // cleared when the cache goes
    QString early;               // started before the show, which has not asked for it yet
    bool posted = false;
};

void SlideCache::shareOneMallocArena()
{
#ifdef __GLIBC__
    // glibc gives each thread that allocates an arena of its own, and a worker's arena
    // keeps the pages of the large buffers it freed resident: two workers kept tens of
    // megabytes beyond what the cache holds. One arena for the process lets freed pictures
    // go back together; its lock is taken a few times per decode.
    mallopt(M_ARENA_MAX, 1);
#endif
}

SlideCache::SlideCache(QObject *parent)
    : QObject(parent), d(std::make_shared<State>()), mWatch(new QTimer(this))
{
    connect(mWatch, &QTimer::timeout, this, &SlideCache::check);
    std::lock_guard lock(d->mutex);
    d->owner = this;
    for (int i = 0; i < kWorkers; ++i)
        d->spawn();
}

SlideCache::~SlideCache()
{
    {
        std::lock_guard lock(d->mutex);
        d->stop = true;
        d->owner = nullptr;
        d->plan.clear();
        d->wanted.reset();
        for (State::Slot &slot : d->entries)
            slot.cancel->store(true);
    }
    // Idle workers leave now, busy ones when their decode stops; none is waited for.
    d->wake.notify_all();
}

namespace {
SlideCache *gEarly = nullptr;
} // namespace

const SlideCache *SlideCache::startEarly(const QString &path, const Fitting::View &view)
{
    delete gEarly;
    gEarly = new SlideCache;
    gEarly->setBudget(budgetFor(view));
    static_cast<void>(gEarly->take(path, view));
    std::lock_guard lock(gEarly->d->mutex);
    gEarly->d->early = path;
    return gEarly;
}

SlideCache *SlideCache::takeEarly()
{
    return std::exchange(gEarly, nullptr);
}

qint64 SlideCache::budgetFor(const Fitting::View &view)
{
    return kBudgetFrames * frameBytes(view);
}

void SlideCache::setBudget(qint64 bytes)
{
    {
        std::lock_guard lock(d->mutex);
        if (bytes > d->budget)
            d->unfit.clear(); // there may be room for them now
        d->budget = bytes;
        d->makeRoom(0, 0);
    }
    d->wake.notify_all();
}

void SlideCache::plan(const Fitting::View &view, const QString &shown, const QStringList &around)
{
    bool working = false;
    {
        std::lock_guard lock(d->mutex);
        d->planView = view;
        d->plan.clear();
        d->unfit.clear(); // the room there is may have changed
        d->plan.push_back(shown);
        for (const QString &path : around) {
            if (!path.isEmpty() && std::find(d->plan.begin(), d->plan.end(), path) == d->plan.end())
                d->plan.push_back(path);
        }
        d->natural.removeIf([this](const auto &known) {
            return std::find(d->plan.begin(), d->plan.end(), known.key()) == d->plan.end();
        });
        // What no step asks for goes now rather than when the budget is full, except the
        // slide on screen as other views decoded it, for when the view changes back.
        std::erase_if(d->entries, [&](const State::Slot &slot) {
            return slot.result && slot.path != shown && d->rankOf(slot) == kUnplanned;
        });
        working = d->nextJob().has_value();
    }
    d->wake.notify_all();
    // Decodes ahead are watched for the deadline too.
    if (working)
        watch();
}

std::optional<Result<Picture>> SlideCache::take(const QString &path, const Fitting::View &view)
{
    const FileStamp now = FileStamp::of(path);
    std::optional<Result<Picture>> out;
    {
        std::lock_guard lock(d->mutex);
        ++d->clock;
        // The slide started early is spared only until the show asks for its first slide.
        if (d->early != path)
            d->early.clear();
        // It is on screen from now on, whatever the last plan said.
        d->planView = view;
        std::erase(d->plan, path);
        d->plan.insert(d->plan.begin(), path);

        for (;;) {
            const auto kept =
                std::find_if(d->entries.begin(), d->entries.end(), [&](const auto &slot) {
                    return slot.result && d->serves(slot, path, view);
                });
            if (kept == d->entries.end())
                break;
            if (kept->anyStamp || kept->stamp == now) {
                kept->used = d->clock;
                out = *kept->result;
                if (kept->once)
                    d->entries.erase(kept);
                break;
            }
            d->entries.erase(kept); // the file changed since
        }
        if (out) {
            d->wanted.reset();
        } else if (d->stalled(path)) {
            // The last read of it never came back: no other worker is sent after it.
            d->wanted.reset();
            out = Error::FileAccess;
        } else {
            if (!d->wanted || d->wanted->path != path || !(d->wanted->view == view)) {
                d->wanted = State::Wanted{path, view, Clock::now()};
                ++d->coldLoads;
            }
            d->stopUnplanned();
            d->makeWayForTheSlideShown();
        }
    }
    d->wake.notify_all();
    if (!out)
        watch();
    return out;
}

void SlideCache::clear()
{
    {
        std::lock_guard lock(d->mutex);
        d->plan.clear();
        d->natural.clear();
        d->wanted.reset();
        for (auto slot = d->entries.begin(); slot != d->entries.end();) {
            if (!d->early.isEmpty() && slot->path == d->early && !slot->dropped) {
                // Started before the list was made: the list start-up makes is the one
                // it was started for.
                ++slot;
            } else if (slot->result) {
                slot = d->entries.erase(slot);
            } else {
                slot->dropped = true; // its worker drops it when the decode ends
                slot->cancel->store(true);
                ++slot;
            }
        }
    }
    d->wake.notify_all(); // a decode waiting for room gives up
}

bool SlideCache::isWaiting() const
{
    std::lock_guard lock(d->mutex);
    return d->wanted.has_value();
}

bool SlideCache::isBusy() const
{
    std::lock_guard lock(d->mutex);
    return d->wanted || d->nextJob() ||
           std::any_of(d->entries.begin(), d->entries.end(),
                       [](const auto &slot) { return !slot.result && !slot.abandoned; });
}

bool SlideCache::holds(const QString &path) const
{
    std::lock_guard lock(d->mutex);
    return std::any_of(d->entries.begin(), d->entries.end(), [&](const auto &slot) {
        return slot.result && slot.result->ok() && slot.path == path;
    });
}

qint64 SlideCache::heldBytes() const
{
    std::lock_guard lock(d->mutex);
    qint64 bytes = 0;
    for (const State::Slot &slot : d->entries)
        bytes += slot.result ? slot.bytes : 0;
    return bytes;
}

int SlideCache::coldLoads() const
{
    std::lock_guard lock(d->mutex);
    return d->coldLoads;
}

int SlideCache::abandoned() const
{
    std::lock_guard lock(d->mutex);
    return int(std::count_if(d->entries.begin(), d->entries.end(),
                             [](const auto &slot) { return slot.abandoned; }));
}

void SlideCache::check()
{
    QString ready;
    bool watching = false;
    {
        std::lock_guard lock(d->mutex);
        d->posted = false;
        const Clock::time_point now = Clock::now();
        const Clock::duration limit = Workers::deadline();
        for (auto slot = d->entries.begin(); slot != d->entries.end(); ++slot) {
            if (!slot->result && !slot->dropped && !slot->waiting && now - slot->started > limit)
                d->abandon(slot);
        }
        if (d->wanted) {
            const State::Wanted &wanted = *d->wanted;
            bool done = std::any_of(d->entries.begin(), d->entries.end(), [&](const auto &slot) {
                return slot.result && d->serves(slot, wanted.path, wanted.view);
            });
            if (!done && now - wanted.since > limit) {
                // Nothing came in time, whether a read hangs or no worker was free.
                d->failLate(wanted.path, wanted.view);
                done = true;
            }
            if (done) {
                ready = wanted.path;
                d->wanted.reset();
            }
        }
        watching = d->wanted || std::any_of(d->entries.begin(), d->entries.end(),
                                            [](const auto &s) { return !s.result && !s.dropped; });
    }
    if (watching) {
        watch();
    } else if (mWatch->isActive()) {
        mWatch->stop();
        // Nothing decodes now: what the decodes freed goes back to the system, not on the
        // way of a slide someone waits for.
#ifdef __GLIBC__
        malloc_trim(0);
#endif
    }
    if (!ready.isNull())
        emit slideReady(ready);
}

void SlideCache::watch()
{
    if (mWatch->isActive())
        return;
    // Often enough to keep close to the deadline, rarely enough to cost nothing.
    mWatch->start(std::clamp(Workers::deadline() / 10, std::chrono::milliseconds(5),
                             std::chrono::milliseconds(250)));
}

bool SlideCache::State::serves(const Slot &slot, const QString &path,
                               const Fitting::View &view) const
{
    if (slot.dropped || slot.path != path)
        return false;
    if (slot.view == view)
        return true;
    // A failure is only known to hold for the view it was met in.
    if (!slot.natural || (slot.result && !slot.result->ok()))
        return false;
    // Views that differ only where the fitting does not look (the element's size at
    // natural size, say) decode the same pixels.
    return Fitting::decodeTarget(slot.view, *slot.natural) ==
           Fitting::decodeTarget(view, *slot.natural);
}

int SlideCache::State::rankOf(const Slot &slot) const
{
    for (int rank = 0; rank < int(plan.size()); ++rank) {
        if (serves(slot, plan[rank], planView))
            return rank;
    }
    return kUnplanned;
}

bool SlideCache::State::covered(int rank) const
{
    return std::any_of(entries.begin(), entries.end(),
                       [&](const Slot &slot) { return serves(slot, plan[rank], planView); });
}

bool SlideCache::State::stalled(const QString &path) const
{
    return std::any_of(entries.begin(), entries.end(),
                       [&](const Slot &slot) { return slot.abandoned && slot.path == path; });
}

qint64 SlideCache::State::expectedBytes() const
{
    // Until its size is read, a slide is taken to fill the screen: a JPEG decoded for it
    // never takes more (a part at natural size may take a pixel more each way).
    return frameBytes(planView, 1);
}

std::optional<int> SlideCache::State::nextJob() const
{
    if (stop)
        return std::nullopt;
    // The slide on screen first, whatever the budget: it is shown in any case.
    if (!plan.empty() && !covered(0) && !stalled(plan[0]) && wanted && wanted->path == plan[0])
        return 0;
    if (budget <= 0 || decodingWanted())
        return std::nullopt;
    for (int rank = 1; rank < int(plan.size()); ++rank) {
        if (covered(rank) || stalled(plan[rank]) ||
            std::find(unfit.begin(), unfit.end(), plan[rank]) != unfit.end())
            continue;
        // Kept pictures further away give way; nearer ones and decodes under way do not.
        qint64 staying = 0;
        for (const Slot &slot : entries) {
            if (!slot.result || rankOf(slot) < rank)
                staying += slot.bytes;
        }
        if (staying + neededBytes(rank) <= budget)
            return rank;
        return std::nullopt; // what is further away fits even less
    }
    return std::nullopt;
}

bool SlideCache::State::decodingWanted() const
{
    return wanted && std::any_of(entries.begin(), entries.end(), [&](const Slot &slot) {
               return !slot.result && !slot.dropped && serves(slot, wanted->path, wanted->view);
           });
}

qint64 SlideCache::State::neededBytes(int rank) const
{
    const auto known = natural.constFind(plan[rank]);
    return known == natural.cend() ? expectedBytes()
                                   : workingBytes(planView, known->natural, known->buffers);
}

qint64 SlideCache::State::totalBytes() const
{
    qint64 total = 0;
    for (const Slot &slot : entries)
        total += slot.bytes;
    return total;
}

SlideCache::State::Slots::iterator SlideCache::State::startJob(int rank)
{
    const qint64 needed = neededBytes(rank);
    makeRoom(needed, rank);
    Slot &slot = entries.emplace_back();
    slot.path = plan[rank];
    slot.view = planView;
    slot.bytes = needed;
    slot.started = Clock::now();
    return std::prev(entries.end());
}

bool SlideCache::State::admit(Slots::iterator slot, std::unique_lock<std::mutex> &lock)
{
    for (;;) {
        if (stop || slot->dropped || slot->yield)
            return false;
        const int rank = rankOf(*slot);
        if (rank == kUnplanned)
            return false;
        // On screen now: it is decoded whatever the budget says.
        if (rank == 0)
            return true;
        makeRoom(0, rank);
        if (totalBytes() <= budget)
            return true;
        // Decodes under way give their working memory back when they end.
        bool running = false;
        auto furthestWaiting = entries.end();
        int furthestRank = rank;
        for (auto other = entries.begin(); other != entries.end(); ++other) {
            if (other == slot || other->result || other->dropped)
                continue;
            if (!other->waiting) {
                running = true;
            } else if (const int otherRank = rankOf(*other); otherRank > furthestRank) {
                furthestWaiting = other;
                furthestRank = otherRank;
            }
        }
        if (!running) {
            if (furthestWaiting == entries.end()) {
                // Nothing is going to make room: this one is too large for the plan now.
                if (std::none_of(entries.begin(), entries.end(), [&](const Slot &other) {
                        return &other != &*slot && !other.result && !other.dropped;
                    }))
                    unfit.push_back(slot->path);
                return false;
            }
            // Every decode waits for another: the furthest makes way.
            furthestWaiting->yield = true;
            wake.notify_all();
        }
        slot->waiting = true;
        wake.wait(lock);
        slot->waiting = false;
        // The time it waited for room is not the decode's.
        slot->started = Clock::now();
    }
}

void SlideCache::State::finishJob(Slots::iterator slot, const FileStamp &stamp,
                                  Result<Picture> result)
{
    slot->stamp = stamp;
    if (result) {
        slot->natural = result->natural;
        slot->bytes = result->heldBytes();
    } else {
        slot->bytes = 0;
    }
    slot->result = std::move(result);
    slot->used = clock;
    // The slide started early counts as the one on screen until the show asks for it.
    const int rank = !early.isEmpty() && slot->path == early ? 0 : rankOf(*slot);
    // The show moved on while it decoded: asked for by no step any more.
    if (slot->dropped || rank == kUnplanned) {
        entries.erase(slot);
        return;
    }
    // Larger than expected (a BMP or GIF is decoded whole) and more than the room left
    // by what is nearer: not kept, and not asked for again until the show moves.
    qint64 nearer = 0;
    for (const Slot &other : entries) {
        if (&other != &*slot && (!other.result || rankOf(other) <= rank))
            nearer += other.bytes;
    }
    if (rank > 0 && nearer + slot->bytes > budget) {
        unfit.push_back(slot->path);
        entries.erase(slot);
        return;
    }
    makeRoom(0, rank);
}

void SlideCache::State::makeRoom(qint64 room, int nearerThan)
{
    for (;;) {
        qint64 total = room;
        for (const Slot &slot : entries)
            total += slot.bytes;
        if (total <= budget)
            return;
        // The furthest kept picture; among those out of the plan, the one used longest ago.
        auto furthest = entries.end();
        int furthestRank = nearerThan;
        for (auto slot = entries.begin(); slot != entries.end(); ++slot) {
            if (!slot->result)
                continue;
            const int rank = rankOf(*slot);
            if (rank > furthestRank || (rank == furthestRank && furthest != entries.end() &&
                                        slot->used < furthest->used)) {
                furthest = slot;
                furthestRank = rank;
            }
        }
        if (furthest == entries.end())
            return; // only nearer ones left: the budget is smaller than the plan's head
        entries.erase(furthest);
    }
}

void SlideCache::State::stopUnplanned()
{
    for (Slot &slot : entries) {
        if (!slot.result && !slot.dropped && rankOf(slot) == kUnplanned) {
            slot.dropped = true;
            slot.bytes = 0;
            slot.cancel->store(true);
        }
    }
}

void SlideCache::State::makeWayForTheSlideShown()
{
    if (idle > 0 || plan.empty() || covered(0))
        return;
    auto furthest = entries.end();
    int furthestRank = 0;
    for (auto slot = entries.begin(); slot != entries.end(); ++slot) {
        if (slot->result || slot->dropped)
            continue;
        if (const int rank = rankOf(*slot); rank > furthestRank) {
            furthest = slot;
            furthestRank = rank;
        }
    }
    if (furthest == entries.end())
        return;
    // Decoded again later if it is still wanted.
    furthest->dropped = true;
    furthest->bytes = 0;
    furthest->cancel->store(true);
}

void SlideCache::State::abandon(Slots::iterator slot)
{
    slot->dropped = true;
    slot->abandoned = true;
    slot->bytes = 0;
    slot->cancel->store(true);
    --active;
    // A failure kept for the slide, so that showing it later does not wait again.
    failLate(slot->path, slot->view);
    if (threads < kMaxThreads)
        spawn();
}

void SlideCache::State::failLate(const QString &path, const Fitting::View &view)
{
    for (auto slot = entries.begin(); slot != entries.end(); ++slot) {
        if (!slot->result && !slot->dropped && slot->path == path) {
            abandon(slot);
            return; // abandon() came back here for the failure
        }
    }
    if (std::any_of(entries.begin(), entries.end(), [&](const Slot &slot) {
            return slot.result && slot.once && serves(slot, path, view);
        }))
        return;
    Slot &failed = entries.emplace_back();
    failed.path = path;
    failed.view = view;
    failed.anyStamp = true;
    failed.once = true;
    failed.result = Result<Picture>(Error::FileAccess);
    failed.used = clock;
}

void SlideCache::State::spawn()
{
    ++threads;
    ++active;
    Workers::start([state = shared_from_this()] { run(state); });
}

void SlideCache::State::post()
{
    if (!owner || posted)
        return;
    posted = true;
    QMetaObject::invokeMethod(owner, &SlideCache::check, Qt::QueuedConnection);
}

void SlideCache::State::run(const std::shared_ptr<State> &state)
{
    State &s = *state;
    std::unique_lock lock(s.mutex);
    for (;;) {
        std::optional<int> rank;
        ++s.idle;
        s.wake.wait(lock, [&] { return s.stop || (rank = s.nextJob()); });
        --s.idle;
        if (s.stop) {
            --s.active;
            --s.threads;
            return;
        }
        const Slots::iterator slot = s.startJob(*rank);
        const QString path = slot->path;
        const Fitting::View view = slot->view;
        const std::shared_ptr<std::atomic<bool>> cancel = slot->cancel;
        const bool waitedFor = s.wanted && s.serves(*slot, s.wanted->path, s.wanted->view);
        lock.unlock();

        const FileStamp stamp = FileStamp::of(path);
        PictureLoader::Control control;
        control.cancel = cancel.get();
        control.threads = waitedFor ? 2 : 1;
        qint64 buffers = 0;
        control.buffers = [&buffers](qint64 bytes) { buffers = bytes; };
        Result<Picture> loaded = PictureLoader::load(
            path, PictureLoader::kShowLimits,
            [&](QSize natural) {
                std::unique_lock guard(s.mutex);
                slot->natural = natural;
                slot->buffers = buffers;
                slot->bytes = workingBytes(view, natural, buffers);
                s.natural.insert(path, {natural, buffers});
                if (!slot->abandoned && s.admit(slot, guard))
                    return Fitting::decodeTarget(view, natural);
                // Not to be decoded after all: stopped before the decoder starts.
                slot->dropped = true;
                slot->bytes = 0;
                cancel->store(true);
                s.wake.notify_all();
                return DecodeTarget{QSize(1, 1), {}};
            },
            control);

        lock.lock();
        if (slot->abandoned || s.stop) {
            // Replaced by another worker long ago, or the cache is gone: this one ends.
            if (!slot->abandoned)
                --s.active;
            s.entries.erase(slot);
            --s.threads;
            s.wake.notify_all();
            return;
        }
        if (s.wanted && s.wanted->path == path)
            s.post();
        if (cancel->load())
            slot->dropped = true; // what it decoded is not the picture
        s.finishJob(slot, stamp, std::move(loaded));
        s.wake.notify_all(); // room may have come free
    }
}
