// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ShowFixture.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "widgets/TriCheckBox.h"

#include <QSettings>
#include <QStandardPaths>
#include <QToolButton>

#include <memory>

using namespace TestTrees;
using namespace Qt::StringLiterals;

namespace {

/** A main window with three pictures, all selected; the window itself goes in some cases. */
struct Show : ShowFixture
{
    explicit Show(bool fullScreen) : ShowFixture(pictureNames(3))
    {
        selectAll();
        c.chkRepeat->setValue(0);
        c.chkFullScreen->setValue(fullScreen ? 1 : 0);
    }

    /** Does what the user does by `action`'s name. */
    void act(const QString &action)
    {
        if (action == u"start")
            start();
        else if (action == u"resumeButton")
            pauseOrResume();
        else if (action == u"tick")
            tick();
        else if (action == u"viewerPause")
            trigger(v().mnuPause);
        else if (action == u"previous")
            press(Qt::Key_Left);
        else if (action == u"next")
            press(Qt::Key_Right);
        else if (action == u"escapeViewer")
            press(Qt::Key_Escape);
        else if (action == u"previewBox")
            click(c.chkPreview);
        else if (action == u"escapeMain")
            pressEscapeOnTheWindow();
        else if (action == u"closeButton")
            click(c.cmdClose);
        else if (action == u"windowGoes")
            window.reset();
        else
            QFAIL(qPrintable(QStringLiteral("unknown action ") + action));
    }

    /** Escape is the window's shortcut: it reaches the window while it is the active one. */
    void pressEscapeOnTheWindow()
    {
        QVERIFY(shownActive());
        QTest::keyClick(&w, Qt::Key_Escape);
    }
};

} // namespace

class TestScreenAwake : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void holdFollowsTheRunningShow_data()
    {
        QTest::addColumn<bool>("fullScreen");
        QTest::addColumn<QStringList>("actions");
        // keepScreenAwake calls after the last action: true a hold, false its release.
        QTest::addColumn<QList<bool>>("calls");

        QTest::newRow("pause and resume by the button")
            << false << QStringList{u"start"_s, u"resumeButton"_s, u"resumeButton"_s}
            << QList<bool>{true, false, true};
        QTest::newRow("steps while running take no second hold")
            << true << QStringList{u"start"_s, u"tick"_s, u"next"_s, u"start"_s}
            << QList<bool>{true};
        QTest::newRow("end of a pass without repeat")
            << false << QStringList{u"start"_s, u"tick"_s, u"tick"_s, u"tick"_s}
            << QList<bool>{true, false};
        QTest::newRow("previous pauses, the viewer's entry resumes")
            << true << QStringList{u"start"_s, u"previous"_s, u"previous"_s, u"viewerPause"_s}
            << QList<bool>{true, false, true};
        QTest::newRow("escape closes the viewer")
            << true << QStringList{u"start"_s, u"escapeViewer"_s, u"escapeViewer"_s}
            << QList<bool>{true, false};
        QTest::newRow("the preview box halts the pane's show")
            << false << QStringList{u"start"_s, u"previewBox"_s} << QList<bool>{true, false};
        QTest::newRow("escape ends the program")
            << false << QStringList{u"start"_s, u"escapeMain"_s} << QList<bool>{true, false};
        QTest::newRow("the close button ends the program")
            << true << QStringList{u"start"_s, u"closeButton"_s} << QList<bool>{true, false};
        QTest::newRow("program ends while paused")
            << true << QStringList{u"start"_s, u"viewerPause"_s, u"closeButton"_s, u"escapeMain"_s}
            << QList<bool>{true, false};
        QTest::newRow("program ends before any show")
            << false << QStringList{u"escapeMain"_s, u"closeButton"_s} << QList<bool>{};
        QTest::newRow("the window goes while running")
            << true << QStringList{u"start"_s, u"windowGoes"_s} << QList<bool>{true, false};
    }

    void holdFollowsTheRunningShow()
    {
        QFETCH(bool, fullScreen);
        QFETCH(QStringList, actions);
        QFETCH(QList<bool>, calls);
        Show s(fullScreen);
        bool programEnded = false;
        for (const QString &action : actions) {
            s.act(action);
            const QList<bool> &seen = s.fake.screenAwakeCalls;
            // Holds and releases take turns, a hold first: never two outstanding.
            for (qsizetype i = 0; i < seen.size(); ++i)
                QCOMPARE(seen[i], i % 2 == 0);
            programEnded = programEnded || action == u"escapeMain" || action == u"closeButton" ||
                           action == u"windowGoes";
            // Until the program ends, a hold is held exactly while the show's timer runs.
            if (!programEnded)
                QCOMPARE(seen.size() % 2 == 1, s.c.Timer1->isEnabled());
        }
        QCOMPARE(s.fake.screenAwakeCalls, calls);
    }
};

VIVREL_TEST_MAIN(TestScreenAwake)
#include "tst_screenawake.moc"
