// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ShowFixture.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QToolButton>

using namespace TestTrees;
using namespace Qt::StringLiterals;

namespace {

/**
 * A main window with five pictures and two more, all selected; picture i is 100 + 10 i
 * wide. The two more, p5wide and p6big, are drawn over by the tests that show them alone.
 */
struct Viewer : ShowFixture
{
    Viewer() : ShowFixture(pictureNames(5) << u"p5wide.jpg"_s << u"p6big.jpg"_s, {100, 60})
    {
        c.File1->selectAllItems();
        c.chkFullScreen->setValue(1);
    }

    /** Item i drawn `width` x `height` and shown alone in the viewer, with no tick to come. */
    void showAlone(int i, int width, int height)
    {
        writePicture(path(i), width, height, "jpg");
        select({i});
        typeInterval(u"0"_s);
        start();
    }
};

} // namespace

class TestViewer : public QObject
{
    Q_OBJECT

private slots:
    void menuEntriesInOrder()
    {
        // As the viewer makes it, before start-up sets it from the settings.
        frmPreview v;
        const QList<QAction *> entries = ViewerControls(v).mnuOptions->actions();
        QStringList names;
        QStringList captions;
        for (const QAction *a : entries) {
            names << a->objectName();
            captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
            QVERIFY(a->isEnabled());
            QVERIFY(!a->isChecked());
        }
        QCOMPARE(names, (QStringList{u"mnuOpen"_s, u"mnuDelete"_s, u"mnu01"_s, u"mnuPause"_s,
                                     u"mnu02"_s, u"mnuPrev"_s, u"mnuNext"_s, u"mnu03"_s,
                                     u"mnuStretch"_s, u"mnuRetainShape"_s, u"mnu04"_s,
                                     u"mnuBackground"_s, u"MNU05"_s, u"mnuCancel"_s}));
        QCOMPARE(captions,
                 (QStringList{u"Open"_s, u"Delete"_s, u"-"_s, u"Pause Show"_s, u"-"_s,
                              u"Previous"_s, u"Next"_s, u"-"_s, u"Stretch"_s, u"Retain Shape"_s,
                              u"-"_s, u"Change Background"_s, u"-"_s, u"Cancel"_s}));
        QCOMPARE(ViewerControls(v).mnuOptions->title(), QStringLiteral("Options"));
    }

    void coversTheScreen()
    {
        Viewer s;
        QCOMPARE(s.viewer().geometry(), s.w.screen()->geometry());
    }

    void stretchAndRetainShapeEntries()
    {
        Viewer s;
        frmPreview &v = s.viewer();
        const ViewerControls vc(v);
        const float W = float(v.width());
        const float H = float(v.height());
        s.showAlone(5, 400, 300);
        QVERIFY(slideSettled(s.w));
        QCOMPARE(s.element(), QRectF((W - 400) / 2, (H - 300) / 2, 400, 300));
        QVERIFY(!vc.imgPreview->isHidden());

        vc.mnuStretch->trigger(); // on: spread over the window, no reload
        QVERIFY(vc.mnuStretch->isChecked());
        QVERIFY(vc.mnuRetainShape->isEnabled());
        QVERIFY(vc.imgPreview->stretch());
        QCOMPARE(s.element(), QRectF(0, 0, W, H));

        vc.mnuStretch->trigger(); // off: natural size again, centred
        QVERIFY(!vc.mnuStretch->isChecked());
        QVERIFY(!vc.mnuRetainShape->isEnabled());
        QVERIFY(!vc.imgPreview->stretch());
        QCOMPARE(s.element(), QRectF((W - 400) / 2, (H - 300) / 2, 400, 300));

        vc.mnuRetainShape->trigger(); // disabled: cannot be chosen
        QVERIFY(!vc.mnuRetainShape->isChecked());
        QVERIFY(!vc.mnuStretch->isChecked());

        vc.mnuStretch->trigger();
        QVERIFY(vc.mnuRetainShape->isEnabled());
        vc.mnuStretch->trigger();
        vc.mnuRetainShape->setEnabled(true); // as start-up may leave it
        vc.mnuRetainShape->trigger();        // sets both marks and fits
        QVERIFY(slideSettled(s.w));
        QVERIFY(vc.mnuStretch->isChecked());
        QVERIFY(vc.mnuRetainShape->isChecked());
        QVERIFY(vc.imgPreview->stretch());
        const QRectF fitted = s.element();
        QCOMPARE(fitted.width() * 3, fitted.height() * 4); // a 4:3 picture keeps its shape
        QVERIFY(fitted.width() <= W && fitted.height() <= H);
        QVERIFY(fitted.width() == W || fitted.height() == H);
        QCOMPARE(fitted.center(), QPointF(W / 2, H / 2));

        vc.mnuRetainShape->trigger(); // set: only clears its mark; stretch alone from now on
        QVERIFY(!vc.mnuRetainShape->isChecked());
        QVERIFY(vc.mnuStretch->isChecked());
        QCOMPARE(s.element(), fitted); // the size carries over while stretching
    }

    void pauseEntryFollowsTheTimer()
    {
        Viewer s;
        frmPreview &v = s.viewer();
        const ViewerControls vc(v);
        s.start();
        QVERIFY(slideSettled(s.w));
        QVERIFY(s.c.Timer1->isEnabled());
        vc.mnuPause->trigger();
        QVERIFY(!s.c.Timer1->isEnabled());
        QVERIFY(vc.mnuPause->isChecked());
        vc.mnuPause->trigger();
        QVERIFY(s.c.Timer1->isEnabled());
        QVERIFY(!vc.mnuPause->isChecked());
        QCOMPARE(s.c.cmdResume->text(), QStringLiteral("Pause"));
        // Stopped by something else: the entry starts it again.
        s.c.Timer1->setEnabled(false);
        vc.mnuPause->trigger();
        QVERIFY(s.c.Timer1->isEnabled());
        QVERIFY(!vc.mnuPause->isChecked());
    }

    void asksTheShowBySignals()
    {
        // On its own, with no show to answer: every request goes out as a signal.
        frmPreview v;
        const ViewerControls vc(v);
        QSignalSpy run(&v, &frmPreview::showRunRequested);
        QSignalSpy next(&v, &frmPreview::nextRequested);
        QSignalSpy previous(&v, &frmPreview::previousRequested);
        QSignalSpy fit(&v, &frmPreview::fitChanged);
        QSignalSpy closed(&v, &frmPreview::closed);
        const auto asked = [&run] { return run.takeFirst().at(0).toBool(); };

        // "Pause Show" goes by what it was told of the show, not by its own mark.
        v.setShowRunning(true);
        vc.mnuPause->trigger();
        QCOMPARE(asked(), false);
        QVERIFY(vc.mnuPause->isChecked());
        vc.mnuPause->trigger(); // nobody stopped it
        QCOMPARE(asked(), false);
        v.setShowRunning(false);
        vc.mnuPause->trigger();
        QCOMPARE(asked(), true);
        QVERIFY(!vc.mnuPause->isChecked());

        vc.mnuNext->trigger();
        vc.mnuPrev->trigger();
        QCOMPARE(next.size(), 1);
        QCOMPARE(previous.size(), 1);
        vc.mnuStretch->trigger(); // on: spread over the window, nothing placed again
        QCOMPARE(fit.size(), 0);
        vc.mnuStretch->trigger();
        QCOMPARE(fit.size(), 1);

        QVERIFY(!v.close());
        QCOMPARE(asked(), false);
        QCOMPARE(closed.size(), 1);
        QVERIFY(run.isEmpty());
    }

    void menuSteps()
    {
        Viewer s;
        frmPreview &v = s.viewer();
        const ViewerControls vc(v);
        s.start();
        QVERIFY(slideSettled(s.w));
        vc.mnuNext->trigger(); // running: steps, the timer keeps its schedule
        QCOMPARE(s.viewerShows(), 1);
        QVERIFY(s.c.Timer1->isEnabled());
        vc.mnuPrev->trigger();
        QCOMPARE(s.viewerShows(), 1);
        QVERIFY(!s.c.Timer1->isEnabled());
        QVERIFY(vc.mnuPause->isChecked());
        vc.mnuPrev->trigger();
        QCOMPARE(s.viewerShows(), 0);
        QCOMPARE(v.caption(), s.c.list->fullPath(0));
    }

    void keys_data()
    {
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("plain") << Qt::KeyboardModifiers();
        QTest::newRow("shift") << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("ctrl") << Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::newRow("alt") << Qt::KeyboardModifiers(Qt::AltModifier);
        QTest::newRow("ctrl+shift+alt")
            << (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    }

    void keys()
    {
        QFETCH(Qt::KeyboardModifiers, modifiers);
        Viewer s;
        frmPreview &v = s.viewer();
        const ViewerControls vc(v);
        QSignalSpy help(&v, &frmPreview::helpRequested);
        s.start();
        QVERIFY(slideSettled(s.w));
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        QCOMPARE(s.viewerShows(), 0);
        vc.mnuPause->trigger();

        QTest::keyClick(&v, Qt::Key_Right, modifiers); // paused: steps and stays paused
        QCOMPARE(s.viewerShows(), 1);
        QVERIFY(!s.c.Timer1->isEnabled());
        QVERIFY(vc.mnuPause->isChecked());

        vc.mnuPause->trigger();                       // running again
        QTest::keyClick(&v, Qt::Key_Left, modifiers); // the slide on show again, paused
        QCOMPARE(s.viewerShows(), 1);
        QVERIFY(!s.c.Timer1->isEnabled());
        QVERIFY(vc.mnuPause->isChecked());
        QTest::keyClick(&v, Qt::Key_Left, modifiers);
        QCOMPARE(s.viewerShows(), 0);

        QTest::keyClick(&v, Qt::Key_F1, modifiers);
        QCOMPARE(help.count(), 1);
        QTest::keyClick(&v, Qt::Key_A, modifiers); // not a key of the viewer
        QCOMPARE(s.viewerShows(), 0);

        QTest::keyClick(&v, Qt::Key_Escape, modifiers);
        QVERIFY(!v.isVisible());
        QVERIFY(vc.mnuPause->isChecked());
        QCOMPARE(v.caption(), s.c.list->fullPath(0));
    }

    void closingHidesAndKeepsTheState()
    {
        Viewer s;
        QPointer<frmPreview> v = &s.viewer();
        const ViewerControls vc(*v);
        s.start();
        QVERIFY(slideSettled(s.w));
        s.tick();
        QVERIFY(QTest::qWaitForWindowExposed(v.data()));
        const QString caption = v->caption();
        QVERIFY(s.c.Timer1->isEnabled());
        QVERIFY(!vc.mnuPause->isChecked());

        QVERIFY(!v->close()); // any request to close: refused, hidden, the show stops
        QVERIFY(v);
        QVERIFY(!v->isVisible());
        QVERIFY(!s.c.Timer1->isEnabled());
        QVERIFY(!vc.mnuPause->isChecked());
        QCOMPARE(v->caption(), caption);
        QCOMPARE(s.viewerShows(), 1);
        QCOMPARE(s.w.showPosition(), 2);

        s.pauseOrResume(); // caption "Pause": pauses
        s.pauseOrResume(); // resumes in the viewer from the kept position
        QVERIFY(v->isVisible());
        QCOMPARE(s.viewerShows(), 2);
        QVERIFY(s.c.Timer1->isEnabled());
    }

    void rightButtonOpensTheMenu()
    {
        Viewer s;
        frmPreview &v = s.viewer();
        const ViewerControls vc(v);
        s.start();
        QVERIFY(slideSettled(s.w));
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        const QRect picture = vc.imgPreview->geometry();
        const QPoint outside = QPoint(picture.right() + 20, picture.bottom() + 20);
        QVERIFY(v.rect().contains(outside));

        QTest::mouseClick(&v, Qt::LeftButton, {}, outside);
        QTest::mouseClick(vc.imgPreview, Qt::LeftButton, {}, vc.imgPreview->rect().center());
        QVERIFY(!vc.mnuOptions->isVisible());

        QTest::mousePress(&v, Qt::RightButton, {}, outside);
        QTRY_VERIFY(vc.mnuOptions->isVisible());
        vc.mnuOptions->hide();
        QTRY_VERIFY(!vc.mnuOptions->isVisible());

        QTest::mousePress(vc.imgPreview, Qt::RightButton, {}, vc.imgPreview->rect().center());
        QTRY_VERIFY(vc.mnuOptions->isVisible());
        vc.mnuOptions->hide();
        QCOMPARE(s.viewerShows(), 0); // nothing else happened
    }

    void stretchedPicturesDecodeAtTheSizeTheyAreDrawn()
    {
        Viewer s;
        frmPreview &v = s.viewer();
        const ViewerControls vc(v);
        vc.mnuStretch->setChecked(true);
        vc.mnuRetainShape->setChecked(true);
        s.showAlone(6, 4000, 3000);
        QVERIFY(slideSettled(s.w));
        QCOMPARE(vc.imgPreview->picture().natural, QSize(4000, 3000));
        const QSize device = vc.imgPreview->size() * v.devicePixelRatioF();
        QVERIFY(vc.imgPreview->picture().image.width() < 4000);
        // Exactly the element's pixels: nothing drawn blown up, nothing left to scale.
        QCOMPARE(vc.imgPreview->picture().image.size(), device);
    }

    void picturesAtNaturalSizeDecodeOnlyWhatTheWindowShows()
    {
        Viewer s;
        frmPreview &v = s.viewer();
        const ViewerControls vc(v);
        s.showAlone(6, 4000, 3000);
        QVERIFY(slideSettled(s.w));
        const PictureElement *e = vc.imgPreview;
        QCOMPARE(e->picture().natural, QSize(4000, 3000));
        // Cut to the window and centred as before; only the part inside is decoded.
        QCOMPARE(e->width(), float(v.width()));
        QCOMPARE(e->height(), float(v.height()));
        QVERIFY(e->picture().image.width() < 4000);
        QVERIFY(e->picture().image.width() >= v.width());
        QVERIFY(e->picture().image.height() >= v.height());
        QCOMPARE(e->picture().part.topLeft(), QPoint(0, 0));

        // Stretched afterwards without a new load: the whole picture is decoded again.
        vc.mnuStretch->trigger();
        vc.imgPreview->grab();
        QVERIFY(e->picture().isWhole());
        QCOMPARE(e->picture().image.size(), e->size() * e->devicePixelRatioF());
    }
};

VIVREL_TEST_MAIN(TestViewer)
#include "tst_viewer.moc"
