#include "FakeSeams.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "chrome/frmVivrel.h"
#include "common/IntervalTimer.h"
#include "common/PictureElement.h"
#include "common/TriCheckBox.h"
#include "viewer/frmPreview.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace TestTrees;

namespace {

/** A main window with five pictures, all selected; picture i is 100 + 10 i wide. */
struct Viewer
{
    Viewer()
    {
        QStringList names;
        for (int i = 0; i < 5; ++i) {
            names << QStringLiteral("p%1.jpg").arg(i);
            writePicture(dir.path() + u'/' + names.last(), 100 + 10 * i, 60, "jpg");
        }
        writePicture(dir.path() + QStringLiteral("/wide.jpg"), 400, 300, "jpg");
        w.fileList()->appendFolder(dir.path() + u'/', names);
        w.File1->selectAllItems();
        w.chkFullScreen->setValue(1);
    }

    frmPreview &v() { return w.viewer(); }
    int shows() { return (v().imgPreview->picture().natural.width() - 100) / 10; }
    QRectF element()
    {
        const PictureElement *e = v().imgPreview;
        return QRectF(e->left(), e->top(), e->width(), e->height());
    }

    QTemporaryDir dir;
    FakeSeams fake;
    frmVivrel w;
};

} // namespace

class TestViewer : public QObject
{
    Q_OBJECT

private slots:
    void menuEntriesInOrder()
    {
        Viewer s;
        const QList<QAction *> entries = s.v().mnuOptions->actions();
        QStringList names;
        QStringList captions;
        for (const QAction *a : entries) {
            names << a->objectName();
            captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
            QVERIFY(a->isEnabled());
            QVERIFY(!a->isChecked());
        }
        QCOMPARE(names, (QStringList{"mnuOpen", "mnuDelete", "mnu01", "mnuPause", "mnu02",
                                     "mnuPrev", "mnuNext", "mnu03", "mnuStretch", "mnuRetainShape",
                                     "mnu04", "mnuBackground", "MNU05", "mnuCancel"}));
        QCOMPARE(captions,
                 (QStringList{"Open", "Delete", "-", "Pause Show", "-", "Previous", "Next", "-",
                              "Stretch", "Retain Shape", "-", "Change Background", "-", "Cancel"}));
        QCOMPARE(s.v().mnuOptions->title(), QStringLiteral("Options"));
    }

    void coversTheScreen()
    {
        Viewer s;
        QCOMPARE(s.v().geometry(), s.w.screen()->geometry());
    }

    void stretchAndRetainShapeEntries()
    {
        Viewer s;
        frmPreview &v = s.v();
        const float W = v.windowWidth();
        const float H = v.windowHeight();
        s.w.lblFileName->setText(s.dir.path() + QStringLiteral("/wide.jpg"));
        s.w.DoLoadFullScreen();
        QCOMPARE(s.element(), QRectF((W - 400) / 2, (H - 300) / 2, 400, 300));
        QVERIFY(!v.imgPreview->isHidden());

        v.mnuStretch->trigger(); // on: spread over the window, no reload
        QVERIFY(v.mnuStretch->isChecked());
        QVERIFY(v.mnuRetainShape->isEnabled());
        QVERIFY(v.imgPreview->stretch());
        QCOMPARE(s.element(), QRectF(0, 0, W, H));

        v.mnuStretch->trigger(); // off: natural size again, centred
        QVERIFY(!v.mnuStretch->isChecked());
        QVERIFY(!v.mnuRetainShape->isEnabled());
        QVERIFY(!v.imgPreview->stretch());
        QCOMPARE(s.element(), QRectF((W - 400) / 2, (H - 300) / 2, 400, 300));

        v.mnuRetainShape->trigger(); // disabled: cannot be chosen
        QVERIFY(!v.mnuRetainShape->isChecked());
        QVERIFY(!v.mnuStretch->isChecked());

        v.mnuStretch->trigger();
        QVERIFY(v.mnuRetainShape->isEnabled());
        v.mnuStretch->trigger();
        v.mnuRetainShape->setEnabled(true); // as start-up may leave it
        v.mnuRetainShape->trigger();        // sets both marks and fits
        QVERIFY(v.mnuStretch->isChecked());
        QVERIFY(v.mnuRetainShape->isChecked());
        QVERIFY(v.imgPreview->stretch());
        const QRectF fitted = s.element();
        QCOMPARE(fitted.width() * 3, fitted.height() * 4); // a 4:3 picture keeps its shape
        QVERIFY(fitted.width() <= W && fitted.height() <= H);
        QVERIFY(fitted.width() == W || fitted.height() == H);
        QCOMPARE(fitted.center(), QPointF(W / 2, H / 2));

        v.mnuRetainShape->trigger(); // set: only clears its mark; stretch alone from now on
        QVERIFY(!v.mnuRetainShape->isChecked());
        QVERIFY(v.mnuStretch->isChecked());
        QCOMPARE(s.element(), fitted); // the size carries over while stretching
    }

    void pauseEntryFollowsTheTimer()
    {
        Viewer s;
        frmPreview &v = s.v();
        s.w.cmdStart_Click();
        QVERIFY(s.w.Timer1->isEnabled());
        v.mnuPause->trigger();
        QVERIFY(!s.w.Timer1->isEnabled());
        QVERIFY(v.mnuPause->isChecked());
        v.mnuPause->trigger();
        QVERIFY(s.w.Timer1->isEnabled());
        QVERIFY(!v.mnuPause->isChecked());
        QCOMPARE(s.w.cmdResumeCaption(), QStringLiteral("Pause"));
        // Stopped by something else: the entry starts it again.
        s.w.Timer1->setEnabled(false);
        v.mnuPause->trigger();
        QVERIFY(s.w.Timer1->isEnabled());
        QVERIFY(!v.mnuPause->isChecked());
    }

    void menuSteps()
    {
        Viewer s;
        frmPreview &v = s.v();
        s.w.cmdStart_Click();
        v.mnuNext->trigger(); // running: steps, the timer keeps its schedule
        QCOMPARE(s.shows(), 1);
        QVERIFY(s.w.Timer1->isEnabled());
        v.mnuPrev->trigger();
        QCOMPARE(s.shows(), 1);
        QVERIFY(!s.w.Timer1->isEnabled());
        QVERIFY(v.mnuPause->isChecked());
        v.mnuPrev->trigger();
        QCOMPARE(s.shows(), 0);
        QCOMPARE(v.caption(), s.w.fileList()->fullPath(0));
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
        frmPreview &v = s.v();
        QSignalSpy help(&v, &frmPreview::helpRequested);
        s.w.cmdStart_Click();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        QCOMPARE(s.shows(), 0);
        v.mnuPause->trigger();

        QTest::keyClick(&v, Qt::Key_Right, modifiers); // paused: steps and stays paused
        QCOMPARE(s.shows(), 1);
        QVERIFY(!s.w.Timer1->isEnabled());
        QVERIFY(v.mnuPause->isChecked());

        v.mnuPause->trigger();                        // running again
        QTest::keyClick(&v, Qt::Key_Left, modifiers); // the slide on show again, paused
        QCOMPARE(s.shows(), 1);
        QVERIFY(!s.w.Timer1->isEnabled());
        QVERIFY(v.mnuPause->isChecked());
        QTest::keyClick(&v, Qt::Key_Left, modifiers);
        QCOMPARE(s.shows(), 0);

        QTest::keyClick(&v, Qt::Key_F1, modifiers);
        QCOMPARE(help.count(), 1);
        QTest::keyClick(&v, Qt::Key_A, modifiers); // not a key of the viewer
        QCOMPARE(s.shows(), 0);

        QTest::keyClick(&v, Qt::Key_Escape, modifiers);
        QVERIFY(!v.isVisible());
        QVERIFY(v.mnuPause->isChecked());
        QCOMPARE(v.caption(), s.w.fileList()->fullPath(0));
    }

    void closingHidesAndKeepsTheState()
    {
        Viewer s;
        QPointer<frmPreview> v = &s.v();
        s.w.cmdStart_Click();
        s.w.Timer1_Timer();
        QVERIFY(QTest::qWaitForWindowExposed(v.data()));
        const QString caption = v->caption();
        QVERIFY(s.w.Timer1->isEnabled());
        QVERIFY(!v->mnuPause->isChecked());

        QVERIFY(!v->close()); // any request to close: refused, hidden, the show stops
        QVERIFY(v);
        QVERIFY(!v->isVisible());
        QVERIFY(!s.w.Timer1->isEnabled());
        QVERIFY(!v->mnuPause->isChecked());
        QCOMPARE(v->caption(), caption);
        QCOMPARE(s.shows(), 1);
        QCOMPARE(s.w.mFileNum, 2);

        s.w.cmdResume_Click(); // caption "Pause": pauses
        s.w.cmdResume_Click(); // resumes in the viewer from the kept position
        QVERIFY(v->isVisible());
        QCOMPARE(s.shows(), 2);
        QVERIFY(s.w.Timer1->isEnabled());
    }

    void rightButtonOpensTheMenu()
    {
        Viewer s;
        frmPreview &v = s.v();
        s.w.cmdStart_Click();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        const QRect picture = v.imgPreview->geometry();
        const QPoint outside = QPoint(picture.right() + 20, picture.bottom() + 20);
        QVERIFY(v.rect().contains(outside));

        QTest::mouseClick(&v, Qt::LeftButton, {}, outside);
        QTest::mouseClick(v.imgPreview, Qt::LeftButton, {}, v.imgPreview->rect().center());
        QVERIFY(!v.mnuOptions->isVisible());

        QTest::mousePress(&v, Qt::RightButton, {}, outside);
        QTRY_VERIFY(v.mnuOptions->isVisible());
        v.mnuOptions->hide();
        QTRY_VERIFY(!v.mnuOptions->isVisible());

        QTest::mousePress(v.imgPreview, Qt::RightButton, {}, v.imgPreview->rect().center());
        QTRY_VERIFY(v.mnuOptions->isVisible());
        v.mnuOptions->hide();
        QCOMPARE(s.shows(), 0); // nothing else happened
    }

    void stretchedPicturesDecodeAtTheSizeTheyAreDrawn()
    {
        Viewer s;
        frmPreview &v = s.v();
        const QString big = s.dir.path() + QStringLiteral("/big.jpg");
        writePicture(big, 4000, 3000, "jpg");
        v.mnuStretch->setChecked(true);
        v.mnuRetainShape->setChecked(true);
        s.w.lblFileName->setText(big);
        s.w.DoLoadFullScreen();
        QCOMPARE(v.imgPreview->picture().natural, QSize(4000, 3000));
        const QSize device = v.imgPreview->size() * v.devicePixelRatioF();
        QVERIFY(v.imgPreview->picture().image.width() < 4000);
        // Exactly the element's pixels: nothing drawn blown up, nothing left to scale.
        QCOMPARE(v.imgPreview->picture().image.size(), device);
    }

    void picturesAtNaturalSizeDecodeOnlyWhatTheWindowShows()
    {
        Viewer s;
        frmPreview &v = s.v();
        const QString big = s.dir.path() + QStringLiteral("/big.jpg");
        writePicture(big, 4000, 3000, "jpg");
        s.w.lblFileName->setText(big);
        s.w.DoLoadFullScreen();
        const PictureElement *e = v.imgPreview;
        QCOMPARE(e->picture().natural, QSize(4000, 3000));
        // Cut to the window and centred as before; only the part inside is decoded.
        QCOMPARE(e->width(), v.windowWidth());
        QCOMPARE(e->height(), v.windowHeight());
        QVERIFY(e->picture().image.width() < 4000);
        QVERIFY(e->picture().image.width() >= int(v.windowWidth()));
        QVERIFY(e->picture().image.height() >= int(v.windowHeight()));
        QCOMPARE(e->picture().part.topLeft(), QPoint(0, 0));

        // Stretched afterwards without a new load: the whole picture is decoded again.
        v.mnuStretch_Click();
        v.imgPreview->grab();
        QVERIFY(e->picture().isWhole());
        QCOMPARE(e->picture().image.size(), e->size() * e->devicePixelRatioF());
    }
};

VIVREL_TEST_MAIN(TestViewer)
#include "tst_viewer.moc"
