// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ShowFixture.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "engine/SlideCache.h"
#include "viewer/ViewerScreen.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QToolButton>

using namespace TestTrees;

namespace {

// Two monitors of different sizes side by side, and a third of the second one's logical
// size at twice its pixel density.
constexpr char kScreens[] = R"({"screens": [
    {"name": "A", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96, "dpr": 1},
    {"name": "B", "x": 1280, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "dpr": 1},
    {"name": "C", "x": 3200, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "dpr": 2}
]})";

/** A shown main window with a 400 x 300 picture listed and selected. */
struct Desk : ShowFixture
{
    Desk() : ShowFixture({QStringLiteral("wide.jpg")})
    {
        writePicture(wide, 400, 300, "jpg");
        selectAll();
        c.chkFullScreen->setValue(1);
        typeInterval(QStringLiteral("0")); // a show that never ticks by itself
        w.show();
    }

    /** Moves the main window so that its top-left corner is at `corner`. */
    void moveTo(QPoint corner, const QString &expectedScreen)
    {
        w.move(corner);
        QTRY_COMPARE(w.screen()->name(), expectedScreen);
    }

    /** `file`, in a folder below, added to the list and shown alone. */
    void showAlone(const QString &file)
    {
        tickBox(c.chkAdditive, true);
        QVERIFY(listFolder(QFileInfo(file).path()));
        select({1});
        start();
    }

    const QString wide = path(0);
};

/** How far apart the grey levels of neighbouring pixels are, at most, across `image`'s middle. */
int sharpestStep(const QImage &image)
{
    int most = 0;
    const int y = image.height() / 2;
    for (int x = image.width() / 4; x < image.width() * 3 / 4; ++x)
        most = std::max(most, std::abs(qGray(image.pixel(x, y)) - qGray(image.pixel(x + 1, y))));
    return most;
}

} // namespace

class TestScreens : public QObject
{
    Q_OBJECT

private slots:
    void monitorHoldingMost_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<qsizetype>("expected");
        QTest::newRow("inside the first") << QRect(100, 100, 368, 293) << qsizetype(0);
        QTest::newRow("inside the second") << QRect(1400, 100, 368, 293) << qsizetype(1);
        QTest::newRow("across, mostly the second") << QRect(1180, 100, 368, 293) << qsizetype(1);
        QTest::newRow("across, mostly the first") << QRect(1000, 100, 368, 293) << qsizetype(0);
        QTest::newRow("across, equal parts") << QRect(1180, 100, 200, 293) << qsizetype(-1);
        QTest::newRow("on none") << QRect(9000, 9000, 368, 293) << qsizetype(-1);
        QTest::newRow("touching an edge only") << QRect(-368, 0, 368, 293) << qsizetype(-1);
    }

    void monitorHoldingMost()
    {
        QFETCH(QRect, frame);
        QFETCH(qsizetype, expected);
        const QList<QRect> monitors{QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
        QCOMPARE(ViewerScreen::holdingMost(frame, monitors), expected);
    }

    void showOpensOnTheMainWindowsMonitor()
    {
        Desk d;
        const ViewerControls vc(d.viewer());
        vc.mnuStretch->setChecked(true);
        vc.mnuRetainShape->setChecked(true);

        // Mostly on A, a little on B.
        d.moveTo(QPoint(1000, 100), QStringLiteral("A"));
        d.c.cmdResume->click();
        QCOMPARE(d.viewer().screen()->name(), QStringLiteral("A"));
        QCOMPARE(d.viewer().geometry(), QRect(0, 0, 1280, 1024));
        QVERIFY(d.viewer().isFullScreen());
        QCOMPARE(d.element(), QRectF(0, 32, 1280, 960)); // 4:3 across a 5:4 monitor

        // Closed, and the show resumed where the main window is now.
        d.viewer().close();
        d.moveTo(QPoint(1180, 100), QStringLiteral("B"));
        d.c.cmdResume->click(); // still says "Pause": now it says "Resume"
        d.c.cmdResume->click();
        QCOMPARE(d.viewer().screen()->name(), QStringLiteral("B"));
        QCOMPARE(d.viewer().geometry(), QRect(1280, 0, 1920, 1080));
        QCOMPARE(d.element(), QRectF(240, 0, 1440, 1080)); // 4:3 fitted to a 16:9 height

        // Resumed while the viewer is still up: it moves.
        d.moveTo(QPoint(100, 100), QStringLiteral("A"));
        d.c.cmdResume->click(); // pauses
        d.c.cmdResume->click();
        QCOMPARE(d.viewer().geometry(), QRect(0, 0, 1280, 1024));
        QVERIFY(d.viewer().isFullScreen());
        QCOMPARE(d.element(), QRectF(0, 32, 1280, 960));
    }

    void escapeIsTheViewersWhileItIsUp_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::newRow("list") << QStringLiteral("File1");
        QTest::newRow("start button") << QStringLiteral("cmdStart");
        QTest::newRow("interval box") << QStringLiteral("Text1");
    }

    void escapeIsTheViewersWhileItIsUp()
    {
        // A compositor may leave the keyboard with the main window when the viewer opens
        // (or hand it back): Escape then closes the viewer, and the program goes on.
        QFETCH(QString, focus);
        Desk d;
        d.c.cmdResume->click();
        QVERIFY(d.viewer().isVisible());
        QVERIFY(d.c.Timer1->isEnabled());
        auto *target = d.w.findChild<QWidget *>(focus);
        QVERIFY(target);
        d.w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d.w));
        target->setFocus();

        QTest::keyClick(target, Qt::Key_Escape);
        QVERIFY(!d.viewer().isVisible());
        QVERIFY(!d.c.Timer1->isEnabled());
        QVERIFY(d.fake.endProgramCalls.isEmpty());
        // The key still held: its repeats after the viewer has closed end nothing.
        qt_sendShortcutOverrideEvent(target, 0, Qt::Key_Escape, Qt::NoModifier, QString(), true);
        QVERIFY(d.fake.endProgramCalls.isEmpty());
        // A fresh press in the main window ends the program, as ever.
        QTest::keyClick(target, Qt::Key_Escape);
        QCOMPARE(d.fake.endProgramCalls, QList<int>{0});
    }

    void mainWindowOnNoMonitorKeepsItsOwn()
    {
        Desk d;
        d.moveTo(QPoint(1400, 100), QStringLiteral("B"));
        d.w.move(20000, 20000);
        d.viewer().showViewer();
        QCOMPARE(d.viewer().screen(), d.w.screen());
        QCOMPARE(d.viewer().geometry(), d.w.screen()->geometry());
    }

    void slideOnShowFollowsTheNewSize_data()
    {
        QTest::addColumn<bool>("stretch");
        QTest::addColumn<bool>("retainShape");
        QTest::addColumn<bool>("retainShapeClearedAfter");
        QTest::addColumn<QRectF>("onA");
        QTest::addColumn<QRectF>("onB");
        QTest::newRow("natural size: centred")
            << false << false << false << QRectF(440, 362, 400, 300) << QRectF(760, 390, 400, 300);
        QTest::newRow("stretched over the window: over the new one")
            << true << false << false << QRectF(0, 0, 1280, 1024) << QRectF(0, 0, 1920, 1080);
        QTest::newRow("retain shape: fitted again")
            << true << true << false << QRectF(0, 32, 1280, 960) << QRectF(240, 0, 1440, 1080);
        // Stretched over part of the window: the size carries over, centred.
        QTest::newRow("stretched over a part: same size, centred")
            << true << true << true << QRectF(0, 32, 1280, 960) << QRectF(320, 60, 1280, 960);
    }

    void slideOnShowFollowsTheNewSize()
    {
        QFETCH(bool, stretch);
        QFETCH(bool, retainShape);
        QFETCH(bool, retainShapeClearedAfter);
        QFETCH(QRectF, onA);
        QFETCH(QRectF, onB);
        Desk d;
        const ViewerControls vc(d.viewer());
        d.moveTo(QPoint(100, 100), QStringLiteral("A"));
        d.viewer().showViewer();
        if (stretch)
            vc.mnuStretch->trigger();
        vc.mnuRetainShape->setChecked(retainShape);
        d.start();
        QVERIFY(slideSettled(d.w));
        QCOMPARE(d.element(), onA);
        if (retainShapeClearedAfter)
            vc.mnuRetainShape->setChecked(false);

        d.moveTo(QPoint(1400, 100), QStringLiteral("B"));
        d.viewer().showViewer(); // no new slide: the one on show is placed again
        QCOMPARE(d.viewer().geometry(), QRect(1280, 0, 1920, 1080));
        QCOMPARE(d.element(), onB);
        QCOMPARE(vc.imgPreview->picture().natural, QSize(400, 300));
    }

    void largerMonitorShowsMoreOfACutPicture()
    {
        Desk d;
        const ViewerControls vc(d.viewer());
        const QString big = d.dir.path() + QStringLiteral("/more/big.jpg");
        writePicture(big, 2000, 1500, "jpg", 0x2060c0);
        d.moveTo(QPoint(100, 100), QStringLiteral("A"));
        d.viewer().showViewer();
        d.showAlone(big); // at natural size, cut to 1280 x 1024: only that much decoded

        d.moveTo(QPoint(1400, 100), QStringLiteral("B"));
        d.viewer().showViewer();
        QCOMPARE(d.element(), QRectF(0, 0, 1920, 1080));
        const QImage seen = vc.imgPreview->grab().toImage();
        const QColor corner = seen.pixelColor(1900, 1070); // beyond what A showed
        QVERIFY2(qAbs(corner.blue() - 0xc0) < 16 && qAbs(corner.red() - 0x20) < 16,
                 qPrintable(corner.name()));
    }

    void stretchedSlidesKeepDetailAtDoubleDensity()
    {
        Desk d;
        const ViewerControls vc(d.viewer());
        // One-pixel stripes at exactly the monitor's device size: drawn pixel for pixel
        // they stay black and white; decoded or scaled for logical pixels they turn grey.
        QImage stripes(3840, 2160, QImage::Format_RGB32);
        for (int x = 0; x < stripes.width(); ++x)
            for (int y = 0; y < stripes.height(); ++y)
                stripes.setPixel(x, y, (x + y) % 2 ? 0xffffffff : 0xff000000);
        const QString fine = d.dir.path() + QStringLiteral("/more/fine.bmp");
        QVERIFY(QDir().mkpath(d.dir.path() + QStringLiteral("/more")));
        QVERIFY(stripes.save(fine, "BMP"));

        d.moveTo(QPoint(3300, 100), QStringLiteral("C"));
        d.viewer().showViewer();
        vc.mnuStretch->trigger();
        d.showAlone(fine);
        QCOMPARE(d.element(), QRectF(0, 0, 1920, 1080));

        const QImage seen = vc.imgPreview->grab().toImage();
        QCOMPARE(seen.size(), QSize(3840, 2160));
        QCOMPARE(sharpestStep(seen), 255);
    }

    void photosDecodeAtDeviceSize_data()
    {
        QTest::addColumn<QString>("monitor");
        QTest::addColumn<QPoint>("corner");
        QTest::addColumn<QSize>("decoded");
        QTest::newRow("ordinary density") << "B" << QPoint(1400, 100) << QSize(1920, 1080);
        QTest::newRow("double density") << "C" << QPoint(3300, 100) << QSize(3840, 2160);
    }

    void photosDecodeAtDeviceSize()
    {
        QFETCH(QString, monitor);
        QFETCH(QPoint, corner);
        QFETCH(QSize, decoded);
        Desk d;
        const ViewerControls vc(d.viewer());
        const QString photo = d.dir.path() + QStringLiteral("/photo.jpg");
        writePicture(photo, 4000, 3000, "jpg");
        d.c.list->appendFolder(d.dir.path() + u'/', {QStringLiteral("photo.jpg")});
        d.c.File1->selectAllItems();
        vc.mnuStretch->trigger();

        d.moveTo(corner, monitor);
        d.c.cmdResume->click(); // the first slide, kept as decoded for this view
        QTRY_VERIFY(!d.w.slideCache().isBusy());
        QVERIFY(d.w.slideCache().holds(photo));
        vc.mnuNext->trigger();
        QCOMPARE(d.c.lblFileName->text(), photo);
        QCOMPARE(vc.imgPreview->picture().natural, QSize(4000, 3000));
        QCOMPARE(vc.imgPreview->picture().image.size(), decoded);
    }

    void artworkFollowsTheMonitorsDensity()
    {
        Desk d;
        QLabel *banner = control<QLabel>(d.w, "Image1");
        const auto ratios = [&] {
            return QList<qreal>{
                banner->pixmap().devicePixelRatio(),
                d.c.cmdStart->icon().pixmap(d.c.cmdStart->iconSize(), 2.0).devicePixelRatio(),
                d.w.grab().devicePixelRatio()};
        };
        d.moveTo(QPoint(100, 100), QStringLiteral("A"));
        QCOMPARE(ratios(), (QList<qreal>{1, 1, 1}));
        d.moveTo(QPoint(3300, 100), QStringLiteral("C"));
        QTRY_COMPARE(ratios(), (QList<qreal>{2, 2, 2}));
        QCOMPARE(banner->pixmap().size(), banner->size() * 2);
        d.moveTo(QPoint(100, 100), QStringLiteral("A"));
        QTRY_COMPARE(ratios(), (QList<qreal>{1, 1, 1}));
    }
};

VIVREL_TEST_MAIN_ON_SCREENS(TestScreens, kScreens)
#include "tst_screens.moc"
