#include "Controls.h"
#include "FakeSeams.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileList.h"
#include "catalogue/FileListView.h"
#include "chrome/frmVivrel.h"
#include "common/PictureElement.h"
#include "common/TriCheckBox.h"
#include "engine/PickHistory.h"
#include "engine/SlidePrefetcher.h"
#include "engine/Stepping.h"
#include "engine/UniformRandom.h"
#include "viewer/frmPreview.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

using namespace TestTrees;


/**
 * Writes `count` pictures p0.jpg, p1.jpg ... of distinct sizes into `folder`, lists them
 * all selected in `w` and sets the show to full screen. Returns their names.
 */
QStringList listSlides(frmVivrel &w, const QString &folder, int count)
{
    const MainControls c(w);
    QStringList names;
    for (int i = 0; i < count; ++i) {
        names << QStringLiteral("p%1.jpg").arg(i);
        TestTrees::writePicture(folder + u'/' + names.last(), 40 + 10 * i, 30, "jpg");
    }
    c.list->appendFolder(folder + u'/', names);
    c.File1->selectAllItems();
    c.chkFullScreen->setValue(1);
    return names;
}

class TestPrefetch : public QObject
{
    Q_OBJECT

    static Fitting::View someView()
    {
        Fitting::View view;
        view.windowWidth = 64;
        view.windowHeight = 48;
        view.stretchChecked = true;
        view.retainShapeChecked = true;
        return view;
    }

private slots:
    void peekedStepIsTheNextStep_data()
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

    void peekedStepIsTheNextStep()
    {
        QFETCH(bool, random);
        QFETCH(bool, repeat);
        QFETCH(int, every);
        QFETCH(int, n);
        const Stepping::List list{n, [every](qint64 i) { return i % every == 0; }};
        const Stepping::Options options{.random = random, .repeat = repeat};
        // One show peeks before every step, its twin never does: both must step alike.
        qint64 position = 0;
        qint64 twinPosition = 0;
        PickHistory history;
        PickHistory twinHistory;
        UniformRandom generator;
        UniformRandom twinGenerator;
        for (int step = 0; step < 3 * n; ++step) {
            const qint64 peeked =
                Stepping::peekForward(position, list, options, history, generator);
            const Stepping::Forward real =
                Stepping::forward(position, list, options, history, generator);
            const Stepping::Forward twin =
                Stepping::forward(twinPosition, list, options, twinHistory, twinGenerator);
            QCOMPARE(peeked, real.outcome == Stepping::Outcome::Show ? real.index : qint64(-1));
            QCOMPARE(real.outcome, twin.outcome);
            QCOMPARE(real.index, twin.index);
            QCOMPARE(position, twinPosition);
        }
    }

    void readyPictureIsHandedOutOnceForItsFileAndView()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/a.jpg");
        writePicture(path, 200, 100, "jpg");
        SlidePrefetcher prefetch;
        prefetch.request(path, someView());
        QTRY_VERIFY(prefetch.isReady(path));

        Fitting::View other = someView();
        other.retainShapeChecked = false;
        QVERIFY(!prefetch.take(path, other)); // another view: decoded for the wrong size
        QVERIFY(prefetch.isEmpty());

        prefetch.request(path, someView());
        QTRY_VERIFY(prefetch.isReady(path));
        QVERIFY(!prefetch.take(dir.path() + QStringLiteral("/b.jpg"), someView()));

        prefetch.request(path, someView());
        const std::optional<Result<Picture>> taken = prefetch.take(path, someView());
        QVERIFY(taken && taken->ok()); // waits for a decode under way
        QCOMPARE(taken->value().natural, QSize(200, 100));
        QCOMPARE(taken->value().image.size(), QSize(64, 32));
        QVERIFY(!prefetch.take(path, someView()));
    }

    void changedFileIsNotHandedOut_data()
    {
        QTest::addColumn<int>("change");
        QTest::newRow("rewritten") << 0;
        QTest::newRow("replaced by another file") << 1;
        QTest::newRow("deleted") << 2;
    }

    void changedFileIsNotHandedOut()
    {
        QFETCH(int, change);
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/a.jpg");
        writePicture(path, 200, 100, "jpg");
        SlidePrefetcher prefetch;
        prefetch.request(path, someView());
        QTRY_VERIFY(prefetch.isReady(path));
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
        QVERIFY(!prefetch.take(path, someView()));
    }

    void showDecodesTheNextSlideAheadAndForgetsItWhenTheListChanges()
    {
        FakeSeams fake;
        QTemporaryDir dir;
        frmVivrel w;
        const MainControls c(w);
        const QStringList names = listSlides(w, dir.path(), 3);
        w.Timer1_Timer();
        QTRY_VERIFY(w.prefetcher().isReady(c.list->fullPath(1)));

        // A new list: what was decoded for the old one goes, and the step loads afresh.
        const QString next = c.list->fullPath(1);
        writePicture(next, 90, 30, "jpg");
        c.list->appendFolder(dir.path() + u'/', {QStringLiteral("p0.jpg")});
        QVERIFY(w.prefetcher().isEmpty());
        w.Timer1_Timer();
        QCOMPARE(ViewerControls(w.viewer()).imgPreview->picture().natural, QSize(90, 30));
    }

    void showInRandomOrderUsesThePictureDecodedAhead()
    {
        FakeSeams fake;
        QTemporaryDir dir;
        frmVivrel w;
        const MainControls c(w);
        const QStringList names = listSlides(w, dir.path(), 6);
        c.chkRandom->setValue(1);
        w.Timer1_Timer();
        for (int step = 1; step < names.size(); ++step) {
            // Whatever was asked for ahead is what the next step shows.
            QTRY_VERIFY(!w.prefetcher().isBusy());
            QString ahead;
            for (const QString &name : names) {
                if (w.prefetcher().isReady(dir.path() + u'/' + name))
                    ahead = dir.path() + u'/' + name;
            }
            QVERIFY(!ahead.isEmpty());
            w.Timer1_Timer();
            QCOMPARE(c.lblFileName->text(), ahead);
        }
    }
};

VIVREL_TEST_MAIN(TestPrefetch)
#include "tst_prefetch.moc"
