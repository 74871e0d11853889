// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The network module is loaded by the first fetch or on-line check, and not before;
// without it a fetch fails and the check cannot tell. This test links no Qt Network of
// its own, so whatever of it is loaded came with the module. (The program itself, as
// installed, is run by packaging/check-install.sh.)

#include "TestSandbox.h"
#include "TestTrees.h"

#include "advert/BoundedDownloader.h"
#include "common/Seams.h"
#include "network/NetworkModule.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#ifdef Q_OS_WIN
#include "common/WindowsApi.h"
#endif

using namespace std::chrono_literals;

namespace {

/** Whether Qt Network is loaded into this process; nothing where that cannot be seen. */
std::optional<bool> qtNetworkLoaded()
{
#if defined(Q_OS_WIN)
    return ::GetModuleHandleW(L"Qt6Network.dll") != nullptr ||
           ::GetModuleHandleW(L"Qt6Networkd.dll") != nullptr;
#elif defined(Q_OS_LINUX)
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return std::nullopt;
    return maps.readAll().contains("libQt6Network");
#else
    return std::nullopt;
#endif
}

/** Where the build made the module. */
QString builtModuleFolder()
{
#ifdef Q_OS_WIN
    // Beside every program of the build, this one's too.
    return QCoreApplication::applicationDirPath();
#else
    return QStringLiteral(VIVREL_NETWORK_MODULE_BUILD_DIR);
#endif
}

/** Runs one fetch that cannot succeed to its end; true when it was reported as failed. */
bool failedFetch(const QString &local)
{
    BoundedDownloader downloader({1000ms, 3000ms});
    int reports = 0;
    bool replaced = false;
    QObject::connect(&downloader, &BoundedDownloader::finished, [&](Result<> result) {
        ++reports;
        replaced = result.ok();
    });
    downloader.DownloadUrlToFile(QUrl(QStringLiteral("http://127.0.0.1:9/file")), local, 2048);
    const bool later = reports == 0 && QTest::qWaitFor([&] { return reports > 0; }, 10000);
    QCoreApplication::processEvents();
    return later && reports == 1 && !replaced && !downloader.isBusy();
}

} // namespace

class TestNetworkModule : public QObject
{
    Q_OBJECT

    QTemporaryDir mTemp;

private slots:
    // First: nothing before it may have loaded the module.
    void notLoadedBeforeItsFirstUse()
    {
        const std::optional<bool> loaded = qtNetworkLoaded();
        if (!loaded)
            QSKIP("no way to see the loaded libraries here");
        QVERIFY(!*loaded);
        // A downloader made is not a fetch begun.
        const BoundedDownloader downloader;
        QVERIFY(!qtNetworkLoaded().value_or(false));
    }

    void withoutTheModule_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("present");
        QTest::newRow("not there") << QByteArray() << false;
        QTest::newRow("not a library") << QByteArray("#!/bin/sh\necho not a library\n") << true;
        QTest::newRow("empty file") << QByteArray() << true;
    }

    void withoutTheModule()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, present);
        const QString folder = mTemp.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder));
        if (present)
            TestTrees::writeAll(folder + QLatin1Char('/') + NetworkModule::fileName(), content);
        NetworkModule::searchIn({folder});

        // Said once, however often it is asked for.
        const QRegularExpression warning(QStringLiteral("^Vivrel: no network module"));
        QTest::ignoreMessage(QtWarningMsg, warning);
        QTest::failOnWarning(warning);
        QVERIFY(!NetworkModule::get());
        // The system cannot be asked: not known to be off line, as without a backend.
        QVERIFY(Seams::real().isOnline());
        const QString local = mTemp.filePath(QStringLiteral("page.htm"));
        TestTrees::writeAll(local, "earlier");
        QVERIFY(failedFetch(local));
        QCOMPARE(TestTrees::readAll(local), QByteArray("earlier"));
        QVERIFY(!qtNetworkLoaded().value_or(false));
    }

    void firstFolderThatHoldsIt_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::newRow("none before") << QByteArray();
        QTest::newRow("a broken copy before") << QByteArray("not a library");
    }

    void firstFolderThatHoldsIt()
    {
        QFETCH(QByteArray, before);
        const QString folder = mTemp.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder));
        if (!before.isEmpty())
            TestTrees::writeAll(folder + QLatin1Char('/') + NetworkModule::fileName(), before);
        NetworkModule::searchIn({folder, builtModuleFolder()});

        Web::Module *module = NetworkModule::get();
        QVERIFY(module);
        QCOMPARE(NetworkModule::get(), module);
        QVERIFY(module->newClient());
        QVERIFY(qtNetworkLoaded().value_or(true));
    }
};

VIVREL_TEST_MAIN(TestNetworkModule)
#include "tst_networkmodule.moc"
