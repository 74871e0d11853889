// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QTimer>

/**
 * The show's timer. Its enabled flag is the show's running state and is kept even
 * when the period cannot tick: a period of 0 or less never fires (it is not a busy
 * loop), and a period beyond what the platform timer takes is clamped.
 */
class IntervalTimer : public QObject
{
    Q_OBJECT
public:
    explicit IntervalTimer(QObject *parent = nullptr);

    bool isEnabled() const { return mEnabled; }
    void setEnabled(bool enabled);

    /** Period in milliseconds, as it was given. */
    qint64 interval() const { return mInterval; }
    void setInterval(qint64 milliseconds);

    /** The largest period that ticks; longer ones are clamped to it. */
    static constexpr qint64 maxPeriod = 0x7fffffff;

    /** Whether the underlying timer is counting (enabled and a usable period). */
    bool isTicking() const { return mTimer.isActive(); }

    /**
     * Keeps ticks back for its lifetime, for work that lets events run but must not
     * be stepped into. The enabled flag stays as it is; a tick that came due meanwhile
     * runs once afterwards, from the event loop, unless the timer was restarted or
     * stopped first. Holds nest.
     */
    class Hold
    {
    public:
        explicit Hold(IntervalTimer *timer);
        ~Hold();
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        IntervalTimer *mTimer;
    };

signals:
    void timeout();
    /** The enabled flag changed, that is, the show started or stopped running. */
    void enabledChanged(bool enabled);

private:
    void apply();
    void tick();
    void release();
    void runOverdue();

    QTimer mTimer;
    bool mEnabled = false;
    qint64 mInterval = 0;
    int mHolds = 0;
    bool mOverdue = false; // a tick fell due while held
};
