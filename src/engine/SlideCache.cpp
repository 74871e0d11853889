#include "engine/SlideCache.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <mutex>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr int kUnplanned = INT_MAX;
// Two cores here: one decode each while the window thread places and paints.
constexpr int kWorkers = 2;
constexpr int kBudgetFrames = 5;

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
 * The most a JPEG of `natural` size takes while it is decoded for `view`. A picture scaled
 * down is first decoded by libjpeg at a power-of-two fraction of its size no smaller than
 * the target, which is what holds the memory until it is scaled the rest of the way.
 */
qint64 workingBytes(const Fitting::View &view, QSize natural)
{
    const DecodeTarget target = Fitting::decodeTarget(view, natural);
    if (!target.scaled.isValid() || target.scaled.isEmpty())
        return pixelBytes(target.clip.isEmpty() ? natural : target.clip.size());
    QSize first = natural;
    for (int denominator : {2, 4, 8}) {
        const QSize smaller((natural.width() + denominator - 1) / denominator,
                            (natural.height() + denominator - 1) / denominator);
        if (smaller.width() < target.scaled.width() || smaller.height() < target.scaled.height())
            break;
        first = smaller;
    }
    return std::max(pixelBytes(first), pixelBytes(target.scaled));
}

} // namespace

void SlideCache::shareOneMallocArena()
{
#ifdef __GLIBC__
    // glibc gives each thread that allocates an arena of its own, and a worker's arena
    // keeps the pages of the large buffers it freed resident: two workers kept tens of
    // megabytes beyond what the cache holds. One arena for the process lets freed pictures
    // go back together; its lock is taken a few times per decode.
    mallopt(M_ARENA_MAX, 1);
    // A decoded picture is megabytes: from one mebibyte up, a block gets a mapping of its
    // own that goes back to the system the moment it is freed. Left to itself, glibc
    // raises this threshold after the first such free, and the freed frames then stay in
    // the heap, resident, long after the slides are gone.
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
#endif
}

SlideCache::SlideCache(QObject *parent) : QObject(parent)
{
    for (int i = 0; i < kWorkers; ++i)
        mWorkers.emplace_back([this] { run(); });
}

SlideCache::~SlideCache()
{
    {
        std::lock_guard lock(mMutex);
        mStop = true;
        mPlan.clear();
    }
    mWake.notify_all();
    for (std::thread &worker : mWorkers)
        worker.join();
}

qint64 SlideCache::budgetFor(const Fitting::View &view)
{
    return kBudgetFrames * frameBytes(view);
}

void SlideCache::setBudget(qint64 bytes)
{
    {
        std::lock_guard lock(mMutex);
        if (bytes > mBudget)
            mUnfit.clear(); // there may be room for them now
        mBudget = bytes;
        makeRoom(0, 0);
    }
    mWake.notify_all();
}

void SlideCache::plan(const Fitting::View &view, const QString &shown, const QStringList &around)
{
    {
        std::lock_guard lock(mMutex);
        mPlanView = view;
        mPlan.clear();
        mUnfit.clear(); // the room there is may have changed
        mPlan.push_back(shown);
        for (const QString &path : around) {
            if (!path.isEmpty() && std::find(mPlan.begin(), mPlan.end(), path) == mPlan.end())
                mPlan.push_back(path);
        }
        mNatural.removeIf([this](const auto &known) {
            return std::find(mPlan.begin(), mPlan.end(), known.key()) == mPlan.end();
        });
        // What no step asks for goes now rather than when the budget is full, except the
        // slide on screen as other views decoded it, for when the view changes back.
        std::erase_if(mSlots, [&](const Slot &slot) {
            return slot.result && slot.path != shown && rankOf(slot) == kUnplanned;
        });
    }
    mWake.notify_all();
}

Result<Picture> SlideCache::take(const QString &path, const Fitting::View &view)
{
    // Stamped before reading, so a change made while it decodes shows as a change.
    const FileStamp now = FileStamp::of(path);
    std::unique_lock lock(mMutex);
    ++mClock;
    // It is on screen from now on, whatever the last plan said.
    mPlanView = view;
    std::erase(mPlan, path);
    mPlan.insert(mPlan.begin(), path);

    for (;;) {
        const auto kept = std::find_if(mSlots.begin(), mSlots.end(), [&](const Slot &slot) {
            return slot.result && serves(slot, path, view);
        });
        if (kept != mSlots.end()) {
            if (kept->stamp == now) {
                kept->used = mClock;
                return *kept->result;
            }
            mSlots.erase(kept); // the file changed since
            continue;
        }
        // Being decoded: wait until it is done, or until its size tells that it is being
        // decoded for another view.
        const auto coming = std::find_if(mSlots.begin(), mSlots.end(), [&](const Slot &slot) {
            return !slot.result && !slot.dropped && slot.path == path &&
                   (slot.view == view || !slot.natural || serves(slot, path, view));
        });
        if (coming == mSlots.end())
            break;
        mWake.notify_all(); // a decode waiting for room goes ahead now that it is on screen
        mDone.wait(lock);
    }

    ++mColdLoads;
    lock.unlock();
    Result<Picture> loaded =
        PictureLoader::load(path, PictureLoader::kShowLimits,
                            [view](QSize natural) { return Fitting::decodeTarget(view, natural); });
    lock.lock();
    Slot &slot = mSlots.emplace_back();
    slot.path = path;
    slot.view = view;
    slot.stamp = now;
    slot.used = mClock;
    if (loaded) {
        slot.natural = loaded->natural;
        slot.bytes = loaded->image.sizeInBytes();
        mNatural.insert(path, loaded->natural);
    }
    slot.result = loaded;
    makeRoom(0, 0);
    lock.unlock();
    mWake.notify_all();
    return loaded;
}

void SlideCache::clear()
{
    std::lock_guard lock(mMutex);
    mPlan.clear();
    mNatural.clear();
    for (auto slot = mSlots.begin(); slot != mSlots.end();) {
        if (slot->result) {
            slot = mSlots.erase(slot);
        } else {
            slot->dropped = true; // its worker drops it when the decode ends
            ++slot;
        }
    }
    mWake.notify_all(); // a decode waiting for room gives up
}

bool SlideCache::isBusy() const
{
    std::lock_guard lock(mMutex);
    return nextJob() ||
           std::any_of(mSlots.begin(), mSlots.end(), [](const Slot &slot) { return !slot.result; });
}

bool SlideCache::holds(const QString &path) const
{
    std::lock_guard lock(mMutex);
    return std::any_of(mSlots.begin(), mSlots.end(), [&](const Slot &slot) {
        return slot.result && slot.result->ok() && slot.path == path;
    });
}

qint64 SlideCache::heldBytes() const
{
    std::lock_guard lock(mMutex);
    qint64 bytes = 0;
    for (const Slot &slot : mSlots)
        bytes += slot.result ? slot.bytes : 0;
    return bytes;
}

int SlideCache::coldLoads() const
{
    std::lock_guard lock(mMutex);
    return mColdLoads;
}

bool SlideCache::serves(const Slot &slot, const QString &path, const Fitting::View &view) const
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

int SlideCache::rankOf(const Slot &slot) const
{
    for (int rank = 0; rank < int(mPlan.size()); ++rank) {
        if (serves(slot, mPlan[rank], mPlanView))
            return rank;
    }
    return kUnplanned;
}

bool SlideCache::covered(int rank) const
{
    return std::any_of(mSlots.begin(), mSlots.end(),
                       [&](const Slot &slot) { return serves(slot, mPlan[rank], mPlanView); });
}

qint64 SlideCache::expectedBytes() const
{
    // Until its size is read, a slide is taken to fill the screen: a JPEG decoded for it
    // never takes more (a part at natural size may take a pixel more each way).
    return frameBytes(mPlanView, 1);
}

std::optional<int> SlideCache::nextJob() const
{
    if (mBudget <= 0)
        return std::nullopt;
    // The slide on screen is the caller's to load: the workers only decode ahead.
    for (int rank = 1; rank < int(mPlan.size()); ++rank) {
        if (covered(rank) || std::find(mUnfit.begin(), mUnfit.end(), mPlan[rank]) != mUnfit.end())
            continue;
        // Kept pictures further away give way; nearer ones and decodes under way do not.
        qint64 staying = 0;
        for (const Slot &slot : mSlots) {
            if (!slot.result || rankOf(slot) < rank)
                staying += slot.bytes;
        }
        if (staying + neededBytes(rank) <= mBudget)
            return rank;
        return std::nullopt; // what is further away fits even less
    }
    return std::nullopt;
}

qint64 SlideCache::neededBytes(int rank) const
{
    const auto known = mNatural.constFind(mPlan[rank]);
    return known == mNatural.cend() ? expectedBytes() : workingBytes(mPlanView, *known);
}

qint64 SlideCache::totalBytes() const
{
    qint64 total = 0;
    for (const Slot &slot : mSlots)
        total += slot.bytes;
    return total;
}

SlideCache::Slots::iterator SlideCache::startJob(int rank)
{
    const qint64 needed = neededBytes(rank);
    makeRoom(needed, rank);
    Slot &slot = mSlots.emplace_back();
    slot.path = mPlan[rank];
    slot.view = mPlanView;
    slot.bytes = needed;
    return std::prev(mSlots.end());
}

bool SlideCache::admit(Slots::iterator slot, std::unique_lock<std::mutex> &lock)
{
    for (;;) {
        if (mStop || slot->dropped || slot->yield)
            return false;
        const int rank = rankOf(*slot);
        if (rank == kUnplanned)
            return false;
        // On screen now (take() waits for it): the window thread would decode it anyway.
        if (rank == 0)
            return true;
        makeRoom(0, rank);
        if (totalBytes() <= mBudget)
            return true;
        // Decodes under way give their working memory back when they end.
        bool running = false;
        auto furthestWaiting = mSlots.end();
        int furthestRank = rank;
        for (auto other = mSlots.begin(); other != mSlots.end(); ++other) {
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
            if (furthestWaiting == mSlots.end()) {
                // Nothing is going to make room: this one is too large for the plan now.
                if (std::none_of(mSlots.begin(), mSlots.end(), [&](const Slot &other) {
                        return &other != &*slot && !other.result && !other.dropped;
                    }))
                    mUnfit.push_back(slot->path);
                return false;
            }
            // Every decode waits for another: the furthest makes way.
            furthestWaiting->yield = true;
            mWake.notify_all();
        }
        slot->waiting = true;
        mWake.wait(lock);
        slot->waiting = false;
    }
}

void SlideCache::finishJob(Slots::iterator slot, const FileStamp &stamp, Result<Picture> result)
{
    slot->stamp = stamp;
    if (result) {
        slot->natural = result->natural;
        slot->bytes = result->image.sizeInBytes();
    } else {
        slot->bytes = 0;
    }
    slot->result = std::move(result);
    slot->used = mClock;
    const int rank = rankOf(*slot);
    // The show moved on while it decoded: asked for by no step any more.
    if (slot->dropped || rank == kUnplanned) {
        mSlots.erase(slot);
        return;
    }
    // Larger than expected (a BMP or GIF is decoded whole) and more than the room left
    // by what is nearer: not kept, and not asked for again until the show moves.
    qint64 nearer = 0;
    for (const Slot &other : mSlots) {
        if (&other != &*slot && (!other.result || rankOf(other) <= rank))
            nearer += other.bytes;
    }
    if (rank > 0 && nearer + slot->bytes > mBudget) {
        mUnfit.push_back(slot->path);
        mSlots.erase(slot);
        return;
    }
    makeRoom(0, rank);
}

void SlideCache::makeRoom(qint64 room, int nearerThan)
{
    for (;;) {
        qint64 total = room;
        for (const Slot &slot : mSlots)
            total += slot.bytes;
        if (total <= mBudget)
            return;
        // The furthest kept picture; among those out of the plan, the one used longest ago.
        auto furthest = mSlots.end();
        int furthestRank = nearerThan;
        for (auto slot = mSlots.begin(); slot != mSlots.end(); ++slot) {
            if (!slot->result)
                continue;
            const int rank = rankOf(*slot);
            if (rank > furthestRank ||
                (rank == furthestRank && furthest != mSlots.end() && slot->used < furthest->used)) {
                furthest = slot;
                furthestRank = rank;
            }
        }
        if (furthest == mSlots.end())
            return; // only nearer ones left: the budget is smaller than the plan's head
        mSlots.erase(furthest);
    }
}

void SlideCache::run()
{
    std::unique_lock lock(mMutex);
    for (;;) {
        std::optional<int> rank;
        mWake.wait(lock, [&] { return mStop || (rank = nextJob()); });
        if (mStop)
            return;
        const Slots::iterator slot = startJob(*rank);
        const QString path = slot->path;
        const Fitting::View view = slot->view;
        lock.unlock();

        const FileStamp stamp = FileStamp::of(path);
        Result<Picture> loaded =
            PictureLoader::load(path, PictureLoader::kShowLimits, [&](QSize natural) {
                std::unique_lock guard(mMutex);
                slot->natural = natural;
                slot->bytes = workingBytes(view, natural);
                mNatural.insert(path, natural);
                mDone.notify_all(); // take() learns which view it is decoded for
                if (admit(slot, guard))
                    return Fitting::decodeTarget(view, natural);
                // The loader cannot be stopped once it has read the size: it is asked for
                // a speck instead (libjpeg's smallest scale), which is then thrown away.
                slot->dropped = true;
                slot->bytes = 0;
                mWake.notify_all();
                return DecodeTarget{QSize(1, 1), {}};
            });

        lock.lock();
        finishJob(slot, stamp, std::move(loaded));
        mDone.notify_all();
        mWake.notify_all(); // room may have come free
    }
}
