// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A session bus that accepts the connection and then says nothing: keeping the screen
// awake must not stop the program while it waits for that bus.

#include "TestSandbox.h"

#include "common/ScreenSaverInhibitor.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>

class TestStalledBus : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;
    QLocalServer mBus;
    QList<QLocalSocket *> mHeld;

private slots:
    void initTestCase()
    {
#ifndef VIVREL_HAVE_DBUS
        QSKIP("the screen saver is not asked over a session bus here");
#endif
        QVERIFY(mDir.isValid());
        const QString path = mDir.filePath(QStringLiteral("bus"));
        QVERIFY(mBus.listen(path));
        // Takes every connection and answers none of it.
        connect(&mBus, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket *socket = mBus.nextPendingConnection())
                mHeld.append(socket);
        });
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + path.toLocal8Bit());
    }

    void cleanupTestCase()
    {
        // The bus goes away: the connection still being made fails, and its thread ends.
        qDeleteAll(mHeld);
        mBus.close();
        QTest::qWait(100);
    }

    void holdingNeverWaitsForTheBus()
    {
        ScreenSaverInhibitor inhibitor;
        QElapsedTimer took;
        took.start();
        inhibitor.setHeld(true);
        inhibitor.setHeld(false);
        inhibitor.setHeld(true);
        QVERIFY2(took.elapsed() < 100, qPrintable(QString::number(took.elapsed())));
        // The loop turns meanwhile, and the bus has been reached from elsewhere.
        QTRY_VERIFY(!mHeld.isEmpty());
        QVERIFY(inhibitor.isHeld());
        QVERIFY(!inhibitor.isGranted());
        took.restart();
        inhibitor.finish();
        QVERIFY2(took.elapsed() < 100, qPrintable(QString::number(took.elapsed())));
        QVERIFY(!inhibitor.isHeld());
    }
};

VIVREL_TEST_GUILESS_MAIN(TestStalledBus)

#include "tst_stalledbus.moc"
