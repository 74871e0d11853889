// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Workers.h"

#include <atomic>
#include <thread>

namespace Workers {

namespace {
std::atomic<int> gRunning = 0;
// Long enough for the largest picture the limits let through on a slow machine.
std::atomic<std::chrono::milliseconds::rep> gDeadline = 5000;
} // namespace

void start(std::function<void()> work)
{
    ++gRunning;
    std::thread([work = std::move(work)] {
        work();
        --gRunning;
    }).detach();
}

int running()
{
    return gRunning.load();
}

std::chrono::milliseconds deadline()
{
    return std::chrono::milliseconds(gDeadline.load());
}

void setDeadline(std::chrono::milliseconds deadline)
{
    gDeadline.store(deadline.count());
}

} // namespace Workers
