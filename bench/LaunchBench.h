// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "SlideBench.h"

#include <QSize>
#include <QStringList>

/** The goals of small photos: the launch to the first picture, and the memory of a show. */
namespace LaunchBench {

/**
 * Over `photos` (of one size): the program started with the first one, from exec to that
 * picture painted, against the floor program painting the same file (medians of
 * `rounds`, interleaved); and the resident memory after ten steps of a show on `screen`
 * against the five fitted frames the show keeps.
 */
void benchSmallPhotos(const QStringList &photos, QSize screen, int rounds,
                      const SlideBench::Report &report);

} // namespace LaunchBench
