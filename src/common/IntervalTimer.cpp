// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/IntervalTimer.h"

#include <algorithm>

IntervalTimer::IntervalTimer(QObject *parent) : QObject(parent)
{
    mTimer.setTimerType(Qt::PreciseTimer);
    connect(&mTimer, &QTimer::timeout, this, &IntervalTimer::tick);
}

void IntervalTimer::setEnabled(bool enabled)
{
    if (mEnabled == enabled)
        return;
    mEnabled = enabled;
    apply();
    emit enabledChanged(enabled);
}

void IntervalTimer::setInterval(qint64 milliseconds)
{
    mInterval = milliseconds;
    apply();
}

void IntervalTimer::apply()
{
    // A fresh count, or none at all, replaces a tick still owed from a hold.
    mOverdue = false;
    if (!mEnabled || mInterval <= 0) {
        mTimer.stop();
        return;
    }
    // Setting the period restarts the count, as a fresh enable does.
    mTimer.start(static_cast<int>(std::min(mInterval, maxPeriod)));
}

void IntervalTimer::tick()
{
    if (mHolds > 0) {
        mOverdue = true;
        return;
    }
    mOverdue = false; // this tick is the one that was owed
    emit timeout();
}

IntervalTimer::Hold::Hold(IntervalTimer *timer) : mTimer(timer)
{
    ++mTimer->mHolds;
}

IntervalTimer::Hold::~Hold()
{
    mTimer->release();
}

void IntervalTimer::release()
{
    if (--mHolds > 0 || !mOverdue)
        return;
    // Not from here: the holder's own handler finishes first, as it would have had it
    // not let events run at all.
    QMetaObject::invokeMethod(this, &IntervalTimer::runOverdue, Qt::QueuedConnection);
}

void IntervalTimer::runOverdue()
{
    if (!mOverdue || mHolds > 0)
        return;
    // The slide this tick brings gets a whole period, not what was left of one.
    apply();
    emit timeout();
}
