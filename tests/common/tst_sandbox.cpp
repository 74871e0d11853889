// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Every test executable runs in a sandbox of its own, and the program's writers refuse
// the real home while it is in force.

#include "TestSandbox.h"

#include "common/Module1.h"
#include "common/WriteGuard.h"
#include "config/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

class TestSandboxInForce : public QObject
{
    Q_OBJECT

    static bool inSandbox(const QString &path)
    {
        return !path.isEmpty() &&
               !WriteGuard::isRefused(path, QDir::rootPath(), TestSandbox::path());
    }

private slots:
    void theRunWritesOnlyInItsSandbox()
    {
        QVERIFY(!TestSandbox::path().isEmpty());
        QVERIFY(!TestSandbox::realHome().isEmpty());
        QVERIFY(!inSandbox(TestSandbox::realHome()));
        QCOMPARE(WriteGuard::forbiddenRoot(), QDir::cleanPath(TestSandbox::realHome()));

#ifdef Q_OS_WIN
        // The store is the registry there: a key of the run's own, not the program's.
        QVERIFY(SettingsStore::storeName() != QStringLiteral("Vivrel"));
        QVERIFY2(SettingsStore::open()->fileName().endsWith(u'\\' + SettingsStore::storeName()),
                 qPrintable(SettingsStore::open()->fileName()));
#else
        QVERIFY2(inSandbox(SettingsStore::open()->fileName()),
                 qPrintable(SettingsStore::open()->fileName()));
        QVERIFY(inSandbox(QSettings().fileName()));
#endif
        QVERIFY(inSandbox(QDir::tempPath()));
        QVERIFY(inSandbox(QDir::currentPath()));
#ifndef Q_OS_WIN
        // Windows finds the profile and its known folders from the user's account, not
        // from variables a test can move; the program writes none of them there (its
        // private folder is the temporary folder, its store the registry).
        QVERIFY(inSandbox(QDir::homePath()));
        for (const auto location :
             {QStandardPaths::CacheLocation, QStandardPaths::ConfigLocation,
              QStandardPaths::GenericDataLocation, QStandardPaths::AppDataLocation})
            QVERIFY2(inSandbox(QStandardPaths::writableLocation(location)),
                     qPrintable(QStandardPaths::writableLocation(location)));
#endif
        Module1::initTempPath();
        QVERIFY(inSandbox(QDir::fromNativeSeparators(Module1::mTempPath())));
    }

    void theRealHomeIsRefused()
    {
        const QString home = TestSandbox::realHome();
        const QString sandbox = TestSandbox::path();
        QVERIFY(WriteGuard::refuses(home + QStringLiteral("/.config/Tremallo/Vivrel.conf")));
        QVERIFY(!WriteGuard::refuses(sandbox + QStringLiteral("/config/Tremallo/Vivrel.conf")));
#ifndef Q_OS_WIN // QFile::link makes a shell shortcut there, which paths do not go through
        // A way into the home from inside the sandbox leads there all the same.
        const QString link = sandbox + QStringLiteral("/home-link");
        QVERIFY(QFile::link(home, link));
        QVERIFY(WriteGuard::refuses(link + QStringLiteral("/.config/Tremallo/Vivrel.conf")));
        QFile::remove(link);
#endif
    }

    void decision_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("allowed");
        QTest::addColumn<bool>("refused");
        const QString sandbox = QStringLiteral("/home/dev/tmp/run");
        QTest::newRow("store in the home")
            << "/home/dev/.config/Tremallo/Vivrel.conf" << sandbox << true;
        QTest::newRow("the home itself") << "/home/dev" << sandbox << true;
        QTest::newRow("climbing back in") << "/home/dev/tmp/run/../../.config/x" << sandbox << true;
        QTest::newRow("the sandbox inside the home")
            << "/home/dev/tmp/run/config/x" << sandbox << false;
        QTest::newRow("a sibling named like the sandbox")
            << "/home/dev/tmp/runner/x" << sandbox << true;
        QTest::newRow("a sibling named like the home") << "/home/devel/x" << sandbox << false;
        QTest::newRow("outside the home") << "/tmp/x" << sandbox << false;
        QTest::newRow("no sandbox allowed") << "/home/dev/tmp/run/x" << QString() << true;
    }

    void decision()
    {
        QFETCH(QString, path);
        QFETCH(QString, allowed);
        QFETCH(bool, refused);
        QCOMPARE(WriteGuard::isRefused(path, QStringLiteral("/home/dev"), allowed), refused);
        QVERIFY(!WriteGuard::isRefused(path, QString(), allowed)); // the program: never armed
    }
};

VIVREL_TEST_MAIN(TestSandboxInForce)
#include "tst_sandbox.moc"
