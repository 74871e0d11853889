// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <malloc.h>
#include <unistd.h>

/** Measuring helpers shared by the benchmark's goals. */
namespace BenchTools {

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

inline double seconds(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return double(clock.nsecsElapsed()) / 1e9;
}

/** Resident memory of this process in bytes, as it stands. */
inline long long residentBytesAsIs()
{
    long long pages = 0;
    long long resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%lld %lld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

/** Resident memory of this process in bytes, after handing freed memory back. */
inline long long residentBytes()
{
    malloc_trim(0);
    return residentBytesAsIs();
}

} // namespace BenchTools
