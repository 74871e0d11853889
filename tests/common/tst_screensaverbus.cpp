// The real screen-saver seam against a private session bus: a dbus-daemon of the
// test's own, with a stand-in for the desktop's org.freedesktop.ScreenSaver service.

#include "Controls.h"
#include "FakeSeams.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "chrome/frmVivrel.h"
#include "common/IntervalTimer.h"
#include "common/ScreenSaverInhibitor.h"
#include "common/Seams.h"
#include "common/TriCheckBox.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#ifdef VIVREL_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QThread>

#include <memory>

using namespace TestTrees;

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");

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

public slots:
    uint Inhibit(const QString &, const QString &)
    {
        QMutexLocker lock(&mMutex);
        const uint cookie = mNextCookie++;
        mCalls.append({QStringLiteral("Inhibit"), message().path(), cookie});
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
};

char *toString(const Call &call)
{
    return qstrdup(
        qPrintable(QStringLiteral("%1 %2 cookie %3").arg(call.method, call.path).arg(call.cookie)));
}

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
            mServiceBus.reset();
            QDBusConnection::disconnectFromBus(QStringLiteral("screensaver"));
        }
        if (mService)
            mService.release()->deleteLater();
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

        QTemporaryDir pictures;
        FakeSeams fake;
        seams().keepScreenAwake = Seams::real().keepScreenAwake;
        frmVivrel w;
        showTwoPictures(w, pictures.path());

        w.cmdStart_Click();
        QVERIFY(MainControls(w).Timer1->isEnabled());
        ScreenSaverInhibitor *inhibitor = ScreenSaverInhibitor::instance();
        QVERIFY(inhibitor);
        if (waitForGrant)
            QTRY_VERIFY(inhibitor->isGranted());
        if (stop == u"pause") {
            w.cmdResume_Click();
        } else if (stop == u"endOfPass") {
            while (MainControls(w).Timer1->isEnabled())
                w.Timer1_Timer();
        } else {
            MainControls(w).cmdClose->click();
            QCOMPARE(fake.endProgramCalls, QList<int>{0});
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
        QTemporaryDir pictures;
        FakeSeams fake;
        seams().keepScreenAwake = Seams::real().keepScreenAwake;
        frmVivrel w;
        showTwoPictures(w, pictures.path());
        // Whatever the bus answers, nothing is said about it.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));

        w.cmdStart_Click();
        ScreenSaverInhibitor *inhibitor = ScreenSaverInhibitor::instance();
        w.cmdResume_Click();
        w.cmdResume_Click();
        QVERIFY(MainControls(w).Timer1->isEnabled());
        inhibitor->finish();
        QVERIFY(!inhibitor->isGranted());
        QVERIFY(fake.messages.isEmpty());
    }

private:
    void registerService(const QStringList &paths)
    {
        mServiceBus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(
            QString::fromLocal8Bit(qgetenv("DBUS_SESSION_BUS_ADDRESS")),
            QStringLiteral("screensaver")));
        QVERIFY(mServiceBus->isConnected());
        mService = std::make_unique<FakeScreenSaver>();
        mService->moveToThread(&mServiceThread);
        for (const QString &path : paths)
            QVERIFY(
                mServiceBus->registerObject(path, mService.get(), QDBusConnection::ExportAllSlots));
        QVERIFY(mServiceBus->registerService(kService));
    }

    /** Two pictures in the preview pane, both selected, played once. */
    static void showTwoPictures(frmVivrel &w, const QString &folder)
    {
        const QStringList names{QStringLiteral("a.jpg"), QStringLiteral("b.jpg")};
        for (const QString &name : names)
            writePicture(folder + u'/' + name, 40, 30, "jpg");
        const MainControls c(w);
        c.list->appendFolder(folder + u'/', names);
        w.cmdSelectAll_Click();
        c.chkRepeat->setValue(0);
        c.chkFullScreen->setValue(0);
    }

    QTemporaryDir mBusDir;
    QTemporaryDir mStore;
    QProcess mDaemon;
    QThread mServiceThread;
    std::unique_ptr<QDBusConnection> mServiceBus;
    std::unique_ptr<FakeScreenSaver> mService;
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
