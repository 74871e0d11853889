// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

/** The slide goals: random stepping, cold and warm slides, steps, memory in a show. */
namespace SlideBench {

struct Ratio
{
    QString name;
    double value;
    double limit;
};
using Report = std::function<void(const Ratio &)>;

/** A random pass over `items` selected items against a sequential pass. */
void benchRandom(int items, int rounds, const Report &report);

/** Writes `count` photo-like JPEGs of `size` into `dir`; returns their paths. */
QStringList makePhotos(const QString &dir, QSize size, int count);

/**
 * Cold and warm slides over the first three `photos`, steps back and a held Right over all
 * of them, and the memory of a show, in a viewer of `screen`.
 */
void benchSlides(const QStringList &photos, QSize screen, int rounds, const Report &report);

/**
 * The longest time the event loop does not turn while a show steps across the hostile
 * pictures (a JPEG of thousands of scans, progressive headers of gigabytes) and a file
 * whose read hangs, between `photos`, against 100 ms.
 */
void benchHostile(const QStringList &photos, QSize screen, const Report &report);

/** Most resident bytes above idle in a show of `photos`, stretched and at natural size. */
long long showMemory(const QStringList &photos, QSize screen);

/** Most resident bytes above idle while Right is held through `photos`, stretched. */
long long heldMemory(const QStringList &photos, QSize screen);

/**
 * Resident bytes of the whole process, as they stand (nothing handed back on purpose),
 * after `steps` forward steps of a show of `photos`, stretched with the shape kept, each
 * step drawn and the decoding ahead it started finished.
 */
long long residentAfterSteps(const QStringList &photos, QSize screen, int steps, int idleMs = 0);

/** Seconds for the cold path of one slide (median), stretched with its shape kept. */
double coldSlideSeconds(const QString &photo, QSize screen, int rounds);

} // namespace SlideBench
