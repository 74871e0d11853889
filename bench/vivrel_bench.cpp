// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Benchmarks of the costs that matter on big collections and big photos. Each goal
// runs Vivrel's path and a reference side by side, interleaved over several rounds,
// and prints the medians and their ratio.

#include "BenchTools.h"
#include "BenchTree.h"
#include "LaunchBench.h"
#include "SlideBench.h"

#include "catalogue/DirScanner.h"
#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "common/PictureLoader.h"
#include "engine/SlideCache.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <vector>

namespace {

using BenchTools::median;
using BenchTools::residentBytes;
using BenchTools::seconds;

struct ScanOutput
{
    std::vector<QString> folders;
    std::vector<QStringList> names;
    qsizetype count = 0;
};

ScanOutput vivrelScan(const QString &root, double *maxGapMs = nullptr)
{
    ScanOutput out;
    DirScanner scanner(fileTypeCodeForIndex(0),
                       [&](const QString &folder, const QStringList &names) {
                           out.folders.push_back(folder);
                           out.names.push_back(names);
                           out.count += names.size();
                       });
    if (maxGapMs) {
        // The window lets events run from the progress callback; the longest time
        // between two callbacks is the longest the window goes without repainting.
        QElapsedTimer gap;
        gap.start();
        *maxGapMs = 0;
        scanner.setProgress([&](qsizetype) {
            *maxGapMs = std::max(*maxGapMs, double(gap.nsecsElapsed()) / 1e6);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            gap.restart();
        });
    }
    static_cast<void>(scanner.scan(root)); // an unreadable tree times as nothing
    return out;
}

struct Ratio
{
    QString name;
    double value;
    double limit;
};

std::vector<Ratio> ratios;

void report(const char *goal, const char *ours, double a, const char *ref, double b, double limit)
{
    std::printf("%-14s %s %.4f s, %s %.4f s\n", goal, ours, a, ref, b);
    ratios.push_back({QString::fromLatin1(goal), b > 0 ? a / b : 0.0, limit});
}

void benchScan(const QString &root, int rounds)
{
    std::vector<double> ours;
    std::vector<double> bare;
    std::vector<double> fill;
    qsizetype pictures = 0;
    for (int r = 0; r < rounds; ++r) {
        bare.push_back(seconds([&] { BenchTree::bareWalk(root); }));
        ScanOutput out;
        ours.push_back(seconds([&] { out = vivrelScan(root); }));
        pictures = out.count;
        FileList list;
        FileListView view(&list);
        fill.push_back(seconds([&] {
            list.beginBatch();
            for (size_t i = 0; i < out.folders.size(); ++i)
                list.appendFolder(out.folders[i], out.names[i]);
            list.endBatch();
            view.selectAllItems();
        }));
    }
    std::printf("scan: %lld pictures listed\n", static_cast<long long>(pictures));
    report("scan", "vivrel", median(ours), "bare-readdir", median(bare), 1.5);
    report("list", "fill+select", median(fill), "scan", median(ours), 0.5);

    double gap = 0;
    vivrelScan(root, &gap);
    std::printf("%-14s longest gap between event-loop turns %.1f ms\n", "responsive", gap);
    ratios.push_back({QStringLiteral("responsive"), gap / 100.0, 1.0});

    const long long idle = residentBytes();
    {
        ScanOutput out = vivrelScan(root);
        FileList list;
        for (size_t i = 0; i < out.folders.size(); ++i)
            list.appendFolder(out.folders[i], out.names[i]);
        out = ScanOutput();
        const long long used = residentBytes() - idle;
        std::printf("%-14s %.1f MB for %lld listed pictures\n", "memory-list", used / 1e6,
                    static_cast<long long>(list.count()));
        ratios.push_back({QStringLiteral("memory-list"), used / 40e6, 1.0});
    }
}

int scanCommand(const QString &dir)
{
    std::vector<double> times;
    qsizetype count = 0;
    for (int r = 0; r < 5; ++r)
        times.push_back(seconds([&] { count = vivrelScan(dir).count; }));
    std::printf("files=%lld seconds=%.6f\n", static_cast<long long>(count), median(times));
    return 0;
}

int slideCommand(const QString &file, const QString &size)
{
    const QStringList sides = size.split(u'x');
    const QSize screen(sides.value(0).toInt(), sides.value(1).toInt());
    if (screen.isEmpty()) {
        std::fprintf(stderr, "usage: vivrel_bench slide FILE WxH\n");
        return 2;
    }
    std::printf("seconds=%.6f\n", SlideBench::coldSlideSeconds(file, screen, 7));
    return 0;
}

int memoryCommand(const QString &what, const QString &size, const QStringList &photos)
{
    const QStringList sides = size.split(u'x');
    const QSize screen(sides.value(0).toInt(), sides.value(1).toInt());
    if (screen.isEmpty() || photos.isEmpty() ||
        (what != QLatin1String("show") && what != QLatin1String("held") &&
         what != QLatin1String("small") && what != QLatin1String("small-idle"))) {
        std::fprintf(stderr,
                     "usage: vivrel_bench memory show|held|small|small-idle WxH PHOTO...\n");
        return 2;
    }
    const long long bytes = what == QLatin1String("show") ? SlideBench::showMemory(photos, screen)
                            : what == QLatin1String("held")
                                ? SlideBench::heldMemory(photos, screen)
                                : SlideBench::residentAfterSteps(
                                      photos, screen, 10, what == QLatin1String("small") ? 0 : 500);
    std::printf("bytes=%lld\n", bytes);
    return 0;
}

/**
 * The goals of 24-megapixel photos (slides, steps, memory, the hostile pause), on the
 * photos `given`, or on twenty made for the run.
 */
void benchLargePhotos(QStringList photos)
{
    QTemporaryDir photoDir;
    if (photos.isEmpty()) {
        std::printf("making twenty 6000x4000 photos...\n");
        std::fflush(stdout);
        photos = SlideBench::makePhotos(photoDir.path(), QSize(6000, 4000), 20);
    }
    const auto add = [](const SlideBench::Ratio &r) {
        ratios.push_back({r.name, r.value, r.limit});
    };
    SlideBench::benchSlides(photos, QSize(1920, 1080), 7, add);
    SlideBench::benchHostile(photos, QSize(1920, 1080), add);
}

/** The goals of small photos: the launch to the first picture and a show's memory. */
void benchSmall()
{
    std::printf("making twelve 1600x1200 photos...\n");
    std::fflush(stdout);
    QTemporaryDir dir;
    const QStringList photos = SlideBench::makePhotos(dir.path(), QSize(1600, 1200), 12);
    LaunchBench::benchSmallPhotos(photos, QSize(1920, 1080), 5, [](const SlideBench::Ratio &r) {
        ratios.push_back({r.name, r.value, r.limit});
    });
}

/** One line per goal; whether every one is within its limit, as the exit status. */
int printRatios()
{
    bool allWithin = true;
    for (const Ratio &r : ratios) {
        std::printf("RATIO %s %.3f %.2f\n", qPrintable(r.name), r.value, r.limit);
        allWithin = allWithin && r.value <= r.limit;
    }
    return allWithin ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    SlideCache::shareOneMallocArena(); // as the program's start-up does, before any thread
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // The main window reads and writes settings and its private folder: a home of its own
    // keeps the user's out of reach (the test mode of QStandardPaths does not move the
    // settings store).
    QTemporaryDir home;
    for (const char *variable :
         {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
        qputenv(variable, QFile::encodeName(home.path()));
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("VivrelBench"));
    PictureLoader::setDecoderCeiling(); // as the program's start-up does
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("scan"))
        return scanCommand(args[2]);
    if (args.size() >= 4 && args[1] == QLatin1String("slide"))
        return slideCommand(args[2], args[3]);
    if (args.size() >= 5 && args[1] == QLatin1String("memory"))
        return memoryCommand(args[2], args[3], args.mid(4));

    if (args.size() >= 2 && args[1] == QLatin1String("small")) {
        benchSmall();
        return printRatios();
    }
    if (args.size() >= 3 && args[1] == QLatin1String("photos")) {
        SlideBench::makePhotos(args[2], QSize(6000, 4000), 20);
        return 0;
    }
    if (args.size() >= 2 && args[1] == QLatin1String("slides")) {
        benchLargePhotos(args.mid(2));
        return printRatios();
    }

    QTemporaryDir dir;
    const int files = args.size() >= 2 ? args[1].toInt() : 200000;
    std::printf("making a tree of %d files in 2000 folders...\n", files);
    std::fflush(stdout);
    BenchTree::makeTree(dir.path(), 2000, files > 0 ? files : 200000);
    benchScan(dir.path(), 7);

    const auto add = [](const SlideBench::Ratio &r) {
        ratios.push_back({r.name, r.value, r.limit});
    };
    SlideBench::benchRandom(200000, 5, add);

    benchLargePhotos({});
    benchSmall();
    return printRatios();
}
