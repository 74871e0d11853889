// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Whole shows across a folder of broken and hostile picture files.

#include "BadPictures.h"
#include "ShowFixture.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "common/PictureLoader.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLoggingCategory>
#include <QSignalSpy>

#include <memory>

using BadPictures::Expect;

namespace {} // namespace

class TestBadPictures : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> mDir;
    QHash<QString, BadPictures::Item> mItems;

private slots:
    void initTestCase()
    {
        // The decoder's complaints about each broken file would drown the report.
        QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio.jpeg=false"));
        mDir = std::make_unique<QTemporaryDir>();
        for (const BadPictures::Item &item : BadPictures::make(mDir->path()))
            mItems.insert(item.name, item);
        QVERIFY(mItems.size() > 25);
    }

    void loaderAlone()
    {
        // Each file straight through the loader: what the show below relies on.
        for (const BadPictures::Item &item : std::as_const(mItems)) {
            const Result<Picture> r = PictureLoader::load(
                mDir->path() + u'/' + item.name, PictureLoader::kShowLimits, QSize(800, 600));
            const Picture picture = r ? *r : Picture();
            if (item.expect == Expect::Shows) {
                QVERIFY2(r.ok(), qPrintable(item.name + QStringLiteral(": ") +
                                            (r ? QString() : errorText(r.error()))));
                QCOMPARE(picture.natural, item.natural);
            } else if (item.expect == Expect::Invalid) {
                QVERIFY2(!r.ok(), qPrintable(item.name));
            }
            // Whatever decodes is decoded near the size it is shown at.
            QVERIFY2(qint64(picture.image.width()) * picture.image.height() <= 4096 * 4096,
                     qPrintable(item.name));
        }
    }

    void fullShow_data()
    {
        QTest::addColumn<bool>("fullScreen");
        QTest::addColumn<bool>("random");
        QTest::addColumn<bool>("stretch");
        QTest::newRow("pane, in order") << false << false << false;
        QTest::newRow("pane, random") << false << true << false;
        QTest::newRow("full screen, in order") << true << false << false;
        QTest::newRow("full screen, random") << true << true << false;
        QTest::newRow("full screen, stretched, in order") << true << false << true;
        QTest::newRow("full screen, stretched and shaped, random") << true << true << true;
    }

    void fullShow()
    {
        QFETCH(bool, fullScreen);
        QFETCH(bool, random);
        QFETCH(bool, stretch);
        ShowFixture s(QStringList{});
        frmVivrel &w = s.w;
        const MainControls &c = s.c;
        QVERIFY(s.listFolder(mDir->path()));
        QStringList listed;
        for (qsizetype i = 0; i < c.list->count(); ++i)
            listed << QFileInfo(c.list->fullPath(i)).fileName();
        for (const BadPictures::Item &item : std::as_const(mItems))
            QCOMPARE(listed.contains(item.name), item.listed);
        // What the scan left out may still be met when a name changes after the scan.
        QStringList unlisted;
        for (const BadPictures::Item &item : std::as_const(mItems)) {
            if (!item.listed)
                unlisted << item.name;
        }
        c.list->appendFolder(mDir->path() + u'/', unlisted);
        s.selectAll();
        const qsizetype n = c.list->count();
        QCOMPARE(n, mItems.size());

        c.chkFullScreen->setValue(fullScreen ? 1 : 0);
        c.chkRandom->setValue(random ? 1 : 0);
        c.chkRepeat->setValue(0);
        ViewerControls(w.viewer()).mnuStretch->setChecked(stretch);
        ViewerControls(w.viewer()).mnuRetainShape->setChecked(stretch && random);
        // Switching the pane on previews the current item, which may show a box of its
        // own; let it be one that loads, so every box below would come from the show.
        c.File1->setCurrentRow(listed.indexOf(QStringLiteral("00-good.jpg")));
        QVERIFY(slideSettled(w));
        const PictureElement *element =
            fullScreen ? ViewerControls(w.viewer()).imgPreview : c.imgPreview;

        // Natural size of the picture on show before the step. A show in the pane starts on
        // the preview of the current item, which a first slide that does not load leaves.
        QSize before = fullScreen ? QSize() : mItems[QStringLiteral("00-good.jpg")].natural;
        QSet<QString> seen;
        int animated = 0; // animations seen playing
        const auto check = [&]() {
            // Each slide is read and decoded off the window thread.
            QVERIFY(slideSettled(w));
            const QString path = c.lblFileName->text();
            const QString name = QFileInfo(path).fileName();
            QVERIFY2(mItems.contains(name), qPrintable(path));
            QVERIFY2(!seen.contains(name), qPrintable(name));
            seen.insert(name);
            QCOMPARE(w.viewer().caption(), path);
            QCOMPARE(w.showPosition(), seen.size());
            const BadPictures::Item &item = mItems[name];
            const QSize now = element->hasPicture() ? element->picture().natural : QSize();
            if (item.expect == Expect::Shows)
                QVERIFY2(now == item.natural, qPrintable(name));
            else if (item.expect == Expect::Invalid)
                QVERIFY2(now == before, qPrintable(name));
            // A picture that is only ever seen scaled down is decoded near that size;
            // at natural size it is decoded whole, within the loader's limits.
            if (element->hasPicture()) {
                const QImage &image = element->picture().image;
                const qint64 pixels = qint64(image.width()) * image.height();
                QVERIFY2(pixels <= (fullScreen && !stretch ? PictureLoader::kShowLimits.maxPixels
                                                           : 4096 * 4096),
                         qPrintable(name));
            }
            // An animation plays while it is the slide, at least to its next frame (or to
            // the end of a file cut short), without moving the show or the picture. One
            // left on show by a slide that does not load plays no more.
            if (element->isPlaying()) {
                QSignalSpy frames(element, &PictureElement::frameShown);
                QTRY_VERIFY2(frames.count() >= 1 || !element->isPlaying(), qPrintable(name));
                QCOMPARE(w.showPosition(), seen.size());
                QCOMPARE(element->picture().natural, now);
                ++animated;
            }
            before = now;
        };

        // The pane plays animations only when the window is on screen.
        if (!fullScreen) {
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
        }
        s.start();
        QVERIFY(c.Timer1->isEnabled());
        check();
        for (int step = 1; step < n; ++step) {
            s.tick();
            check();
            if (QTest::currentTestFailed())
                return;
        }
        QCOMPARE(seen.size(), n);
        QCOMPARE(animated, 4);
        QVERIFY(c.Timer1->isEnabled());
        s.tick(); // the pass is over
        QVERIFY(!c.Timer1->isEnabled());
        QCOMPARE(w.showPosition(), n);
        // Bad files are passed over in silence during a show.
        QVERIFY(s.fake.messages.isEmpty());
        QCOMPARE(w.viewer().isVisible(), fullScreen);
    }

    void previousAcrossTheCorpus()
    {
        // Stepping back meets every file too, always in the viewer.
        ShowFixture s(QStringList{});
        frmVivrel &w = s.w;
        const MainControls &c = s.c;
        QVERIFY(s.listFolder(mDir->path()));
        s.selectAll();
        c.chkFullScreen->setValue(1);
        s.start();
        while (w.showPosition() < c.list->count())
            s.tick();
        qint64 position = w.showPosition();
        while (true) {
            s.trigger(s.v().mnuPrev);
            if (w.showPosition() == position)
                break;
            QCOMPARE(w.showPosition(), position - 1);
            QCOMPARE(c.lblFileName->text(), c.list->fullPath(w.showPosition()));
            position = w.showPosition();
        }
        QCOMPARE(position, 0);
        QVERIFY(!c.Timer1->isEnabled());
        QVERIFY(ViewerControls(w.viewer()).mnuPause->isChecked());
        QVERIFY(s.fake.messages.isEmpty());
    }
};

VIVREL_TEST_MAIN(TestBadPictures)
#include "tst_badpictures.moc"
