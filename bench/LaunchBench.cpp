// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LaunchBench.h"
#include "BenchTools.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using BenchTools::median;

namespace LaunchBench {

namespace {

/**
 * Seconds from starting `program` to its line "first-paint" on standard error; the
 * program is ended then. -1 when the line does not come within 20 seconds.
 */
double firstPaintSeconds(const QString &program, const QStringList &arguments,
                         const QProcessEnvironment &environment)
{
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setStandardOutputFile(QProcess::nullDevice());
    child.setReadChannel(QProcess::StandardError);
    QByteArray said;
    double seconds = -1;
    QElapsedTimer clock;
    clock.start();
    child.start(program, arguments);
    while (clock.elapsed() < 20000) {
        if (!child.waitForReadyRead(100) && child.state() == QProcess::NotRunning)
            break;
        said += child.readAllStandardError();
        if (said.contains("first-paint\n")) {
            seconds = double(clock.nsecsElapsed()) / 1e9;
            break;
        }
    }
    child.kill();
    child.waitForFinished();
    if (seconds < 0)
        std::fprintf(stderr, "%s gave no first paint:\n%s\n", qPrintable(program),
                     said.constData());
    return seconds;
}

/**
 * Vivrel as a user who has run it before starts it: a home of its own whose store names
 * the photos' folder and the full-screen show, and points the advert at a closed port.
 */
QProcessEnvironment programEnvironment(const QString &home, const QString &folder)
{
    QDir().mkpath(home + QStringLiteral("/.config/Tremallo"));
    QFile store(home + QStringLiteral("/.config/Tremallo/Vivrel.conf"));
    if (store.open(QIODevice::WriteOnly))
        store.write("[Advert]\nBaseUrl=http://127.0.0.1:9/\n[Settings]\nmInterval=3\n"
                    "mFullScreen=1\nmPath=" +
                    QFile::encodeName(folder) + "\n");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    environment.insert(QStringLiteral("XDG_STATE_HOME"), home + QStringLiteral("/.local/state"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    environment.insert(QStringLiteral("VIVREL_REPORT_FIRST_PAINT"), QStringLiteral("1"));
    return environment;
}

/**
 * `vivrel_bench memory small` (or `small-idle`, half a second into the show's interval) in
 * a process of its own: resident bytes, -1 on failure.
 */
long long smallShowResident(const QStringList &photos, QSize screen, bool idle)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                QStringList{QStringLiteral("memory"),
                            idle ? QStringLiteral("small-idle") : QStringLiteral("small"),
                            QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height())} +
                    photos);
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        return -1;
    const QByteArray out = child.readAllStandardOutput().trimmed();
    return out.startsWith("bytes=") ? out.mid(6).toLongLong() : -1;
}

/** The floor program's resident bytes with `photo` on screen; -1 when it could not run. */
long long floorResident(const QString &photo)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VIVREL_REPORT_RESIDENT"), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.setStandardOutputFile(QProcess::nullDevice());
    child.start(QStringLiteral(VIVREL_LAUNCH_FLOOR), {photo});
    if (!child.waitForFinished(20000))
        return -1;
    const QByteArray said = child.readAllStandardError();
    const qsizetype at = said.indexOf("resident=");
    return at < 0 ? -1 : said.mid(at + 9).trimmed().toLongLong();
}

} // namespace

void benchSmallPhotos(const QStringList &photos, QSize screen, int rounds,
                      const SlideBench::Report &report)
{
    const QString photo = photos.first();
    {
        QTemporaryDir home;
        const QProcessEnvironment program =
            programEnvironment(home.path(), QFileInfo(photo).absolutePath());
        QProcessEnvironment floor = QProcessEnvironment::systemEnvironment();
        // One unmeasured start of each: the files they read are in the page cache then,
        // and the program's private folder is made.
        firstPaintSeconds(QStringLiteral(VIVREL_PROGRAM), {photo}, program);
        firstPaintSeconds(QStringLiteral(VIVREL_LAUNCH_FLOOR), {photo}, floor);
        std::vector<double> ours;
        std::vector<double> least;
        for (int r = 0; r < rounds; ++r) {
            ours.push_back(firstPaintSeconds(QStringLiteral(VIVREL_PROGRAM), {photo}, program));
            least.push_back(firstPaintSeconds(QStringLiteral(VIVREL_LAUNCH_FLOOR), {photo}, floor));
        }
        const bool failed = std::count(ours.begin(), ours.end(), -1.0) +
                                std::count(least.begin(), least.end(), -1.0) >
                            0;
        std::printf("%-14s exec to the first picture painted %.4f s, floor program %.4f s\n",
                    "launch-first-picture", median(ours), median(least));
        report({QStringLiteral("launch-first-picture"), failed ? 1e9 : median(ours) / median(least),
                1.25});
    }
    {
        const long long resident = smallShowResident(photos, screen, false);
        const long long idle = smallShowResident(photos, screen, true);
        const QSize fitted = QImageReader(photo).size().scaled(screen, Qt::KeepAspectRatio);
        const double kept = 5.0 * fitted.width() * fitted.height() * 4;
        std::printf("%-14s %.1f MB resident after ten steps, %.1f MB half a second later; five "
                    "%dx%d frames kept: %.1f MB\n",
                    "memory-small", resident / 1e6, idle / 1e6, fitted.width(), fitted.height(),
                    kept / 1e6);
        // Not a goal, a yardstick: the floor program with its one picture on screen, and
        // what it would hold with the four other frames a show keeps.
        const long long floor = floorResident(photo);
        std::printf("%-14s floor program with one picture on screen %.1f MB; with four more "
                    "frames %.1f MB (%.2f of the five frames)\n",
                    "memory-small", floor / 1e6, (floor + 0.8 * kept) / 1e6,
                    (floor + 0.8 * kept) / kept);
        report({QStringLiteral("memory-small"), resident < 0 ? 1e9 : resident / kept, 1.6});
    }
}

} // namespace LaunchBench
