// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ShowFixture.h"
#include "TestSandbox.h"
#include "TestTrees.h"
#include "hostile/BadPictures.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "common/JpegLayout.h"
#include "engine/PickHistory.h"
#include "engine/SlideCache.h"
#include "engine/Stepping.h"
#include "engine/UniformRandom.h"
#include "widgets/PictureElement.h"
#include "widgets/TriCheckBox.h"

#include <QBuffer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>

#include <algorithm>
#include <vector>

using namespace TestTrees;

namespace {

Fitting::View someView()
{
    Fitting::View view;
    view.windowWidth = 64;
    view.windowHeight = 48;
    view.stretchChecked = true;
    view.retainShapeChecked = true;
    return view;
}

/** take(), and when the slide is not there yet, take() again once the cache says it is. */
Result<Picture> takeNow(SlideCache &cache, const QString &path, const Fitting::View &view)
{
    if (std::optional<Result<Picture>> ready = cache.take(path, view))
        return *ready;
    QSignalSpy ready(&cache, &SlideCache::slideReady);
    if (!ready.wait(20000))
        return Error::InvalidPicture;
    std::optional<Result<Picture>> now = cache.take(path, view);
    return now ? *now : Result<Picture>(Error::InvalidPicture);
}

/** What a 200x100 picture takes once decoded for someView(): 64x32 pixels. */
constexpr qint64 kDecoded = 64 * 32 * 4;
/** What it takes while it is decoded: libjpeg makes it 100x50 before it is scaled down. */
constexpr qint64 kDecoding = 100 * 50 * 4;

/**
 * A main window showing p0.jpg, p1.jpg ... full screen, started with its button and
 * driven by the viewer's keys. Picture i is 40 + 10 i pixels wide, so the width tells
 * which it is.
 */
struct Show : ShowFixture
{
    explicit Show(int count, const QList<int> &unselected = {}, bool random = false)
        : ShowFixture(pictureNames(count))
    {
        c.File1->selectAllItems();
        for (int i : unselected)
            c.File1->setSelected(i, false);
        c.chkFullScreen->setValue(1);
        c.chkRandom->setValue(random ? 1 : 0);
        // No period: the show moves only when a key says so.
        typeInterval(QStringLiteral("0"));
        start();
        // The first slide is decoded cold, off the window thread.
        settled = slideSettled(w);
    }

    QString caption() const { return c.lblFileName->text(); }
    const SlideCache &cache() const { return w.slideCache(); }
    /** The picture the viewer shows, by its width; -1 for none. */
    int shown() { return ShowFixture::shown(v().imgPreview); }

    bool settled = false;
};

/** a.jpg to d.jpg in `folder`, 200x100 each. */
QStringList fourPictures(const QString &folder)
{
    QStringList paths;
    for (char name : {'a', 'b', 'c', 'd'}) {
        paths << folder + u'/' + QLatin1Char(name) + QStringLiteral(".jpg");
        writePicture(paths.last(), 200, 100, "jpg");
    }
    return paths;
}

} // namespace

class TestPrefetch : public QObject
{
    Q_OBJECT

private slots:
    void peekedStepsAreTheNextSteps_data()
    {
        QTest::addColumn<bool>("random");
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<int>("every"); // every how manyth item is selected
        QTest::addColumn<int>("n");
        QTest::newRow("in order, all") << false << false << 1 << 7;
        QTest::newRow("in order, gaps, repeat") << false << true << 3 << 10;
        QTest::newRow("random, all") << true << false << 1 << 50;
        QTest::newRow("random, gaps, repeat") << true << true << 4 << 50;
        QTest::newRow("random, one selected, repeat") << true << true << 1000 << 9;
    }

    void peekedStepsAreTheNextSteps()
    {
        QFETCH(bool, random);
        QFETCH(bool, repeat);
        QFETCH(int, every);
        QFETCH(int, n);
        const Stepping::List list{n, [every](qint64 i) { return i % every == 0; }};
        const Stepping::Options options{.random = random, .repeat = repeat};
        // The twin never peeks; what it shows is what the peeks must have foretold, and
        // the show that peeks must step exactly as it does.
        std::vector<qint64> twinShows;
        std::vector<qint64> twinPositions;
        {
            qint64 position = 0;
            PickHistory history;
            UniformRandom generator;
            for (int step = 0; step < 4 * n; ++step) {
                const Stepping::Forward f =
                    Stepping::forward(position, list, options, history, generator);
                twinShows.push_back(f.outcome == Stepping::Outcome::Show ? f.index : -1);
                twinPositions.push_back(position);
            }
        }
        qint64 position = 0;
        PickHistory history;
        UniformRandom generator;
        for (int step = 0; step < 3 * n; ++step) {
            const std::vector<qint64> peeked =
                Stepping::peekForward(position, list, options, history, generator, 2);
            QList<qint64> foretold;
            for (int later = step; later < 4 * n && foretold.size() < 2; ++later) {
                if (twinShows[later] >= 0)
                    foretold << twinShows[later];
            }
            QCOMPARE(QList<qint64>(peeked.begin(), peeked.end()), foretold);
            const Stepping::Forward real =
                Stepping::forward(position, list, options, history, generator);
            QCOMPARE(real.outcome == Stepping::Outcome::Show ? real.index : -1, twinShows[step]);
            QCOMPARE(position, twinPositions[step]);
        }
    }

    void keptPictureServesItsFileAndTheViewsThatDecodeIt()
    {
        QTemporaryDir dir;
        const QString a = dir.path() + QStringLiteral("/a.jpg");
        const QString b = dir.path() + QStringLiteral("/b.jpg");
        writePicture(a, 200, 100, "jpg");
        writePicture(b, 200, 100, "jpg");
        SlideCache cache;
        cache.setBudget(SlideCache::budgetFor(someView()));
        cache.plan(someView(), a, {b});
        QTRY_VERIFY(cache.holds(b));
        QVERIFY(!cache.holds(a)); // the one on screen is the caller's to load

        Result<Picture> taken = takeNow(cache, b, someView());
        QVERIFY(taken.ok());
        QCOMPARE(taken->natural, QSize(200, 100));
        QCOMPARE(taken->image.size(), QSize(64, 32));
        // Where the element stands makes no difference when the shape is kept.
        Fitting::View moved = someView();
        moved.left = 7;
        moved.width = 13;
        QVERIFY(takeNow(cache, b, moved).ok());
        QCOMPARE(cache.coldLoads(), 0);

        // Stretched without the shape kept: other pixels, decoded afresh.
        Fitting::View other = someView();
        other.retainShapeChecked = false;
        other.width = 64;
        other.height = 48;
        Result<Picture> again = takeNow(cache, b, other);
        QCOMPARE(cache.coldLoads(), 1);
        QCOMPARE(again->image.size(), QSize(64, 48));
        // Both are kept, so going back to the first view costs nothing.
        QVERIFY(takeNow(cache, b, someView()).ok());
        QCOMPARE(cache.coldLoads(), 1);
    }

    void changedFileIsNotServed_data()
    {
        QTest::addColumn<int>("change");
        QTest::newRow("rewritten") << 0;
        QTest::newRow("replaced by another file") << 1;
        QTest::newRow("deleted") << 2;
    }

    void changedFileIsNotServed()
    {
        QFETCH(int, change);
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/a.jpg");
        writePicture(path, 200, 100, "jpg");
        SlideCache cache;
        cache.setBudget(SlideCache::budgetFor(someView()));
        QVERIFY(takeNow(cache, path, someView()).ok());
        if (change == 0) {
            writePicture(path, 120, 100, "jpg");
        } else if (change == 1) {
            const QString other = dir.path() + QStringLiteral("/b.jpg");
            writePicture(other, 200, 100, "jpg");
            QVERIFY(QFile::remove(path));
            QVERIFY(QFile::rename(other, path));
        } else {
            QVERIFY(QFile::remove(path));
        }
        const Result<Picture> now = takeNow(cache, path, someView());
        QCOMPARE(cache.coldLoads(), 2);
        QCOMPARE(now.ok(), change != 2);
        if (change == 0)
            QCOMPARE(now->natural, QSize(120, 100));
    }

    void budgetKeepsWhatIsNearest()
    {
        QTemporaryDir dir;
        const QStringList paths = fourPictures(dir.path());
        SlideCache cache;
        // Room for three decoded pictures, the third only if the decode's working memory
        // is counted against the first two alone; not for a fourth.
        const qint64 budget = 2 * kDecoded + kDecoding;
        cache.setBudget(budget);
        QVERIFY(takeNow(cache, paths[0], someView()).ok());
        cache.plan(someView(), paths[0], {paths[1], paths[2], paths[3]});
        QTRY_VERIFY(!cache.isBusy());
        QVERIFY(cache.holds(paths[1]) && cache.holds(paths[2]));
        QVERIFY(!cache.holds(paths[3])); // furthest: does not fit
        QCOMPARE(cache.heldBytes(), 3 * kDecoded);

        // The show moved: what is now furthest away makes room for what is near.
        cache.plan(someView(), paths[2], {paths[3], paths[1], paths[0]});
        QTRY_VERIFY(cache.holds(paths[3]));
        QTRY_VERIFY(!cache.isBusy());
        QVERIFY(!cache.holds(paths[0]));
        QVERIFY(cache.holds(paths[1]) && cache.holds(paths[2]));
        QVERIFY(cache.heldBytes() <= budget);
        QCOMPARE(cache.coldLoads(), 1);

        // A BMP is decoded whole, far beyond what the screen needs: it is not kept, and
        // not decoded over and over while the show stays where it is.
        const QString big = dir.path() + QStringLiteral("/big.bmp");
        writePicture(big, 400, 400, "bmp");
        cache.plan(someView(), paths[2], {big});
        QTRY_VERIFY(!cache.isBusy());
        QVERIFY(!cache.holds(big));
        QVERIFY(cache.heldBytes() <= budget);
    }

    void decodeNeedsRoomForItsWorkingMemory()
    {
        QTemporaryDir dir;
        QStringList paths;
        for (char name : {'a', 'b', 'c'}) {
            paths << dir.path() + u'/' + QLatin1Char(name) + QStringLiteral(".jpg");
            writePicture(paths.last(), 200, 100, "jpg");
        }
        SlideCache cache;
        // The third picture would fit once decoded, but not while it is.
        cache.setBudget(2 * kDecoded + kDecoding - 1);
        QVERIFY(takeNow(cache, paths[0], someView()).ok());
        cache.plan(someView(), paths[0], {paths[1], paths[2]});
        QTRY_VERIFY(!cache.isBusy());
        QVERIFY(cache.holds(paths[1]));
        QVERIFY(!cache.holds(paths[2]));
        QCOMPARE(cache.heldBytes(), 2 * kDecoded);

        cache.setBudget(2 * kDecoded + kDecoding);
        QTRY_VERIFY(cache.holds(paths[2]));
        QTRY_VERIFY(!cache.isBusy());
        QCOMPARE(cache.heldBytes(), 3 * kDecoded);
        QCOMPARE(cache.coldLoads(), 1);
    }

    void progressiveDecodeCountsItsCoefficients()
    {
        // A progressive file's decoder keeps the coefficients of the whole picture for
        // the whole decode, whatever size it decodes to.
        QTemporaryDir dir;
        const QByteArray progressive = BadPictures::jpeg(QSize(200, 100), true);
        QBuffer header;
        header.setData(progressive);
        header.open(QIODevice::ReadOnly);
        const qint64 coefficients = JpegLayout::walk(header).bufferBytes;
        QVERIFY(coefficients > kDecoding);
        QStringList paths;
        for (char name : {'a', 'b', 'c'}) {
            paths << dir.path() + u'/' + QLatin1Char(name) + QStringLiteral(".jpg");
            QVERIFY(BadPictures::writeBytes(paths.last(), progressive));
        }
        SlideCache cache;
        cache.setBudget(2 * kDecoded + kDecoding + coefficients - 1);
        QVERIFY(takeNow(cache, paths[0], someView()).ok());
        cache.plan(someView(), paths[0], {paths[1], paths[2]});
        QTRY_VERIFY(!cache.isBusy());
        QVERIFY(cache.holds(paths[1]));
        QVERIFY(!cache.holds(paths[2]));
        QCOMPARE(cache.heldBytes(), 2 * kDecoded);

        cache.setBudget(2 * kDecoded + kDecoding + coefficients);
        QTRY_VERIFY(cache.holds(paths[2]));
        QTRY_VERIFY(!cache.isBusy());
        QCOMPARE(cache.heldBytes(), 3 * kDecoded);
    }

    void requestsOvertakenByTheShowAreNotDecoded()
    {
        QTemporaryDir dir;
        const QStringList paths = fourPictures(dir.path());
        SlideCache cache;
        // No room yet: the first plan's requests wait, and the second one replaces them.
        cache.plan(someView(), paths[0], {paths[1], paths[2]});
        cache.plan(someView(), paths[0], {paths[3]});
        cache.setBudget(SlideCache::budgetFor(someView()));
        QTRY_VERIFY(cache.holds(paths[3]));
        QTRY_VERIFY(!cache.isBusy());
        QVERIFY(!cache.holds(paths[1]) && !cache.holds(paths[2]));
    }

    void stepsEitherWayAreServedFromTheCache()
    {
        Show s(6);
        QVERIFY(s.settled);
        QVERIFY(s.w.viewer().isVisible());
        QCOMPARE(s.shown(), 0);
        QTRY_VERIFY(s.cache().holds(s.path(1)) && s.cache().holds(s.path(2)));
        const int cold = s.cache().coldLoads(); // the first slide, as nothing was ahead

        s.press(Qt::Key_Right);
        QCOMPARE(s.shown(), 1);
        s.press(Qt::Key_Left); // the slide on screen again, and the show pauses
        QCOMPARE(s.shown(), 1);
        QTRY_VERIFY(s.cache().holds(s.path(0)));
        s.press(Qt::Key_Left);
        QCOMPARE(s.shown(), 0);
        QTRY_VERIFY(!s.cache().isBusy());
        for (int expected : {0, 1, 2}) { // Right pressed as fast as it goes
            s.press(Qt::Key_Right);
            QCOMPARE(s.shown(), expected);
            QCOMPARE(s.caption(), s.path(expected));
        }
        QCOMPARE(s.cache().coldLoads(), cold);

        // A view changed and changed back finds its picture still there.
        const ViewerControls v(s.w.viewer());
        v.mnuStretch->trigger();     // Retain Shape is offered only with Stretch
        v.mnuRetainShape->trigger(); // stretched, shape kept: decoded afresh
        QCOMPARE(s.cache().coldLoads(), cold + 1);
        QVERIFY(slideSettled(s.w));
        v.mnuStretch->trigger(); // natural size again
        QCOMPARE(s.shown(), 2);
        QCOMPARE(s.cache().coldLoads(), cold + 1);
    }

    void randomOrderIsTheSameWithTheCache()
    {
        // What the show's own stepping gives over this list, with nothing peeking ahead.
        const QList<int> unselected{5};
        const Stepping::List list{12, [&](qint64 i) { return !unselected.contains(int(i)); }};
        PickHistory history;
        UniformRandom generator;
        qint64 position = 0;
        QList<qint64> expected;
        for (int step = 0; step < 12; ++step) {
            const Stepping::Forward f =
                Stepping::forward(position, list, {.random = true}, history, generator);
            if (f.outcome == Stepping::Outcome::Show)
                expected << f.index;
        }
        QCOMPARE(expected.size(), 11);
        QVERIFY(!std::is_sorted(expected.begin(), expected.end()));

        Show s(12, unselected, true);
        QList<qint64> seen{s.shown()};
        const int cold = s.cache().coldLoads(); // the first slide
        while (seen.size() < expected.size()) {
            QTRY_VERIFY(!s.cache().isBusy()); // all it peeked at decoded before the step
            s.press(Qt::Key_Right);
            seen << s.shown();
        }
        QCOMPARE(seen, expected);
        // And every draw was foretold: each slide was decoded ahead, none on the step.
        QCOMPARE(s.cache().coldLoads(), cold);
    }

    void newListClearsTheCache()
    {
        Show s(3);
        QTRY_VERIFY(s.cache().holds(s.path(1)));
        // The same name with another picture, listed anew: nothing of the old list stays.
        writePicture(s.path(1), 90, 30, "jpg");
        s.c.list->appendFolder(s.dir.path() + u'/',
                               {QStringLiteral("p0.jpg"), QStringLiteral("p1.jpg")});
        QVERIFY(!s.cache().holds(s.path(0)) && !s.cache().holds(s.path(1)));
        s.c.File1->selectAllItems();
        s.press(Qt::Key_Right);
        QCOMPARE(s.caption(), s.path(1));
        QVERIFY(slideSettled(s.w));
        QCOMPARE(s.shown(), 5); // 90 wide
    }
};

VIVREL_TEST_MAIN(TestPrefetch)
#include "tst_prefetch.moc"
