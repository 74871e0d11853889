// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

class IntervalTimer;

/**
 * Keeps the screen from blanking while a show runs. The show's timer is enabled
 * exactly while the show runs, so a hold is taken through seams().keepScreenAwake
 * when the timer is switched on and given back when it is switched off. This is the
 * one place that decides, and it never asks for a second hold while one is held.
 */
class ScreenAwake : public QObject
{
    Q_OBJECT
public:
    /** Follows `timer` from now on, for as long as the timer lives. */
    static void follow(IntervalTimer *timer);
    /** Gives the hold back now whatever the timer does: the program is ending. */
    static void letGo(IntervalTimer *timer);

    /** Gives back a hold still held when the timer goes. */
    ~ScreenAwake() override;

private:
    explicit ScreenAwake(IntervalTimer *timer);
    void setAwake(bool awake);

    bool mHeld = false;
};
