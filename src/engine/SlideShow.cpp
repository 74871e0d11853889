// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/SlideShow.h"

#include "common/IntervalTimer.h"
#include "engine/SlideCache.h"

#include <QStringList>

#include <vector>

SlideShow::SlideShow(Items items, std::function<Stepping::Options()> options, QObject *parent)
    : QObject(parent), mItems(std::move(items)), mOptions(std::move(options))
{
    setObjectName(QStringLiteral("slideShow"));
    mTimer = new IntervalTimer(this);
    mTimer->setObjectName(QStringLiteral("Timer1"));
    connect(mTimer, &IntervalTimer::timeout, this, &SlideShow::Timer1_Timer);
    connect(mTimer, &IntervalTimer::enabledChanged, this, &SlideShow::runningChanged);
    // A show that started by itself may have had its first slide decoding already.
    mSlides = SlideCache::takeEarly();
    if (mSlides)
        mSlides->setParent(this);
    else
        mSlides = new SlideCache(this);
    mSlides->setObjectName(QStringLiteral("slideCache"));
    connect(mSlides, &SlideCache::slideReady, this, [this](const QString &path) {
        // Only the slide still on show; one the show stepped past since is not wanted.
        if (path == mCurrent)
            emit currentReady();
    });
}

bool SlideShow::isRunning() const
{
    return mTimer->isEnabled();
}

Stepping::List SlideShow::list() const
{
    return {mItems.count(), mItems.isSelected};
}

void SlideShow::setCurrent(const QString &path, Step step)
{
    mCurrent = path;
    emit currentChanged(path, step);
}

void SlideShow::setGoing(bool going)
{
    if (going == mGoing)
        return;
    mGoing = going;
    emit goingChanged(going);
}

void SlideShow::restart()
{
    mFileNum = 0;
    if (!mPickHistory)
        mPickHistory.emplace();
    mPickHistory->reset();
}

void SlideShow::run(qint64 intervalMs)
{
    // Zero, negative or no number never ticks; a period beyond the timer's range is
    // clamped by the timer.
    mTimer->setInterval(intervalMs);
    Timer1_Timer();
    mTimer->setEnabled(true);
    setGoing(true);
}

void SlideShow::pause()
{
    setGoing(false);
    mTimer->setEnabled(false);
}

void SlideShow::setRunning(bool running)
{
    mTimer->setEnabled(running);
}

void SlideShow::Timer1_Timer()
{
    const Stepping::List items = list();
    const Stepping::Options options = mOptions();
    if (!mPickHistory) {
        if (options.random && mFileNum >= 0 && mFileNum < items.count) {
            // No start has made the history yet: the draw is made, then there is nowhere
            // to record it, and the step ends showing nothing.
            static_cast<void>(mRandom.nextIndex(items.count));
            return;
        }
        // A sequential step needs none; wrapping round makes it.
        if (mFileNum >= items.count && options.repeat)
            mPickHistory.emplace();
    }
    PickHistory none;
    const Stepping::Forward step =
        Stepping::forward(mFileNum, items, options, mPickHistory ? *mPickHistory : none, mRandom);
    switch (step.outcome) {
    case Stepping::Outcome::Show:
        // The position already points past this slide, so a tick that runs while the
        // picture loads moves on instead of showing it twice.
        setCurrent(mItems.path(step.index), Step::Forward);
        return;
    case Stepping::Outcome::Ended:
        mTimer->setEnabled(false);
        // The show is over: the slides around it would only hold memory.
        mSlides->clear();
        emit ended();
        return;
    case Stepping::Outcome::Wrapped:
    case Stepping::Outcome::Nothing:
        break;
    }
    emit aheadChanged();
}

void SlideShow::DoPrevious()
{
    mTimer->setEnabled(false);
    const qint64 index = Stepping::back(mFileNum, list());
    if (index >= 0)
        setCurrent(mItems.path(index), Step::Back);
}

std::optional<Result<Picture>> SlideShow::take(const Fitting::View &view)
{
    std::optional<Result<Picture>> ready = mSlides->take(mCurrent, view);
    if (ready && !*ready)
        emit slideFailed(mCurrent, ready->error());
    return ready;
}

void SlideShow::planSlides(const Fitting::View &view)
{
    // Two presses of Right and two of Left from here, worked out on copies so that the
    // real position and random sequence stay as they are. Left walks the list downward
    // from the position, not back through the random draws.
    const Stepping::List items = list();
    // Right after a step back the next step forward shows the same slide again, and
    // right after a step forward so does the next step back: look one further then.
    const auto others = [&](std::vector<qint64> indices) {
        std::erase_if(indices, [&](qint64 i) { return mItems.path(i) == mCurrent; });
        return indices;
    };
    // Before the first start a random step shows nothing: nothing lies ahead.
    const Stepping::Options options = mOptions();
    const std::vector<qint64> ahead =
        options.random && !mPickHistory
            ? std::vector<qint64>()
            : others(Stepping::peekForward(mFileNum, items, options,
                                           mPickHistory.value_or(PickHistory()), mRandom, 3));
    const std::vector<qint64> behind = others(Stepping::peekBack(mFileNum, items, 3));
    // Nearest first: one step either way before the second one.
    QStringList around;
    for (std::size_t i = 0; i < 2; ++i) {
        if (i < ahead.size())
            around << mItems.path(ahead[i]);
        if (i < behind.size())
            around << mItems.path(behind[i]);
    }
    mSlides->setBudget(SlideCache::budgetFor(view));
    mSlides->plan(view, mCurrent, around);
}

void SlideShow::clearSlides()
{
    mSlides->clear();
}
