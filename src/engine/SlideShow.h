// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "common/Error.h"
#include "common/Fitting.h"
#include "common/Picture.h"
#include "common/Result.h"
#include "engine/PickHistory.h"
#include "engine/Stepping.h"
#include "engine/UniformRandom.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class IntervalTimer;
class SlideCache;

/**
 * What the show is, apart from any window: the items it steps over, where it stands
 * among them, its random draws and their history, the interval timer that moves it on,
 * the slide it is on, whether it is going, and the slides decoded around it.
 *
 * Windows show that state and ask for changes; they never keep it. What happens is
 * told by signals: a new slide (currentChanged), the timer started or stopped
 * (runningChanged), the show started or paused (goingChanged), a slide that does not
 * load (slideFailed), the end of a show that does not repeat (ended).
 */
class SlideShow : public QObject
{
    Q_OBJECT
public:
    /** The items a show steps over: how many are listed, which are selected, their paths. */
    struct Items
    {
        std::function<qint64()> count;
        std::function<bool(qint64)> isSelected;
        std::function<QString(qint64)> path;
    };
    /** Which way the show came to a slide. */
    enum class Step { Forward, Back };

    /** `options` are read at each step: Random and Repeat as they are then. */
    SlideShow(Items items, std::function<Stepping::Options()> options, QObject *parent);

    /** The timer whose ticks step forward; named "Timer1". */
    IntervalTimer &timer() const { return *mTimer; }
    /** The slides decoded around the position. */
    SlideCache &slides() const { return *mSlides; }
    /** Where the next forward step starts looking (in random order, the draws made). */
    qint64 position() const { return mFileNum; }
    /** The slide the show is on: empty before the first. */
    const QString &current() const { return mCurrent; }
    /** Whether the timer ticks the show on. */
    bool isRunning() const;
    /** Started or resumed, and not paused since; what the resume button offers follows it. */
    bool isGoing() const { return mGoing; }

    /** A new show: back to the first item, and a fresh pass of random draws. */
    void restart();
    /**
     * Runs the show: one step at once, then one each `intervalMs` (zero or less: none).
     * The show is going from then on.
     */
    void run(qint64 intervalMs);
    /** Stops the timer and the show is no longer going. */
    void pause();
    /** Starts or stops the timer alone (the viewer's Pause, a click in the list). */
    void setRunning(bool running);

    /** One step forward: the next selected item becomes the slide (a tick, or "Next"). */
    void Timer1_Timer();
    /** Stops the timer and makes the selected item before the position the slide. */
    void DoPrevious();

    /**
     * The current slide as `view` shows it, once decoded; nothing yet while it decodes
     * (currentReady() follows). A slide that does not load is reported by slideFailed().
     */
    std::optional<Result<Picture>> take(const Fitting::View &view);
    /**
     * Tells the slide cache what is on screen and what the next two steps either way
     * would show, to be decoded as `view` shows them.
     */
    void planSlides(const Fitting::View &view);
    /** Forgets the decoded slides (the list changed, or the pane shows the show). */
    void clearSlides();

signals:
    void currentChanged(const QString &path, SlideShow::Step step);
    void runningChanged(bool running);
    void goingChanged(bool going);
    /** The current slide, which take() did not have, is decoded (or failed) now. */
    void currentReady();
    void slideFailed(const QString &path, Error error);
    /** The show reached its last slide and does not repeat: the timer has stopped. */
    void ended();
    /**
     * A step moved the position but showed nothing new (a pass that wrapped round, or
     * nothing selected): what the next steps show has changed.
     */
    void aheadChanged();

private:
    Stepping::List list() const;
    void setCurrent(const QString &path, Step step);
    void setGoing(bool going);

    Items mItems;
    std::function<Stepping::Options()> mOptions;
    IntervalTimer *mTimer = nullptr;
    SlideCache *mSlides = nullptr;
    qint64 mFileNum = 0;
    QString mCurrent;
    bool mGoing = false;
    /**
     * The random draws of the current pass. Missing until the first start, or the first
     * wrap-around, of the run: a random step before then draws and shows nothing.
     */
    std::optional<PickHistory> mPickHistory;
    UniformRandom mRandom;
};
