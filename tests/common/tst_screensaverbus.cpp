// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The real screen-saver seam against a private session bus: a dbus-daemon of the
// test's own, with a stand-in for the desktop's org.freedesktop.ScreenSaver service.

#include "ShowFixture.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "common/ScreenSaverInhibitor.h"
#include "common/Seams.h"
#include "widgets/TriCheckBox.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QToolButton>

#ifdef VIVREL_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <memory>

using namespace TestTrees;

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");

/** One call that reached the stand-in service. */
struct Call
{
    QString method;
    QString path;
    uint cookie = 0;

    bool operator==(const Call &) const = default;
};

/**
 * The desktop's screen saver as far as the program sees it. It lives in a thread of
 * its own, so that a call made from the test's thread (blocking or not) is answered.
 */
class FakeScreenSaver : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QList<Call> calls() const
    {
        QMutexLocker lock(&mMutex);
        return mCalls;
    }

    /** Answers Inhibit only after `ms` milliseconds, as a busy desktop may. */
    void setAnswerDelay(int ms) { mDelayMs = ms; }

public slots:
    uint Inhibit(const QString &, const QString &)
    {
        QMutexLocker lock(&mMutex);
        const uint cookie = mNextCookie++;
        mCalls.append({QStringLiteral("Inhibit"), message().path(), cookie});
        if (mDelayMs > 0) {
            setDelayedReply(true);
            const QDBusMessage answer = message().createReply(cookie);
            const QDBusConnection bus = connection();
            QTimer::singleShot(mDelayMs, this, [answer, bus] { bus.send(answer); });
        }
        return cookie;
    }

    void UnInhibit(uint cookie)
    {
        QMutexLocker lock(&mMutex);
        mCalls.append({QStringLiteral("UnInhibit"), message().path(), cookie});
    }

private:
    mutable QMutex mMutex;
    QList<Call> mCalls;
    uint mNextCookie = 7001;
    int mDelayMs = 0;
};

/** The desktop portal's Inhibit, and the request objects it hands out. */
class FakePortal : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")
public:
    explicit FakePortal(QObject *requests) : mRequests(requests) {}

    QList<Call> calls() const
    {
        QMutexLocker lock(&mMutex);
        return mCalls;
    }
    QVariantMap lastOptions() const
    {
        QMutexLocker lock(&mMutex);
        return mOptions;
    }
    uint lastFlags() const
    {
        QMutexLocker lock(&mMutex);
        return mFlags;
    }

    void closed(const QString &path)
    {
        QMutexLocker lock(&mMutex);
        mCalls.append({QStringLiteral("Close"), path, 0});
    }

public slots:
    QDBusObjectPath Inhibit(const QString &, uint flags, const QVariantMap &options)
    {
        QMutexLocker lock(&mMutex);
        const QString path =
            QStringLiteral("/org/freedesktop/portal/desktop/request/test/t%1").arg(mCalls.size());
        connection().registerObject(path, mRequests, QDBusConnection::ExportAllSlots);
        mCalls.append({QStringLiteral("Inhibit"), path, 0});
        mFlags = flags;
        mOptions = options;
        return QDBusObjectPath(path);
    }

private:
    QObject *mRequests;
    mutable QMutex mMutex;
    QList<Call> mCalls;
    QVariantMap mOptions;
    uint mFlags = 0;
};

/** Every request object of the portal: Close is what lets a hold go. */
class FakeRequest : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
public:
    FakePortal *portal = nullptr;

public slots:
    void Close() { portal->closed(message().path()); }
};

char *toString(const Call &call)
{
    return qstrdup(
        qPrintable(QStringLiteral("%1 %2 cookie %3").arg(call.method, call.path).arg(call.cookie)));
}

/** Two pictures in the preview pane, both selected, played once; the screen kept awake for real. */
struct TwoPictures : ShowFixture
{
    TwoPictures() : ShowFixture(pictureNames(2))
    {
        seams().keepScreenAwake = Seams::real().keepScreenAwake;
        selectAll();
        c.chkRepeat->setValue(0);
        c.chkFullScreen->setValue(0);
    }
};

} // namespace

class TestScreenSaverBus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            QSKIP("dbus-daemon is not installed (Debian package dbus)");
        QVERIFY(mBusDir.isValid());
        // A session bus like the desktop's, but with no service directories: nothing of
        // this machine's can be started on it, so the stand-in is the only screen saver.
        const QString config = mBusDir.filePath(QStringLiteral("session.conf"));
        writeAll(config, QStringLiteral("<busconfig><type>session</type>"
                                        "<listen>unix:dir=%1</listen><auth>EXTERNAL</auth>"
                                        "<policy context=\"default\"><allow own=\"*\"/>"
                                        "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                        "<allow eavesdrop=\"true\"/></policy></busconfig>")
                             .arg(mBusDir.path())
                             .toUtf8());
        mDaemon.setProgram(daemon);
        mDaemon.setArguments({QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                              QStringLiteral("--nosyslog"), QStringLiteral("--print-address")});
        // It grumbles about resource limits it may not raise here; that is no concern.
        mDaemon.setStandardErrorFile(QProcess::nullDevice());
        mDaemon.start();
        QVERIFY2(mDaemon.waitForStarted(), qPrintable(mDaemon.errorString()));
        QTRY_VERIFY(mDaemon.canReadLine());
        const QByteArray address = mDaemon.readLine().trimmed();
        QVERIFY(address.startsWith("unix:"));
        // Before the program's side first touches the bus, which then stays on this one.
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(kService));
        mServiceThread.start();
    }

    void cleanupTestCase()
    {
        mServiceThread.quit();
        mServiceThread.wait();
        if (mDaemon.state() != QProcess::NotRunning) {
            mDaemon.kill();
            mDaemon.waitForFinished();
        }
    }

    void init() { TestSandbox::useSettingsStore(mStore.path()); }

    void cleanup()
    {
        if (mServiceBus) {
            mServiceBus->unregisterService(kService);
            mServiceBus->unregisterService(kPortal);
            mServiceBus.reset();
            QDBusConnection::disconnectFromBus(QStringLiteral("screensaver"));
        }
        if (mService)
            mService.release()->deleteLater();
        if (mPortal)
            mPortal.release()->deleteLater();
        if (mRequests)
            mRequests.release()->deleteLater();
        if (ScreenSaverInhibitor *inhibitor = ScreenSaverInhibitor::instance())
            inhibitor->setPatience(3000);
    }

    void oneHoldOneRelease_data()
    {
        QTest::addColumn<QStringList>("servicePaths");
        QTest::addColumn<bool>("waitForGrant");
        QTest::addColumn<QString>("stop");
        const QStringList usual{QStringLiteral("/org/freedesktop/ScreenSaver")};
        QTest::newRow("granted, then paused") << usual << true << "pause";
        QTest::newRow("paused before the answer came") << usual << false << "pause";
        QTest::newRow("granted, then the pass ends") << usual << true << "endOfPass";
        QTest::newRow("granted, then the Close button ends the program")
            << usual << true << "escape";
        QTest::newRow("service only at /ScreenSaver")
            << QStringList{QStringLiteral("/ScreenSaver")} << true << "pause";
        QTest::newRow("service at both paths")
            << QStringList{QStringLiteral("/ScreenSaver"),
                           QStringLiteral("/org/freedesktop/ScreenSaver")}
            << true << "endOfPass";
    }

    void oneHoldOneRelease()
    {
        QFETCH(QStringList, servicePaths);
        QFETCH(bool, waitForGrant);
        QFETCH(QString, stop);
        registerService(servicePaths);

        TwoPictures s;

        s.start();
        QVERIFY(s.c.Timer1->isEnabled());
        ScreenSaverInhibitor *inhibitor = ScreenSaverInhibitor::instance();
        QVERIFY(inhibitor);
        if (waitForGrant)
            QTRY_VERIFY(inhibitor->isGranted());
        if (stop == u"pause") {
            s.pauseOrResume();
        } else if (stop == u"endOfPass") {
            while (s.c.Timer1->isEnabled())
                s.tick();
        } else {
            s.c.cmdClose->click();
            QCOMPARE(s.fake.endProgramCalls, QList<int>{0});
        }
        // Waits until every call sent has been answered by the service.
        inhibitor->finish();
        QVERIFY(!inhibitor->isGranted());

        const QList<Call> calls = mService->calls();
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls[0].method, QStringLiteral("Inhibit"));
        QVERIFY(servicePaths.contains(calls[0].path));
        QCOMPARE(calls[1], (Call{QStringLiteral("UnInhibit"), calls[0].path, calls[0].cookie}));
    }

    void noServiceLeavesTheShowAlone()
    {
        TwoPictures s;
        // Whatever the bus answers, nothing is said about it.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));

        s.start();
        ScreenSaverInhibitor *inhibitor = ScreenSaverInhibitor::instance();
        s.pauseOrResume();
        s.pauseOrResume();
        QVERIFY(s.c.Timer1->isEnabled());
        inhibitor->finish();
        QVERIFY(!inhibitor->isGranted());
        QVERIFY(s.fake.messages.isEmpty());
    }

    void portalWhereNoScreenSaverAnswers()
    {
        registerPortal();
        TwoPictures s;

        s.start();
        ScreenSaverInhibitor *inhibitor = ScreenSaverInhibitor::instance();
        QTRY_VERIFY(inhibitor->isGranted());
        QCOMPARE(mPortal->lastFlags(), 8u); // idle
        QVERIFY(!mPortal->lastOptions().value(QStringLiteral("reason")).toString().isEmpty());
        s.pauseOrResume();
        inhibitor->finish();
        QVERIFY(!inhibitor->isGranted());

        const QList<Call> calls = mPortal->calls();
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls[0].method, QStringLiteral("Inhibit"));
        QCOMPARE(calls[1], (Call{QStringLiteral("Close"), calls[0].path, 0}));
    }

    void lateAnswersAreHandedBack_data()
    {
        QTest::addColumn<int>("pauses");
        QTest::addColumn<bool>("stillWanted");
        QTest::newRow("the show still runs when the answer comes") << 0 << true;
        QTest::newRow("paused before the answer came") << 1 << false;
        QTest::newRow("paused and resumed many times meanwhile") << 10 << false;
        QTest::newRow("many pauses, running at the end") << 10 << true;
    }

    void lateAnswersAreHandedBack()
    {
        // The desktop answers after the program has stopped waiting for it: a cookie
        // that comes then is a hold all the same, kept only while a hold is wanted.
        QFETCH(int, pauses);
        QFETCH(bool, stillWanted);
        registerService({QStringLiteral("/org/freedesktop/ScreenSaver")});
        mService->setAnswerDelay(300);
        TwoPictures s;
        s.start();
        ScreenSaverInhibitor *inhibitor = ScreenSaverInhibitor::instance();
        inhibitor->setPatience(40);

        for (int i = 0; i < pauses; ++i) {
            QTest::qWait(60); // past the patience, short of the answer
            s.pauseOrResume();
            QTest::qWait(10);
            s.pauseOrResume();
        }
        if (!stillWanted)
            s.pauseOrResume();
        QCOMPARE(s.c.Timer1->isEnabled(), stillWanted);
        QTest::qWait(400); // every answer is in
        QCOMPARE(inhibitor->isGranted(), stillWanted);

        QList<Call> calls = mService->calls();
        const auto count = [&](const QString &method) {
            return std::count_if(calls.cbegin(), calls.cend(),
                                 [&](const Call &call) { return call.method == method; });
        };
        // One hold at most stands at the desktop, and only while the show runs.
        QTRY_COMPARE(count(QStringLiteral("Inhibit")) - count(QStringLiteral("UnInhibit")),
                     qsizetype(stillWanted ? 1 : 0));
        inhibitor->finish();
        calls = mService->calls();
        for (const Call &granted : calls) {
            if (granted.method == u"Inhibit")
                QVERIFY2(
                    calls.contains(Call{QStringLiteral("UnInhibit"), granted.path, granted.cookie}),
                    qPrintable(QStringLiteral("cookie %1 kept").arg(granted.cookie)));
        }
    }

private:
    void registerPortal()
    {
        connectServiceBus();
        mRequests = std::make_unique<FakeRequest>();
        mPortal = std::make_unique<FakePortal>(mRequests.get());
        mRequests->portal = mPortal.get();
        mRequests->moveToThread(&mServiceThread);
        mPortal->moveToThread(&mServiceThread);
        QVERIFY(mServiceBus->registerObject(QStringLiteral("/org/freedesktop/portal/desktop"),
                                            mPortal.get(), QDBusConnection::ExportAllSlots));
        QVERIFY(mServiceBus->registerService(kPortal));
    }

    void connectServiceBus()
    {
        mServiceBus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(
            QString::fromLocal8Bit(qgetenv("DBUS_SESSION_BUS_ADDRESS")),
            QStringLiteral("screensaver")));
        QVERIFY(mServiceBus->isConnected());
    }

    void registerService(const QStringList &paths)
    {
        connectServiceBus();
        mService = std::make_unique<FakeScreenSaver>();
        mService->moveToThread(&mServiceThread);
        for (const QString &path : paths)
            QVERIFY(
                mServiceBus->registerObject(path, mService.get(), QDBusConnection::ExportAllSlots));
        QVERIFY(mServiceBus->registerService(kService));
    }

    QTemporaryDir mBusDir;
    QTemporaryDir mStore;
    QProcess mDaemon;
    QThread mServiceThread;
    std::unique_ptr<QDBusConnection> mServiceBus;
    std::unique_ptr<FakeScreenSaver> mService;
    std::unique_ptr<FakePortal> mPortal;
    std::unique_ptr<FakeRequest> mRequests;
};

// The sandbox points the session bus at nothing until the test's own daemon is up.
VIVREL_TEST_MAIN(TestScreenSaverBus)

#else

class TestScreenSaverBus : public QObject
{
    Q_OBJECT
private slots:
    void oneHoldOneRelease() { QSKIP("the screen saver is not asked over a session bus here"); }
};

VIVREL_TEST_MAIN(TestScreenSaverBus)

#endif

#include "tst_screensaverbus.moc"
