// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SlideBench.h"

#include "BenchTools.h"

#include "hostile/BadPictures.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "chrome/frmVivrel.h"
#include "common/Files.h"
#include "common/IntervalTimer.h"
#include "engine/PickHistory.h"
#include "engine/SlideCache.h"
#include "engine/Stepping.h"
#include "engine/UniformRandom.h"
#include "viewer/frmPreview.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QColor>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <malloc.h>
#include <unistd.h>

#include <jpeglib.h>

namespace SlideBench {

namespace {

/**
 * One step of the show as its timer's tick makes it, on the spot and whether the show runs
 * or not: the benchmarks time the step itself, not the timer's period.
 */
void tick(const frmVivrel &w)
{
    emit w.findChild<IntervalTimer *>(QStringLiteral("Timer1"))->timeout();
}

using BenchTools::median;
using BenchTools::residentBytes;
using BenchTools::seconds;

/** libjpeg-turbo's own full decode of `path` into `buffer`, which is reused. */
void libjpegDecode(const QByteArray &path, std::vector<unsigned char> &buffer)
{
    FILE *f = std::fopen(path.constData(), "rb");
    if (!f)
        return;
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, f);
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    const size_t stride = size_t(info.output_width) * size_t(info.output_components);
    if (buffer.size() < stride * info.output_height)
        buffer.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = buffer.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(f);
}

/** A main window whose list holds `photos`, all selected, showing in a viewer of `screen`. */
struct ShowRig
{
    ShowRig(const QStringList &photos, QSize screen)
    {
        const QString folder = QFileInfo(photos.first()).absolutePath() + u'/';
        QStringList names;
        for (const QString &p : photos)
            names << QFileInfo(p).fileName();
        list()->fileList()->appendFolder(folder, names);
        list()->selectAllItems();
        option("chkFullScreen")->setValue(1);
        frmPreview &v = w.viewer();
        // Offscreen there is no real screen: the viewer gets the asked-for size.
        v.setGeometry(0, 0, screen.width(), screen.height());
        v.show();
        // Paints only reach a window the platform has exposed.
        for (int i = 0; i < 1000 && !(v.windowHandle() && v.windowHandle()->isExposed()); ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::processEvents();
        v.repaint();
    }

    FileListView *list() { return w.findChild<FileListView *>(QStringLiteral("File1")); }

    /** One of the main window's option boxes, by name. */
    TriCheckBox *option(const char *name)
    {
        return w.findChild<TriCheckBox *>(QLatin1String(name));
    }

    void setFit(bool stretch)
    {
        frmPreview &v = w.viewer();
        v.setStretchChecked(stretch);
        v.setRetainShapeChecked(stretch);
        v.setRetainShapeEnabled(stretch);
        if (stretch)
            v.DoStretch();
    }

    /** Waits until nothing is being decoded ahead. */
    void settle()
    {
        while (w.slideCache().isBusy()) {
            QCoreApplication::processEvents(); // a slide asked for is handed over here
            QThread::msleep(1);
        }
    }

    /**
     * Makes item `index` the slide of the next forward step (in order), with nothing
     * decoded ahead, and without loading a picture on the way: with nothing selected the
     * pass runs out (which forgets what was decoded ahead) and a new one starts, and the
     * items before `index` are left out of it.
     */
    void landOn(int index)
    {
        const qsizetype n = list()->fileList()->count();
        for (qsizetype i = 0; i < n; ++i)
            list()->setSelected(i, false);
        option("chkRepeat")->setValue(0);
        while (w.showPosition() < n)
            tick(w); // runs out
        tick(w);     // the pass is over: the show stops
        option("chkRepeat")->setValue(1);
        tick(w); // a new pass
        option("chkRepeat")->setValue(0);
        for (qsizetype i = 0; i < n; ++i)
            list()->setSelected(i, i >= index);
        settle();
    }

    /** Until the slide asked for is placed: the workers tell the window thread. */
    void untilPlaced()
    {
        while (w.slidePending())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    /** One forward step, until it is drawn. */
    void step()
    {
        tick(w);
        untilPlaced();
        w.viewer().repaint();
    }

    /** A key pressed in the viewer, as a user presses it, until the slide it brings is drawn. */
    void press(Qt::Key key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(&w.viewer(), &event);
        untilPlaced();
        w.viewer().repaint();
    }

    frmVivrel w;
};

/**
 * Right pressed every 250 ms, `presses` times, each timed from the press to the slide
 * drawn; the workers decode ahead in between, as in a real show. With `most`, the most
 * resident memory seen after each press and before the next.
 */
std::vector<double> holdRight(ShowRig &rig, int presses, long long *most = nullptr)
{
    std::vector<double> times;
    for (int i = 0; i < presses; ++i) {
        QElapsedTimer period;
        period.start();
        times.push_back(seconds([&] { rig.press(Qt::Key_Right); }));
        if (most)
            *most = std::max(*most, residentBytes());
        while (period.elapsed() < 250) {
            QCoreApplication::processEvents();
            QThread::msleep(1);
        }
        if (most)
            *most = std::max(*most, residentBytes());
    }
    return times;
}

/**
 * Bytes above idle that `vivrel_bench memory <what>` measures in a process of its own, so
 * that nothing the earlier goals left in the allocator's free lists is counted as idle
 * and then reused; -1 when it could not run.
 */
long long memoryInOwnProcess(const char *what, const QStringList &photos, QSize screen)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                QStringList{QStringLiteral("memory"), QLatin1String(what),
                            QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height())} +
                    photos);
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        return -1;
    const QByteArray out = child.readAllStandardOutput().trimmed();
    return out.startsWith("bytes=") ? out.mid(6).toLongLong() : -1;
}

} // namespace

long long showMemory(const QStringList &photos, QSize screen)
{
    const int n = int(photos.size());
    ShowRig idleRig(photos, screen);
    idleRig.settle();
    const long long idle = residentBytes();
    long long most = idle;
    for (int r = 0; r < 2 * n + 2; ++r) {
        idleRig.setFit(r % 4 < 2);
        if (idleRig.w.showPosition() >= n)
            idleRig.landOn(0); // the first slide again after the last
        idleRig.step();
        most = std::max(most, residentBytes());
        idleRig.settle();
        most = std::max(most, residentBytes());
    }
    return most - idle;
}

long long residentAfterSteps(const QStringList &photos, QSize screen, int steps, int idleMs)
{
    ShowRig rig(photos, screen);
    rig.setFit(true);
    rig.landOn(0);
    for (int i = 0; i < steps; ++i) {
        rig.step();
        rig.settle();
        QCoreApplication::processEvents();
    }
    // Part of the show's interval, as a show spends most of its time.
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < idleMs) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    return BenchTools::residentBytesAsIs();
}

long long heldMemory(const QStringList &photos, QSize screen)
{
    ShowRig rig(photos, screen);
    rig.setFit(true);
    rig.landOn(0); // nothing shown yet
    const long long idle = residentBytes();
    long long most = idle;
    rig.step();
    holdRight(rig, int(photos.size()) - 1, &most);
    rig.settle();
    return most - idle;
}

void benchRandom(int items, int rounds, const Report &report)
{
    FileList list;
    FileListView view(&list);
    QStringList names;
    for (int i = 0; i < 100; ++i)
        names << QStringLiteral("IMG_%1.jpg").arg(i);
    list.beginBatch();
    for (int f = 0; f < items / 100; ++f)
        list.appendFolder(QStringLiteral("/photos/f%1/").arg(f), names);
    list.endBatch();
    view.selectAllItems();
    // The show reads the selection from the list view, step by step.
    const Stepping::List showList{list.count(), [&view](qint64 i) { return view.isSelected(i); }};

    const auto pass = [&](bool random) {
        qint64 position = 0;
        PickHistory history;
        UniformRandom generator;
        qint64 shown = 0;
        for (;;) {
            const Stepping::Forward step =
                Stepping::forward(position, showList, {.random = random}, history, generator);
            if (step.outcome == Stepping::Outcome::Ended)
                break;
            shown += step.outcome == Stepping::Outcome::Show;
        }
        return shown;
    };
    std::vector<double> ordered;
    std::vector<double> shuffled;
    for (int r = 0; r < rounds; ++r) {
        ordered.push_back(seconds([&] { pass(false); }));
        shuffled.push_back(seconds([&] { pass(true); }));
    }
    std::printf("%-14s random pass %.4f s, sequential pass %.4f s (%lld items)\n", "random",
                median(shuffled), median(ordered), static_cast<long long>(list.count()));
    report({QStringLiteral("random"), median(shuffled) / median(ordered), 3.0});
}

QStringList makePhotos(const QString &dir, QSize size, int count)
{
    QStringList paths;
    for (int n = 0; n < count; ++n) {
        QImage image(size, QImage::Format_RGB32);
        // Gradients, shapes and grain, so the decoder has a photo's amount of detail.
        quint32 seed = 0x9e3779b9u * quint32(n + 1);
        for (int y = 0; y < size.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < size.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                const int grain = int(seed >> 27) - 16;
                const int r = (x * 255 / size.width() + grain + n * 40) & 255;
                const int g = (y * 255 / size.height() + grain) & 255;
                const int b = ((x ^ y) >> 4 & 127) + 64 + grain;
                line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
            }
        }
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 60; ++i) {
            seed = seed * 1664525u + 1013904223u;
            painter.setBrush(QColor::fromHsv(int(seed % 360), 160, 200, 120));
            painter.drawEllipse(QPoint(int(seed % quint32(size.width())),
                                       int((seed >> 8) % quint32(size.height()))),
                                200 + int(seed % 700), 150 + int((seed >> 4) % 600));
        }
        painter.end();
        const QString path = QStringLiteral("%1/photo%2.jpg").arg(dir).arg(n);
        image.save(path, "JPEG", 90);
        paths << path;
    }
    return paths;
}

double coldSlideSeconds(const QString &photo, QSize screen, int rounds)
{
    // Two names for the same file, so every step lands on a new slide.
    QTemporaryDir dir;
    const QString target = QFileInfo(photo).absoluteFilePath();
    const QString a = dir.path() + QStringLiteral("/a.jpg");
    const QString b = dir.path() + QStringLiteral("/b.jpg");
    QFile::link(target, a);
    QFile::link(target, b);
    ShowRig rig({a, b}, screen);
    rig.setFit(true);
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        rig.landOn(r % 2);
        times.push_back(seconds([&] { rig.step(); }));
    }
    rig.settle();
    return median(times);
}

void benchSlides(const QStringList &allPhotos, QSize screen, int rounds, const Report &report)
{
    const QStringList photos = allPhotos.mid(0, 3);
    const int n = int(photos.size());
    {
        ShowRig rig(photos, screen);
        const QByteArray first = QFile::encodeName(photos.first());
        std::vector<unsigned char> buffer;
        libjpegDecode(first, buffer); // warm the file cache and the buffer

        struct Mode
        {
            const char *name;
            bool stretch;
            double coldLimit;
        };
        // A fitted slide is decoded scaled, so it is held well under a full decode.
        const Mode modes[] = {{"fit", true, 0.75}, {"natural", false, 1.15}};
        for (const Mode &mode : modes) {
            rig.setFit(mode.stretch);
            rig.option("chkRandom")->setValue(0);
            std::vector<double> reference;
            std::vector<double> cold;
            std::vector<double> warm;
            for (int r = 0; r < rounds; ++r) {
                reference.push_back(seconds([&] { libjpegDecode(first, buffer); }));
                // Cold: nothing decoded ahead.
                rig.landOn(r % (n - 1));
                cold.push_back(seconds([&] { rig.step(); }));
                // Warm: the step just taken asked for the next slide; let it get ready, as
                // it does during a slide's interval, then step to it.
                rig.settle();
                warm.push_back(seconds([&] { rig.step(); }));
            }
            const double ref = median(reference);
            std::printf("%-14s %s: cold %.4f s, warm %.4f s, libjpeg full decode %.4f s\n", "slide",
                        mode.name, median(cold), median(warm), ref);
            report({QStringLiteral("slide-cold-%1").arg(QLatin1String(mode.name)),
                    median(cold) / ref, mode.coldLimit});
            report({QStringLiteral("slide-warm-%1").arg(QLatin1String(mode.name)),
                    median(warm) / median(cold), 0.1});
        }

        // Warm in random order: the next draw is worked out ahead without disturbing it.
        {
            rig.setFit(true);
            rig.landOn(0);
            rig.option("chkRandom")->setValue(1);
            rig.option("chkRepeat")->setValue(1);
            std::vector<double> warm;
            while (int(warm.size()) < rounds) {
                rig.settle();
                const qint64 before = rig.w.showPosition();
                const double t = seconds([&] { rig.step(); });
                if (rig.w.showPosition() > before) // a wrap shows nothing: not a slide
                    warm.push_back(t);
            }
            std::printf("%-14s random order: warm %.4f s\n", "slide", median(warm));
            rig.option("chkRandom")->setValue(0);
            rig.option("chkRepeat")->setValue(0);
            rig.settle();
        }
    }

    // Left right after Right: the first Left shows the slide on screen again (the position
    // is already past it), the second the one before it; the worse of the two counts.
    {
        ShowRig rig(allPhotos, screen);
        rig.setFit(true);
        const int all = int(allPhotos.size());
        std::vector<double> cold;
        std::vector<double> back;
        std::vector<double> backAgain;
        for (int r = 0; r < rounds; ++r) {
            const int at = 1 + r % (all - 2);
            rig.landOn(at);
            cold.push_back(seconds([&] { rig.step(); }));
            rig.list()->selectAllItems(); // Left may go below `at` again
            rig.settle();                 // the show's interval passed
            rig.press(Qt::Key_Right);
            back.push_back(seconds([&] { rig.press(Qt::Key_Left); }));
            backAgain.push_back(seconds([&] { rig.press(Qt::Key_Left); }));
        }
        rig.settle();
        const double worse = std::max(median(back), median(backAgain));
        std::printf("%-14s Left after Right %.4f s, Left again %.4f s, cold slide %.4f s\n",
                    "step-back", median(back), median(backAgain), median(cold));
        report({QStringLiteral("step-back"), worse / median(cold), 0.1});
    }

    // Right held: pressed every 250 ms through all the photos, each timed from the press to
    // the slide drawn, while the workers decode ahead between presses as in a real show.
    {
        ShowRig rig(allPhotos, screen);
        rig.setFit(true);
        rig.landOn(0);
        rig.step();
        const std::vector<double> held = holdRight(rig, int(allPhotos.size()) - 1);
        std::vector<double> cold;
        for (int r = 0; r < rounds; ++r) {
            rig.landOn(r % int(allPhotos.size()));
            cold.push_back(seconds([&] { rig.step(); }));
        }
        rig.settle();
        std::printf("%-14s press to drawn %.4f s (median of %d), slowest %.4f s, cold %.4f s\n",
                    "step-held", median(held), int(held.size()),
                    *std::max_element(held.begin(), held.end()), median(cold));
        report({QStringLiteral("step-held"), median(held) / median(cold), 0.5});
    }

    // Memory: a show of the three photos against the idle window with nothing shown, and
    // Right held through all of them against its own idle window.
    {
        const long long shown = memoryInOwnProcess("show", photos, screen);
        const long long held = memoryInOwnProcess("held", allPhotos, screen);
        const double frame = double(screen.width()) * screen.height() * 4;
        // A run that failed counts as beyond the goal.
        const double used = shown < 0 || held < 0 ? 1e18 : double(std::max(shown, held));
        std::printf("%-14s %.1f MB above idle, %.1f MB with Right held (six screen frames: "
                    "%.1f MB)\n",
                    "memory-show", shown / 1e6, held / 1e6, 6 * frame / 1e6);
        report({QStringLiteral("memory-show"), used / (6 * frame), 1.0});
    }
}

namespace {

std::atomic<bool> gStallOver = false;

/** A disk that stops answering for the file named "stalled.jpg", until the run is over. */
void stallOnName(const QString &path)
{
    if (!path.endsWith(QLatin1String("/stalled.jpg")))
        return;
    while (!gStallOver.load())
        QThread::msleep(5);
}

} // namespace

void benchHostile(const QStringList &photos, QSize screen, const Report &report)
{
    QTemporaryDir dir;
    const auto at = [&dir](const QString &name) { return dir.path() + u'/' + name; };
    // Photos between the bombs, so that every bomb comes after a picture to leave on show.
    QStringList names;
    const auto photo = [&](int i) {
        const QString name = QStringLiteral("photo-%1.jpg").arg(i);
        QFile::copy(photos[i % photos.size()], at(name));
        names << name;
    };
    const auto bomb = [&](const QString &name, const QByteArray &bytes) {
        QFile file(at(name));
        if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
            names << name;
    };
    photo(0);
    bomb(QStringLiteral("scans-6000.jpg"), BadPictures::manyScans(8000, 6000));
    photo(1);
    bomb(QStringLiteral("progressive-19999x20000.jpg"),
         BadPictures::hugeProgressiveHeader(19999, 20000, false));
    photo(2);
    bomb(QStringLiteral("progressive-19999x20000-444.jpg"),
         BadPictures::hugeProgressiveHeader(19999, 20000, true));
    photo(3);
    QFile::copy(photos[0], at(QStringLiteral("stalled.jpg")));
    names << QStringLiteral("stalled.jpg");
    photo(4);
    Files::setStallForTests(stallOnName);

    double longest = 0;
    {
        QStringList paths;
        for (const QString &name : names)
            paths << at(name);
        ShowRig rig(paths, screen);
        rig.setFit(true);
        rig.option("chkRepeat")->setValue(1);
        // The event loop's turns, seen by a timer that asks to run every 5 ms.
        QElapsedTimer sinceTurn;
        QTimer turns;
        turns.setInterval(5);
        QObject::connect(&turns, &QTimer::timeout, [&] {
            longest = std::max(longest, double(sinceTurn.nsecsElapsed()) / 1e9);
            sinceTurn.restart();
        });
        // Two passes across the folder, a step every 250 ms as a quick show would.
        QTimer steps;
        steps.setInterval(250);
        int left = 2 * int(names.size());
        QObject::connect(&steps, &QTimer::timeout, [&] {
            tick(rig.w);
            --left;
        });
        tick(rig.w);
        sinceTurn.start();
        turns.start();
        steps.start();
        while (left > 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    gStallOver = true;
    Files::setStallForTests(nullptr);
    std::printf("hostile-pause: longest %.1f ms between event-loop turns\n", longest * 1000);
    report({QStringLiteral("hostile-pause"), longest / 0.100, 1.0});
}

} // namespace SlideBench
