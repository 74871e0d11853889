// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestSandbox.h"

#include "common/WriteGuard.h"
#include "config/SettingsStore.h"
#include "network/NetworkModule.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

QString &sandboxPath()
{
    static QString value;
    return value;
}

QString &realHomePath()
{
    static QString value;
    return value;
}

#ifdef Q_OS_WIN
/** The registry keys of the stores this run made. */
QStringList &storesMade()
{
    static QStringList value;
    return value;
}
#endif

void pointInto(const char *variable, const QString &folder)
{
    QDir().mkpath(folder);
    qputenv(variable, QFile::encodeName(QDir::toNativeSeparators(folder)));
}

} // namespace

TestSandbox::TestSandbox()
{
    realHomePath() = QDir::homePath();
    mDir =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/vivrel-test-XXXXXX"));
    if (!mDir->isValid())
        qFatal("Cannot make the test sandbox: %s", qPrintable(mDir->errorString()));
    const QString root = mDir->path();
    sandboxPath() = root;

    pointInto("HOME", root + QStringLiteral("/home"));
    pointInto("XDG_CONFIG_HOME", root + QStringLiteral("/config"));
    pointInto("XDG_DATA_HOME", root + QStringLiteral("/data"));
    pointInto("XDG_CACHE_HOME", root + QStringLiteral("/cache"));
    pointInto("XDG_STATE_HOME", root + QStringLiteral("/state"));
#ifndef Q_OS_WIN
    // Qt takes a runtime folder only when it is private to the user.
    pointInto("XDG_RUNTIME_DIR", root + QStringLiteral("/runtime"));
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
#endif
    // Every QTemporaryDir of the tests lands here too, even where TMPDIR pointed into
    // the real home.
    pointInto("TMPDIR", root + QStringLiteral("/tmp"));
#ifdef Q_OS_WIN
    pointInto("TMP", root + QStringLiteral("/tmp"));
    pointInto("TEMP", root + QStringLiteral("/tmp"));
#endif
    // No test reaches the desktop session's bus: one that needs a bus starts its own.
    qputenv("DBUS_SESSION_BUS_ADDRESS",
            QFile::encodeName(QStringLiteral("unix:path=") + root + QStringLiteral("/no-bus")));
    // Others may pass through, not look: a test that walks a tree as an unprivileged
    // user (as it must when the tests run as root) still reaches its folders.
    const QFile::Permissions passThrough =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QFile::setPermissions(root, passThrough);
    QFile::setPermissions(root + QStringLiteral("/tmp"), passThrough);
    // Files a test or the program writes by a relative name stay in the sandbox too.
    QDir::setCurrent(root);
    // Explicit as well: QSettings may have read its folders before the variables moved.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       root + QStringLiteral("/config"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       root + QStringLiteral("/config"));
    useSettingsStore(root + QStringLiteral("/config"));

#if defined(VIVREL_NETWORK_MODULE_BUILD_DIR) && !defined(Q_OS_WIN)
    // The tests are not built beside the program, so they are told where its network
    // module is. (A Windows build puts every program and the module in one folder.)
    NetworkModule::searchIn({QStringLiteral(VIVREL_NETWORK_MODULE_BUILD_DIR)});
#endif

    // With no home of its own (HOME unset or "/") there is nothing to forbid: the
    // whole file system would be.
    if (!QDir(realHomePath()).isRoot())
        WriteGuard::forbid(realHomePath(), root);
}

TestSandbox::~TestSandbox()
{
    // Leave the folder before it is removed. The guard stays armed to the very end.
    QDir::setCurrent(QDir::rootPath());
#ifdef Q_OS_WIN
    for (const QString &name : storesMade()) {
        const std::wstring key = (QStringLiteral("Software\\Tremallo\\") + name).toStdWString();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    }
#endif
}

QString TestSandbox::path()
{
    return sandboxPath();
}

QString TestSandbox::realHome()
{
    return realHomePath();
}

void TestSandbox::useSettingsStore(const QString &folder)
{
#ifdef Q_OS_WIN
    Q_UNUSED(folder);
    // Tests run side by side, and a run that crashed leaves its keys: the process and a
    // count make the name unique.
    const QString name = QStringLiteral("Vivrel-test-%1-%2")
                             .arg(::GetCurrentProcessId())
                             .arg(storesMade().size() + 1);
    storesMade().append(name);
    SettingsStore::setStoreName(name);
#else
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
#endif
}

void TestSandbox::useOffscreenScreens(const char *json)
{
    const QString file = path() + QStringLiteral("/screens.json");
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(json) != qint64(qstrlen(json)))
        qFatal("Cannot write the monitors' list %s", qPrintable(file));
    out.close();
#ifdef Q_OS_WIN
    // Qt splits the platform's options at every colon, a drive letter's too: the name
    // relative to the current folder, which is the sandbox.
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=screens.json");
#else
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(file));
#endif
}
