// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Ten thousand commands at random (seeded) over a show of good and bad pictures,
// driven without waiting. Meant for the sanitizer build as much as the normal one.

#include "BadPictures.h"
#include "ShowFixture.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QComboBox>
#include <QLabel>
#include <QLoggingCategory>
#include <QRandomGenerator>

class TestLongShow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The decoder's complaints about each broken file would drown the report.
        QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio.jpeg=false"));
    }

    void tenThousandSteps_data()
    {
        QTest::addColumn<bool>("fullScreen");
        QTest::addColumn<bool>("random");
        QTest::newRow("viewer, in order") << true << false;
        QTest::newRow("viewer, random") << true << true;
        QTest::newRow("pane, random") << false << true;
    }

    void tenThousandSteps()
    {
        QFETCH(bool, fullScreen);
        QFETCH(bool, random);
        QTemporaryDir dir;
        for (int i = 0; i < 4; ++i)
            TestTrees::writePicture(dir.filePath(QStringLiteral("good%1.jpg").arg(i)), 30 + 20 * i,
                                    40 - 5 * i, i % 2 ? "bmp" : "jpg");
        BadPictures::make(dir.path(), false);

        ShowFixture s(QStringList{});
        const MainControls &c = s.c;
        frmVivrel &w = s.w;
        QVERIFY(s.listFolder(dir.path()));
        const qsizetype n = c.list->count();
        QVERIFY(n > 20);
        s.selectAll();
        c.File1->setCurrentRow(0);
        c.chkFullScreen->setValue(fullScreen ? 1 : 0);
        c.chkRandom->setValue(random ? 1 : 0);
        c.chkRepeat->setValue(1);
        s.start();
        frmPreview &viewer = w.viewer();
        const ViewerControls v(viewer);

        QRandomGenerator dice(4242);
        for (int step = 0; step < 10000; ++step) {
            switch (dice.bounded(10)) {
            case 0:
            case 1:
            case 2:
            case 3:
                s.trigger(v.mnuNext);
                break;
            case 4:
            case 5:
                s.trigger(v.mnuPrev);
                break;
            case 6:
                s.trigger(v.mnuPause);
                break;
            case 7:
                s.trigger(v.mnuStretch);
                break;
            case 8:
                s.trigger(v.mnuRetainShape);
                break;
            case 9:
                s.tick();
                break;
            }
            // The position stays within the pass, whatever the order of commands.
            QVERIFY2(w.showPosition() >= 0 && w.showPosition() <= n,
                     qPrintable(QString::number(step)));
            if (!c.lblFileName->text().isEmpty())
                QCOMPARE(viewer.caption(), c.lblFileName->text());
            if (QTest::currentTestFailed())
                return;
        }
        QVERIFY(slideSettled(w)); // the last slide asked for, decoded off the window thread
        QVERIFY(s.fake.messages.isEmpty());
        // A good picture was shown at some point and is still held.
        QVERIFY(ViewerControls(viewer).imgPreview->hasPicture() || c.imgPreview->hasPicture());
    }
};

VIVREL_TEST_MAIN(TestLongShow)
#include "tst_longshow.moc"
