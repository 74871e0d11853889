// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

/**
 * The home of one test executable. Made before the application object exists, it is a
 * fresh folder that HOME, the XDG folders, the temporary folder, the settings path and
 * the current folder all point into, so the settings store, the private folder, the
 * trash and every temporary file of the run land there; it is removed at exit. While it
 * is in force the real home is forbidden to the program's writers (WriteGuard), so a
 * writer that slips past the redirection stops the run instead of writing there.
 */
class TestSandbox
{
public:
    TestSandbox();
    ~TestSandbox();
    TestSandbox(const TestSandbox &) = delete;
    TestSandbox &operator=(const TestSandbox &) = delete;

    /** The sandbox folder of this run, without trailing separator; empty before it is made. */
    static QString path();

    /** The home the executable was started with, which the run must never write. */
    static QString realHome();

    /**
     * Has the application start on the offscreen platform with the monitors that `json`
     * lists (its "screens" entries: name, x, y, width, height, logicalDpi, dpr). Call it
     * before the application object exists: the platform reads them only then.
     */
    static void useOffscreenScreens(const char *json);

    /**
     * Gives the settings store a fresh, empty place: the folder `folder` (made by the
     * caller) on Linux and macOS; on Windows, where the store is the registry, a key of
     * its own under the organisation's, removed at the end of the run.
     */
    static void useSettingsStore(const QString &folder);

private:
    std::unique_ptr<QTemporaryDir> mDir;
};

/**
 * main() of every test executable, in place of QTEST_MAIN: the sandbox first, then
 * the application object and the tests. The test build refuses a tst_*.cpp without it.
 */
#define VIVREL_TEST_MAIN_WITH(TestObject, Application, ...)                                        \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        /* Before the sandbox changes the current folder, which __FILE__ may be relative to. */    \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        const TestSandbox sandbox;                                                                 \
        __VA_ARGS__                                                                                \
        Application app(argc, argv);                                                               \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

/** For tests that show widgets. */
#define VIVREL_TEST_MAIN(TestObject) VIVREL_TEST_MAIN_WITH(TestObject, QApplication)

/** For tests that show widgets on monitors of their own, listed by `screensJson`. */
#define VIVREL_TEST_MAIN_ON_SCREENS(TestObject, screensJson)                                       \
    VIVREL_TEST_MAIN_WITH(TestObject, QApplication, TestSandbox::useOffscreenScreens(screensJson);)

/** For tests without a display. */
#define VIVREL_TEST_GUILESS_MAIN(TestObject) VIVREL_TEST_MAIN_WITH(TestObject, QCoreApplication)
