// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>

/**
 * Threads that read and decode pictures for the window. Nobody ever joins them: one that
 * hangs in a read of a disk that stopped answering, or in a decode that takes too long, is
 * abandoned and the window goes on; the process ends whatever they are doing. Whatever
 * such a thread touches must therefore be owned by the thread itself or shared with it.
 */
namespace Workers {

/** Runs `work` on a thread of its own, counted while it runs. */
void start(std::function<void()> work);

/** Threads started by start() that have not ended yet. */
int running();

/**
 * How long the window waits for a picture it shows before it counts as one that cannot
 * be loaded. The same for every caller; tests shorten it.
 */
std::chrono::milliseconds deadline();
void setDeadline(std::chrono::milliseconds deadline);

} // namespace Workers
