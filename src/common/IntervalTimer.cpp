#include "common/IntervalTimer.h"

#include <algorithm>

IntervalTimer::IntervalTimer(QObject *parent) : QObject(parent)
{
    mTimer.setTimerType(Qt::PreciseTimer);
    connect(&mTimer, &QTimer::timeout, this, &IntervalTimer::timeout);
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
    if (!mEnabled || mInterval <= 0) {
        mTimer.stop();
        return;
    }
    // Setting the period restarts the count, as a fresh enable does.
    mTimer.start(static_cast<int>(std::min(mInterval, maxPeriod)));
}
