// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/ScreenAwake.h"

#include "common/IntervalTimer.h"
#include "common/Seams.h"

ScreenAwake::ScreenAwake(IntervalTimer *timer) : QObject(timer)
{
    connect(timer, &IntervalTimer::enabledChanged, this, &ScreenAwake::setAwake);
    setAwake(timer->isEnabled());
}

ScreenAwake::~ScreenAwake()
{
    setAwake(false);
}

void ScreenAwake::follow(IntervalTimer *timer)
{
    new ScreenAwake(timer);
}

void ScreenAwake::letGo(IntervalTimer *timer)
{
    if (auto *awake = timer->findChild<ScreenAwake *>(QString(), Qt::FindDirectChildrenOnly))
        awake->setAwake(false);
}

void ScreenAwake::setAwake(bool awake)
{
    if (awake == mHeld)
        return;
    mHeld = awake;
    if (seams().keepScreenAwake)
        seams().keepScreenAwake(awake);
}
