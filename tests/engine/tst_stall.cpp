// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A show whose file stops answering: a read that hangs (a network share or a disk that
// went away) must never hold the window, its keys or the end of the program.

#include "ShowFixture.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "common/Files.h"
#include "common/Workers.h"
#include "engine/SlideCache.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>
#include <QToolButton>

#include <condition_variable>
#include <memory>
#include <mutex>

#include <unistd.h>

using namespace std::chrono_literals;

namespace {

/**
 * Holds every read of a file whose name holds "stalled" until let go. Never freed: a
 * thread may still wait on it when the process ends.
 */
struct Gate
{
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    int stuck = 0;
};

Gate &gate()
{
    static Gate *const g = new Gate;
    return *g;
}

void holdStalled(const QString &path)
{
    if (!path.contains(QLatin1String("stalled")))
        return;
    Gate &g = gate();
    std::unique_lock lock(g.mutex);
    ++g.stuck;
    g.changed.wait(lock, [&g] { return g.open; });
    --g.stuck;
}

int stuck()
{
    std::lock_guard lock(gate().mutex);
    return gate().stuck;
}

void setGate(bool open)
{
    {
        std::lock_guard lock(gate().mutex);
        gate().open = open;
    }
    gate().changed.notify_all();
}

// The read end of a pipe nobody writes to: a read of it never returns.
int gNeverAnswers = -1;

void readForever(const QString &path)
{
    if (!path.contains(QLatin1String("stalled")))
        return;
    char byte;
    static_cast<void>(::read(gNeverAnswers, &byte, 1));
}

/** a.jpg, b-stalled.jpg and c.jpg, 40, 50 and 60 pixels wide, in a show driven by keys. */
struct StallShow : ShowFixture
{
    explicit StallShow(bool fullScreen)
        : ShowFixture(
              {QStringLiteral("a.jpg"), QStringLiteral("b-stalled.jpg"), QStringLiteral("c.jpg")})
    {
        c.File1->selectAllItems();
        c.File1->setCurrentRow(0); // picked, as a user picks: the pane has it to show
        c.chkFullScreen->setValue(fullScreen ? 1 : 0);
        typeInterval(QStringLiteral("0"));
    }

    /** The picture in the viewer as it is, the slide asked for there or not. */
    int shownInViewer() { return shown(v().imgPreview); }
};

/** Whether the event loop turns: a timer posted now fires within `within`. */
bool loopTurns(std::chrono::milliseconds within = 200ms)
{
    bool fired = false;
    QTimer::singleShot(0, [&fired] { fired = true; });
    return QTest::qWaitFor([&fired] { return fired; }, int(within.count()));
}

} // namespace

class TestStall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Files::setStallForTests(holdStalled); }

    void init()
    {
        setGate(false);
        Workers::setDeadline(60s);
    }

    void cleanup()
    {
        // Lets what hangs go back, so that one test's threads do not count in the next.
        setGate(true);
        QTRY_COMPARE(stuck(), 0);
        // Every thread ends once nothing hangs: none is left behind. (In the child of
        // processEndsWithAReadHanging one hangs on purpose.)
        if (qEnvironmentVariableIsEmpty("VIVREL_STALL_CHILD"))
            QTRY_COMPARE(Workers::running(), 0);
        Workers::setDeadline(5s);
    }

    void windowAnswersWhileAReadHangs()
    {
        StallShow s(true);
        QTest::mouseClick(s.c.cmdStart, Qt::LeftButton);
        QVERIFY(slideSettled(s.w));
        QCOMPARE(s.shownInViewer(), 0);

        QTest::keyClick(&s.w.viewer(), Qt::Key_Right);
        // The step is made and said: the name is on show, the picture before stays.
        QCOMPARE(s.c.lblFileName->text(), s.path(1));
        QCOMPARE(s.w.viewer().caption(), s.path(1));
        QCOMPARE(s.w.showPosition(), 2);
        QTRY_COMPARE(stuck(), 1);
        QVERIFY(s.w.slidePending());
        QCOMPARE(s.shownInViewer(), 0);
        QVERIFY(loopTurns());

        // The menu and Escape answer at once.
        QTest::keyClick(&s.w.viewer(), Qt::Key_Escape);
        QVERIFY(!s.w.viewer().isVisible());
        QVERIFY(loopTurns());
        s.w.close(); // closed, as Escape closes it: the settings saved, the program ends
        QCOMPARE(s.fake.endProgramCalls, QList<int>{0});

        // The window goes without waiting for the worker, which still hangs.
        QElapsedTimer gone;
        gone.start();
        s.window.reset();
        QVERIFY2(gone.elapsed() < 1000, qPrintable(QString::number(gone.elapsed())));
        QCOMPARE(stuck(), 1);
    }

    void slideAppearsWhenTheReadComesBack()
    {
        StallShow s(true);
        QTest::mouseClick(s.c.cmdStart, Qt::LeftButton);
        QVERIFY(slideSettled(s.w));
        QTest::keyClick(&s.w.viewer(), Qt::Key_Right);
        QTRY_COMPARE(stuck(), 1);
        QTest::qWait(100);
        QCOMPARE(s.shownInViewer(), 0);
        QVERIFY(s.w.slidePending());

        setGate(true);
        QVERIFY(slideSettled(s.w));
        QCOMPARE(s.shownInViewer(), 1);
        QCOMPARE(s.w.viewer().caption(), s.path(1));
    }

    void lateSlideCountsAsNotLoaded()
    {
        Workers::setDeadline(1s);
        StallShow s(true);
        QTest::mouseClick(s.c.cmdStart, Qt::LeftButton);
        QVERIFY(slideSettled(s.w));
        // Its read started as it was decoded ahead, and hangs: the step waits for it.
        QTest::keyClick(&s.w.viewer(), Qt::Key_Right);
        QVERIFY(s.w.slidePending());
        QVERIFY(slideSettled(s.w));
        QCOMPARE(stuck(), 1);
        // As for a file that does not load: the name stays on show over the picture before.
        QCOMPARE(s.shownInViewer(), 0);
        QCOMPARE(s.w.viewer().caption(), s.path(1));
        QVERIFY(s.fake.messages.isEmpty());

        // Another worker took the place of the one that hangs: the show goes on.
        QTest::keyClick(&s.w.viewer(), Qt::Key_Right);
        QVERIFY(slideSettled(s.w));
        QCOMPARE(s.shownInViewer(), 2);
        // Back to it while its read still hangs: no second wait and no second thread.
        QTest::keyClick(&s.w.viewer(), Qt::Key_Left);
        QTest::keyClick(&s.w.viewer(), Qt::Key_Left);
        QCOMPARE(s.c.lblFileName->text(), s.path(1));
        QVERIFY(!s.w.slidePending());
        QCOMPARE(s.shownInViewer(), 2);
        QCOMPARE(stuck(), 1);
        QCOMPARE(s.w.slideCache().abandoned(), 1);
    }

    void previewPaneGivesUpOnAHangingRead()
    {
        Workers::setDeadline(300ms);
        StallShow s(false);
        QTest::mouseClick(s.c.cmdStart, Qt::LeftButton);
        QVERIFY(slideSettled(s.w));
        QCOMPARE(s.shown(s.c.imgPreview), 0);

        s.tick();
        QCOMPARE(s.c.lblFileName->text(), s.path(1));
        QTRY_COMPARE(stuck(), 1);
        QVERIFY(s.w.slidePending());
        QVERIFY(loopTurns());
        QVERIFY(slideSettled(s.w));
        QCOMPARE(s.shown(s.c.imgPreview), 0);
        QVERIFY(s.fake.messages.isEmpty()); // a show passes over it in silence

        // The next item is not held up by the read that still hangs.
        s.tick();
        QVERIFY(slideSettled(s.w));
        QCOMPARE(s.shown(s.c.imgPreview), 2);
        QCOMPARE(stuck(), 1);
    }

    void processEndsWithAReadHanging()
    {
        // The program in a process of its own, ended while a worker is in read().
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VIVREL_STALL_CHILD"), QStringLiteral("1"));
        child.setProcessEnvironment(environment);
        QElapsedTimer took;
        took.start();
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("endInTheMiddleOfARead")});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        QVERIFY(took.elapsed() < 30000);
    }

    void endInTheMiddleOfARead()
    {
        if (qEnvironmentVariableIsEmpty("VIVREL_STALL_CHILD"))
            QSKIP("run by processEndsWithAReadHanging in a process of its own");
        int ends[2];
        QVERIFY(::pipe(ends) == 0);
        gNeverAnswers = ends[0];
        Files::setStallForTests(readForever);
        StallShow s(true);
        QTest::mouseClick(s.c.cmdStart, Qt::LeftButton);
        QVERIFY(slideSettled(s.w));
        QTest::keyClick(&s.w.viewer(), Qt::Key_Right);
        QVERIFY(s.w.slidePending());
        QVERIFY(QTest::qWaitFor([] { return Workers::running() > 0; }));
        s.w.close();
        QCOMPARE(s.fake.endProgramCalls, QList<int>{0});
        s.window.reset();
        // The test ends and the process with it, the read still hanging.
    }
};

VIVREL_TEST_MAIN(TestStall)
#include "tst_stall.moc"
