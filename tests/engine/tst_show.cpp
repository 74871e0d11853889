// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ShowFixture.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/DirScanner.h"
#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "common/Module1.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QToolButton>

using namespace TestTrees;
using namespace Qt::StringLiterals;

namespace {

/** A show of five pictures with the items `selected` selected; see ShowFixture. */
struct Show : ShowFixture
{
    explicit Show(const QList<int> &selected, const QStringList &names = pictureNames(5))
        : ShowFixture(names)
    {
        select(selected);
    }
};

/** The data of a test run in the pane and in the viewer. */
void paneOrViewer()
{
    QTest::addColumn<bool>("fullScreen");
    QTest::newRow("pane") << false;
    QTest::newRow("viewer") << true;
}

} // namespace

class TestShow : public QObject
{
    Q_OBJECT

private slots:
    void sequentialTwoOfFive_data()
    {
        QTest::addColumn<bool>("repeat");
        // After each tick: the slide on show (the path in the label) and the position.
        QTest::addColumn<QList<int>>("shown");
        QTest::addColumn<QList<int>>("positions");
        QTest::addColumn<QList<bool>>("running");
        QTest::newRow("once") << false << QList<int>{3, 3, 3} << QList<int>{4, 5, 5}
                              << QList<bool>{true, true, false};
        QTest::newRow("repeat") << true << QList<int>{3, 3, 3, 1, 3} << QList<int>{4, 5, 0, 2, 4}
                                << QList<bool>{true, true, true, true, true};
    }

    void sequentialTwoOfFive()
    {
        QFETCH(bool, repeat);
        QFETCH(QList<int>, shown);
        QFETCH(QList<int>, positions);
        QFETCH(QList<bool>, running);
        Show s({1, 3});
        s.c.chkRepeat->setValue(repeat ? 1 : 0);
        s.start();
        QCOMPARE(s.c.lblFileName->text(), s.path(1));
        QCOMPARE(s.paneShows(), 1);
        QCOMPARE(s.viewer().caption(), s.path(1));
        QVERIFY(!s.viewer().isVisible());
        QCOMPARE(s.c.chkPreview->value(), 1);
        QVERIFY(s.c.WebBrowser1->isHidden());
        QCOMPARE(s.w.showPosition(), 2);
        QVERIFY(s.c.Timer1->isEnabled());
        QCOMPARE(s.c.cmdResume->text(), QStringLiteral("Pause"));
        for (qsizetype t = 0; t < shown.size(); ++t) {
            s.tick();
            QCOMPARE(s.c.lblFileName->text(), s.path(shown[t]));
            QCOMPARE(s.paneShows(), shown[t]);
            QCOMPARE(s.w.showPosition(), positions[t]);
            QCOMPARE(s.c.Timer1->isEnabled(), running[t]);
        }
        QCOMPARE(s.c.cmdResume->text(), QStringLiteral("Pause"));
    }

    void timerDrivesTheShow()
    {
        Show s({0, 2});
        s.c.Text1->setText(QStringLiteral("0.01"));
        s.start();
        QCOMPARE(s.c.Timer1->interval(), 10);
        QTRY_COMPARE(s.c.lblFileName->text(), s.path(2));
        QTRY_VERIFY(!s.c.Timer1->isEnabled());
    }

    void randomPassesDoNotRepeat()
    {
        // The names shown, pass by pass, and whether the show still ran after the last.
        const auto play = [](bool repeat, int passes, bool *runningAfter) {
            Show s({0, 1, 2, 3, 4});
            s.c.chkRandom->setValue(1);
            s.c.chkRepeat->setValue(repeat ? 1 : 0);
            s.start();
            QList<QStringList> all;
            for (int pass = 0; pass < passes; ++pass) {
                QStringList seen;
                for (int i = 0; i < 5; ++i) {
                    if (pass > 0 || i > 0)
                        s.tick();
                    seen << QFileInfo(s.c.lblFileName->text()).fileName();
                }
                all << seen;
                s.tick(); // the pass is over: wraps or stops
            }
            *runningAfter = s.c.Timer1->isEnabled();
            return all;
        };
        bool running = false;
        const QList<QStringList> first = play(true, 3, &running);
        QVERIFY(running);
        for (const QStringList &pass : first)
            QCOMPARE(QSet<QString>(pass.begin(), pass.end()).size(), 5);
        QVERIFY(first[0] != first[1] || first[1] != first[2]);
        // A second run of the program plays the same order.
        QCOMPARE(play(true, 3, &running), first);
        QCOMPARE(play(false, 1, &running).first(), first.first());
        QVERIFY(!running);
    }

    void resumeBeforeAnyStart_data()
    {
        QTest::addColumn<bool>("random");
        QTest::addColumn<int>("shown"); // -1: nothing
        QTest::addColumn<int>("position");
        QTest::newRow("in order") << false << 0 << 1;
        // No start has made the history of draws yet: the step ends showing nothing.
        QTest::newRow("random") << true << -1 << 0;
    }

    void resumeBeforeAnyStart()
    {
        QFETCH(bool, random);
        QFETCH(int, shown);
        QFETCH(int, position);
        Show s({0, 1, 2, 3, 4});
        s.c.chkRandom->setValue(random ? 1 : 0);
        s.pauseOrResume();
        QCOMPARE(s.c.lblFileName->text(), shown < 0 ? QString() : s.path(shown));
        QCOMPARE(s.w.showPosition(), position);
        // The show runs all the same, and its ticks find no history either.
        QVERIFY(s.c.Timer1->isEnabled());
        QCOMPARE(s.c.cmdResume->text(), QStringLiteral("Pause"));
        s.tick();
        QCOMPARE(s.w.showPosition(), position + (random ? 0 : 1));
        // A start makes the history: from then on the random show plays.
        s.start();
        QVERIFY(!s.c.lblFileName->text().isEmpty());
        QCOMPARE(s.w.showPosition(), 1);
    }

    void noneSelected_data()
    {
        QTest::addColumn<bool>("repeat");
        QTest::newRow("once") << false;
        QTest::newRow("repeat") << true;
    }

    void noneSelected()
    {
        QFETCH(bool, repeat);
        Show s({});
        s.c.chkRepeat->setValue(repeat ? 1 : 0);
        s.start();
        QVERIFY(s.c.lblFileName->text().isEmpty());
        QCOMPARE(s.w.showPosition(), 5);
        for (int tick = 0; tick < 4; ++tick)
            s.tick();
        QCOMPARE(s.c.Timer1->isEnabled(), repeat);
        QVERIFY(s.c.lblFileName->text().isEmpty());
        QCOMPARE(s.paneShows(), -1);
    }

    void previousAndNext()
    {
        Show s({1, 3});
        s.c.chkFullScreen->setValue(1);
        s.start();
        QVERIFY(s.viewer().isVisible());
        QCOMPARE(s.viewerShows(), 1);
        s.tick();
        QCOMPARE(s.viewerShows(), 3);

        s.trigger(s.v().mnuPrev); // the slide on show, again, paused
        QCOMPARE(s.c.lblFileName->text(), s.path(3));
        QCOMPARE(s.viewer().caption(), s.path(3));
        QCOMPARE(s.viewerShows(), 3);
        QCOMPARE(s.w.showPosition(), 3);
        QVERIFY(!s.c.Timer1->isEnabled());
        QVERIFY(s.v().mnuPause->isChecked());

        s.trigger(s.v().mnuPrev);
        QCOMPARE(s.viewerShows(), 1);
        QCOMPARE(s.w.showPosition(), 1);

        s.trigger(s.v().mnuNext); // Next shows the slide on screen once more
        QCOMPARE(s.viewerShows(), 1);
        QCOMPARE(s.viewer().caption(), s.path(1));
        QCOMPARE(s.w.showPosition(), 2);
        QVERIFY(!s.c.Timer1->isEnabled());

        s.trigger(s.v().mnuPrev);
        s.trigger(s.v().mnuPrev); // nothing selected below: only pauses
        QCOMPARE(s.c.lblFileName->text(), s.path(1));
        QCOMPARE(s.viewerShows(), 1);
        QCOMPARE(s.w.showPosition(), 1);
    }

    void previousLoadsIntoTheViewerEvenFromThePane()
    {
        Show s({1, 3});
        s.start();
        s.trigger(s.v().mnuPrev);
        QCOMPARE(s.viewerShows(), 1);
        QVERIFY(!s.viewer().isVisible());
    }

    void interval_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("complains");
        QTest::addColumn<qint64>("period");
        QTest::addColumn<bool>("ticks");
        QTest::newRow("30 is accepted") << "30" << false << qint64(30000) << true;
        QTest::newRow("30 and a half") << "30.5" << true << qint64(30500) << true;
        QTest::newRow("45, from a file, runs as given") << "45" << true << qint64(45000) << true;
        QTest::newRow("two and a half") << "2.5" << false << qint64(2500) << true;
        QTest::newRow("one and a half") << "1.5" << false << qint64(1500) << true;
        QTest::newRow("half a millisecond to even") << "0.0025" << false << qint64(2) << true;
        QTest::newRow("trailing text") << " 2.5 s" << false << qint64(2500) << true;
        QTest::newRow("zero waits") << "0" << false << qint64(0) << false;
        QTest::newRow("no number waits") << "abc" << false << qint64(0) << false;
        QTest::newRow("negative waits") << "-3" << false << qint64(-3000) << false;
        QTest::newRow("beyond the timer is clamped") << "1e12" << true << qint64(1e15) << true;
        // Too large for a double: still over the limit, and as long as a period gets.
        QTest::newRow("beyond a number") << "1e400" << true << qint64(9e18) << true;
        QTest::newRow("beyond a number, negative") << "-1e400" << false << qint64(-9e18) << false;
    }

    void interval()
    {
        QFETCH(QString, text);
        QFETCH(bool, complains);
        QFETCH(qint64, period);
        QFETCH(bool, ticks);
        Show s({1, 3});
        QVERIFY(s.enterInterval(text));
        QCOMPARE(s.fake.messages.size(), complains ? 1 : 0);
        if (complains)
            QVERIFY(expectMessage(s.fake, u"Max interval is 30 only"_s, 64, u"Vivrel"_s));
        QCOMPARE(s.c.Text1->text(), text);
        s.start();
        QCOMPARE(s.c.lblFileName->text(), s.path(1)); // the first slide never waits
        QCOMPARE(s.c.Timer1->interval(), period);
        QVERIFY(s.c.Timer1->isEnabled());
        QCOMPARE(s.c.Timer1->isTicking(), ticks);
    }

    void intervalBoxKeys()
    {
        Show s({1});
        // Picked in the list, as a user picks: the pane then has an item to show.
        s.c.File1->setCurrentRow(1);
        QVERIFY(s.shownActive());
        s.c.Text1->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(s.c.Text1));
        QTest::keyClick(s.c.Text1, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(s.c.cmdStart));
        QCoreApplication::processEvents(); // the check runs once the focus has settled
        QVERIFY(s.fake.messages.isEmpty());

        s.c.Text1->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(s.c.Text1));
        s.c.Text1->setText(QStringLiteral("45"));
        QTest::keyClick(s.c.Text1, Qt::Key_Enter); // the keypad's Enter too
        QTRY_COMPARE(s.fake.messages.size(), 1);
        QCOMPARE(s.fake.messages[0].text, QStringLiteral("Max interval is 30 only"));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(s.c.Text1));
        QCOMPARE(s.c.Text1->text(), QStringLiteral("45"));
        QVERIFY(!s.c.Timer1->isEnabled()); // leaving the box starts nothing

        // The first Enter only moves on (its key release lands on the button); the
        // second presses Start Show.
        s.c.Text1->setText(QStringLiteral("2"));
        QTest::keyClick(s.c.Text1, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(s.c.cmdStart));
        QVERIFY(!s.c.Timer1->isEnabled());
        QTest::keyClick(s.c.cmdStart, Qt::Key_Return);
        QVERIFY(s.c.Timer1->isEnabled());
        QCOMPARE(s.c.Timer1->interval(), 2000);
        QCOMPARE(s.c.lblFileName->text(), s.path(1));
        QCOMPARE(s.fake.messages.size(), 1);
    }

    void clickingAButtonChecksTheBox_data()
    {
        QTest::addColumn<QString>("button");
        for (const char *name : {"cmdStart", "cmdResume", "cmdSelectAll", "cmdDirList", "cmdTools"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void clickingAButtonChecksTheBox()
    {
        QFETCH(QString, button);
        Show s({1});
        // Picked in the list, as a user picks: the pane then has an item to show.
        s.c.File1->setCurrentRow(1);
        // The complaint, then Tools' question, answered so that nothing is written.
        s.fake.messageAnswers = {MsgAnswer::Ok, MsgAnswer::No};
        QVERIFY(s.shownActive());
        auto *target = s.w.findChild<QToolButton *>(button);
        QVERIFY(target);
        QSignalSpy clicked(target, &QToolButton::clicked);
        s.c.Text1->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(s.c.Text1));

        // A refused value: the message, the focus back in the box, and the click dropped.
        s.c.Text1->setText(QStringLiteral("45"));
        QTest::mouseClick(target, Qt::LeftButton);
        QCOMPARE(s.fake.messages.size(), 1);
        QCOMPARE(s.fake.messages[0].text, QStringLiteral("Max interval is 30 only"));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(s.c.Text1));
        QCOMPARE(clicked.size(), 0);
        QVERIFY(!s.c.Timer1->isEnabled());
        QVERIFY(s.c.lblFileName->text().isEmpty());

        // An accepted value: the same click goes through.
        s.c.Text1->setText(QStringLiteral("3"));
        QTest::mouseClick(target, Qt::LeftButton);
        QCOMPARE(clicked.size(), 1);
        // No second complaint; Tools asks its own question.
        QCOMPARE(s.fake.messages.size(), button == QLatin1String("cmdTools") ? 2 : 1);
    }

    void unloadableFilesAreStepsLikeAnyOther_data() { paneOrViewer(); }

    void unloadableFilesAreStepsLikeAnyOther()
    {
        QFETCH(bool, fullScreen);
        Show s({0, 1, 2, 3}, {u"p0.jpg"_s, u"p1bad.jpg"_s, u"p2gone.jpg"_s, u"p3.jpg"_s});
        s.c.chkFullScreen->setValue(fullScreen ? 1 : 0);
        // Picked in the list, as a user picks: the pane then has an item to show.
        s.c.File1->setCurrentRow(0);
        const auto onShow = [&] { return fullScreen ? s.viewerShows() : s.paneShows(); };
        s.start();
        QCOMPARE(onShow(), 0);
        for (int i : {1, 2}) {
            s.tick();
            QCOMPARE(s.c.lblFileName->text(), s.path(i));
            QCOMPARE(s.viewer().caption(), s.path(i));
            QCOMPARE(s.w.showPosition(), i + 1);
            QCOMPARE(onShow(), 0); // the previous picture stays
        }
        s.tick();
        QCOMPARE(onShow(), 3);
        QVERIFY(s.c.Timer1->isEnabled());
        QVERIFY(s.fake.messages.isEmpty());
    }

    void animationsPlayWhileTheyAreTheSlide_data() { paneOrViewer(); }

    void animationsPlayWhileTheyAreTheSlide()
    {
        QFETCH(bool, fullScreen);
        Show s({0, 1, 2, 3}, {u"p0.gif"_s, u"p1.jpg"_s, u"p2.gif"_s, u"p3bad.jpg"_s});
        for (int i : {0, 2}) {
            writeAll(s.path(i),
                     animatedGif({40 + 10 * i, 30}, {0xffff0000, 0xff0000ff, 0xff00ff00}));
        }
        s.c.chkFullScreen->setValue(fullScreen ? 1 : 0);
        s.c.Text1->setText(QStringLiteral("30")); // the steps below are the only ones
        // Picked in the list, as a user picks: the pane then has an item to show.
        s.c.File1->setCurrentRow(0);
        if (!fullScreen) {
            s.w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&s.w));
        }
        PictureElement *element = fullScreen ? s.v().imgPreview : s.c.imgPreview;
        QSignalSpy frames(element, &PictureElement::frameShown);
        const auto onShow = [&] { return fullScreen ? s.viewerShows() : s.paneShows(); };

        s.start();
        QCOMPARE(onShow(), 0);
        QTRY_VERIFY(frames.count() >= 3);
        // Its frames, however many, are not steps of the show.
        QCOMPARE(s.w.showPosition(), 1);
        QCOMPARE(onShow(), 0);

        s.tick();
        QCOMPARE(onShow(), 1);
        QVERIFY(!element->isPlaying());

        s.tick();
        QCOMPARE(onShow(), 2);
        QVERIFY(element->isPlaying());
        // The next slide does not load: the animation stays on show, but still.
        s.tick();
        QCOMPARE(s.c.lblFileName->text(), s.path(3));
        QCOMPARE(onShow(), 2);
        QVERIFY(!element->isPlaying());
        QVERIFY(s.fake.messages.isEmpty());
    }

    void emptyListIsRefused()
    {
        Show s({}, {});
        s.c.cmbFileType->setCurrentIndex(3);
        s.c.chkFullScreen->setValue(1);
        s.start();
        QCOMPARE(s.fake.messages.size(), 1);
        QVERIFY(expectMessage(s.fake, u"No *.gif  found"_s, 16, u"Vivrel"_s));
        QVERIFY(!s.c.Timer1->isEnabled());
        QVERIFY(!s.w.hasViewer() || !s.viewer().isVisible());
        QVERIFY(s.c.cmdResume->text() != QLatin1String("Pause"));
        QCOMPARE(s.w.windowTitle(), QStringLiteral("Tremallo Vivrel"));
    }

    void startRestoresCaptionAndPointer()
    {
        Show s({1});
        s.c.chkAdditive->setValue(1); // the list stays as it is
        s.listFolder(u"/mn"_s);       // no such folder: adds nothing
        s.start();
        QCOMPARE(s.w.windowTitle(), QStringLiteral("Tremallo Vivrel"));
        QCOMPARE(s.w.cursor().shape(), Qt::ArrowCursor);
        QVERIFY(s.c.WebBrowser1->isHidden());
        QCOMPARE(rememberedFolder(s.w), QStringLiteral("/mn"));
    }

    void pauseAndResume()
    {
        Show s({1, 3});
        s.start();
        s.pauseOrResume();
        QCOMPARE(s.c.cmdResume->text(), QStringLiteral("Resume"));
        QVERIFY(!s.c.Timer1->isEnabled());
        QCOMPARE(s.w.showPosition(), 2);
        QCOMPARE(s.c.lblFileName->text(), s.path(1));

        s.c.Text1->setText(QStringLiteral("2.5"));
        s.pauseOrResume(); // the next slide at once, at the box's interval
        QCOMPARE(s.c.lblFileName->text(), s.path(3));
        QCOMPARE(s.c.cmdResume->text(), QStringLiteral("Pause"));
        QVERIFY(s.c.Timer1->isEnabled());
        QCOMPARE(s.c.Timer1->interval(), 2500);
    }

    void stoppedAtTheEndKeepsPause()
    {
        Show s({1, 3});
        s.start();
        for (int tick = 0; tick < 3; ++tick)
            s.tick();
        QVERIFY(!s.c.Timer1->isEnabled());
        QCOMPARE(s.c.cmdResume->text(), QStringLiteral("Pause"));
        s.pauseOrResume();
        QCOMPARE(s.c.cmdResume->text(), QStringLiteral("Resume"));
        s.pauseOrResume();
        QCOMPARE(s.c.cmdResume->text(), QStringLiteral("Pause"));
        QCOMPARE(s.c.lblFileName->text(), s.path(3));
        QCOMPARE(s.w.showPosition(), 5);
    }

    void previewPane()
    {
        Show s({0, 1, 2, 3}, {u"p0.jpg"_s, u"p1.jpg"_s, u"p2bad.jpg"_s, u"p3.jpg"_s});
        QVERIFY(!s.c.WebBrowser1->isHidden());
        s.c.chkPreview->setValue(1); // no current item yet: the lookup fails, said once
        QCOMPARE(s.fake.messages.size(), 1);
        QVERIFY(expectMessage(s.fake, u"No list item chosen"_s, 16, u"Vivrel"_s));
        s.fake.messages.clear();
        QCOMPARE(s.paneShows(), -1);
        QVERIFY(s.c.WebBrowser1->isHidden());

        s.c.File1->setCurrentRow(1);
        QCOMPARE(s.paneShows(), 1);
        s.c.File1->setCurrentRow(0);
        QCOMPARE(s.paneShows(), 0);

        s.c.File1->setCurrentRow(2); // not a picture: one message, the pane unchanged
        s.settle();
        QCOMPARE(s.fake.messages.size(), 1);
        QVERIFY(expectMessage(s.fake, u"Invalid picture"_s, 16, u"Vivrel"_s));
        QCOMPARE(s.paneShows(), 0);

        // Switching the option halts a running show, whichever way it goes.
        s.start();
        QVERIFY(s.c.Timer1->isEnabled());
        s.c.chkPreview->setValue(0);
        QCOMPARE(s.paneShows(), -1);
        QVERIFY(!s.c.WebBrowser1->isHidden());
        QVERIFY(!s.c.Timer1->isEnabled());
        s.c.Timer1->setEnabled(true);
        s.c.File1->setCurrentRow(3);
        QCOMPARE(s.paneShows(), -1); // preview off: clicks load nothing
        s.c.chkPreview->setValue(1);
        QCOMPARE(s.paneShows(), 3);
        QVERIFY(!s.c.Timer1->isEnabled());

        // While "Select All" selects, the current item's moves preview nothing.
        s.c.File1->setCurrentRow(0);
        QCOMPARE(s.paneShows(), 0);
        s.selectAll();
        QCOMPARE(s.c.File1->currentRow(), qsizetype(3));
        QCOMPARE(s.paneShows(), 0);
    }

    void scanHoldsARunningShow()
    {
        // The scan lets events run after every folder: once the chosen folder's own picture
        // is listed, and again after each of the three folders below.
        DirScanner::setDefaultProgressInterval(0);
        const auto restore = qScopeGuard([] { DirScanner::setDefaultProgressInterval(50); });
        QTemporaryDir tree;
        touch(tree.path(), {u"x.jpg"_s, u"a/x.jpg"_s, u"b/x.jpg"_s, u"c/x.jpg"_s});

        Show s({0, 1, 2, 3, 4});
        s.c.chkAdditive->setValue(1);
        s.c.Text1->setText(QStringLiteral("0")); // no tick until the first slide is there
        s.start();
        QCOMPARE(s.paneShows(), 0);
        s.c.Timer1->setInterval(1); // then due again whenever events run

        // Posted before the scan, so it runs the first time the scan lets events run.
        qsizetype listedMeanwhile = -1;
        int shownMeanwhile = -1;
        bool runningMeanwhile = false;
        QMetaObject::invokeMethod(
            this,
            [&] {
                listedMeanwhile = s.c.list->count();
                shownMeanwhile = s.paneNow();
                runningMeanwhile = s.c.Timer1->isEnabled();
            },
            Qt::QueuedConnection);
        bool stoppedMeanwhile = false;
        connect(s.c.Timer1, &IntervalTimer::enabledChanged, this,
                [&](bool running) { stoppedMeanwhile = stoppedMeanwhile || !running; });
        s.fake.folderAnswers = {tree.path()};
        s.c.cmdDirList->click();
        QVERIFY2(listedMeanwhile >= 0, "the scan was over before it let events run");
        QVERIFY2(listedMeanwhile > 5 && listedMeanwhile < 9, "not in the middle of the scan");
        QCOMPARE(s.c.list->count(), 9);
        // No step read the list while it filled, and the show kept running throughout.
        QCOMPARE(shownMeanwhile, 0);
        QVERIFY(runningMeanwhile);
        QCOMPARE(s.paneNow(), 0);
        QCOMPARE(s.w.showPosition(), 1);
        QVERIFY(!stoppedMeanwhile);
        QVERIFY(s.c.Timer1->isEnabled());
        // Then it goes on by itself: its next tick shows the next picture. (That tick alone:
        // the pane's picture comes after more ticks would have passed.)
        connect(s.c.Timer1, &IntervalTimer::timeout, this, [&] { s.c.Timer1->setInterval(0); });
        QTRY_COMPARE(s.paneNow(), 1);
        QCOMPARE(s.w.showPosition(), 2);
    }

    void openFromTheList()
    {
        Show s({});
        Module1::initTempPath();
        const QString copy = Module1::mTempPath() + QStringLiteral("Tremallo.jpg");
        QTest::keyClick(s.c.File1, Qt::Key_Return); // no current item: nothing
        QVERIFY(s.fake.shellTargets.isEmpty());
        QVERIFY(s.fake.messages.isEmpty());
        s.w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s.w));
        s.c.File1->setFocus();

        s.c.File1->setCurrentRow(1);
        QTest::keyClick(s.c.File1, Qt::Key_Return);
        QCOMPARE(s.fake.shellTargets, QStringList{copy});
        QCOMPARE(QFileInfo(copy).size(), QFileInfo(s.path(1)).size());

        const QRect row3 = s.c.File1->visualRect(s.c.list->index(3));
        QTest::mouseClick(s.c.File1->viewport(), Qt::LeftButton, {}, row3.center());
        QTest::mouseDClick(s.c.File1->viewport(), Qt::LeftButton, {}, row3.center());
        QCOMPARE(s.fake.shellTargets.size(), 2);
        QCOMPARE(QFileInfo(copy).size(), QFileInfo(s.path(3)).size());
        QVERIFY(s.fake.messages.isEmpty());
    }
};

VIVREL_TEST_MAIN(TestShow)
#include "tst_show.moc"
