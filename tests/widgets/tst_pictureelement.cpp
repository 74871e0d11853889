// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The picture element playing animated pictures: frames at their own delays, as often
// as the file says, drawn in both of the element's modes, and only while it is seen;
// showing more of a picture loaded in part, from what was loaded; and its place on
// whole pixels.

#include "TestSandbox.h"
#include "TestTrees.h"

#include "common/PictureLoader.h"
#include "widgets/PictureElement.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

using TestTrees::animatedGif;

namespace {

constexpr QRgb kRed = 0xffff0000;
constexpr QRgb kGreen = 0xff00ff00;
constexpr QRgb kBlue = 0xff0000ff;

/** A window with one element on it, on screen. */
struct Stage
{
    Stage()
    {
        window.resize(120, 90);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

    /** Writes `bytes` as a picture and gives it to the element. */
    void show(const QByteArray &bytes)
    {
        const QString path = dir.filePath(QStringLiteral("p%1.gif").arg(++files));
        TestTrees::writeAll(path, bytes);
        Result<Picture> loaded = PictureLoader::load(path, PictureLoader::kShowLimits);
        QVERIFY(loaded.ok());
        element->setPicture(std::move(*loaded));
    }

    QRgb shown() const { return element->picture().image.pixel(0, 0); }

    QTemporaryDir dir;
    int files = 0;
    QWidget window;
    PictureElement *element = new PictureElement(&window);
};

constexpr QRgb kYellow = 0xffffff00;
constexpr QRgb kQuarters[] = {kRed, kGreen, kBlue, kYellow}; // top left, top right, ...

/** What happens to a picture's file once it is on show. */
enum class Afterwards { Kept, Removed, Replaced, RewrittenInPlace };

} // namespace

class TestPictureElement : public QObject
{
    Q_OBJECT

private slots:
    void playsItsFramesInTurn()
    {
        Stage stage;
        QList<QRgb> drawn;
        connect(stage.element, &PictureElement::frameShown, this, [&] { drawn << stage.shown(); });
        stage.show(animatedGif({4, 3}, {kRed, kGreen, kBlue}));
        QCOMPARE(stage.shown(), kRed);
        QVERIFY(stage.element->isPlaying());
        QTRY_VERIFY(drawn.size() >= 4);
        QCOMPARE(drawn.mid(0, 4), (QList<QRgb>{kGreen, kBlue, kRed, kGreen}));
        // The frames change what is drawn, never the place the first one was given.
        QCOMPARE(stage.element->geometry(), QRect(0, 0, 4, 3));
    }

    void sitsOnWholePixels()
    {
        Stage stage;
        stage.element->setLeft(10.5f);
        stage.element->setTop(-2.5f);
        stage.element->setWidth(40.5f);
        stage.element->setHeight(-3.0f);
        QCOMPARE(stage.element->geometry(), QRect(11, -3, 41, 0));
    }

    void loopsAsTheFileSays_data()
    {
        QTest::addColumn<int>("loopBlock");
        QTest::addColumn<int>("frames");
        QTest::newRow("no loop block: once") << -1 << 1;
        QTest::newRow("two more passes") << 2 << 1 + 2 * 2;
    }

    void loopsAsTheFileSays()
    {
        QFETCH(int, loopBlock);
        QFETCH(int, frames);
        Stage stage;
        QSignalSpy shown(stage.element, &PictureElement::frameShown);
        stage.show(animatedGif({4, 3}, {kRed, kBlue}, 2, loopBlock));
        QTRY_VERIFY(!stage.element->isPlaying());
        QCOMPARE(shown.count(), frames);
        QCOMPARE(stage.shown(), kBlue); // the last frame stays
    }

    void aStillGifMakesNoTimer()
    {
        Stage stage;
        stage.show(animatedGif({4, 3}, {kRed}, 2, 0)); // one frame and a loop block
        stage.show(animatedGif({4, 3}, {kGreen}, 2, -1));
        QVERIFY(!stage.element->isPlaying());
        QVERIFY(!stage.element->findChild<QTimer *>());
    }

    void stretchedFramesFillTheElement()
    {
        Stage stage;
        stage.element->setStretch(true);
        stage.element->setWidth(60);
        stage.element->setHeight(30);
        QSignalSpy shown(stage.element, &PictureElement::frameShown);
        stage.show(animatedGif({4, 3}, {kRed, kBlue}, 2, -1));
        QTRY_COMPARE(shown.count(), 1);
        const QImage grab = stage.element->grab().toImage();
        QCOMPARE(grab.size(), QSize(60, 30));
        for (const QPoint at : {QPoint(1, 1), QPoint(58, 28), QPoint(30, 15)})
            QCOMPARE(grab.pixel(at), kBlue);
    }

    void stopsForAnotherPictureOrNone()
    {
        Stage stage;
        stage.show(animatedGif({4, 3}, {kRed, kBlue}));
        QVERIFY(stage.element->isPlaying());
        stage.show(animatedGif({4, 3}, {kGreen}, 2, -1));
        QVERIFY(!stage.element->isPlaying());
        QCOMPARE(stage.shown(), kGreen);

        stage.show(animatedGif({4, 3}, {kRed, kBlue}));
        QVERIFY(stage.element->isPlaying());
        stage.element->clearPicture();
        QVERIFY(!stage.element->isPlaying());
    }

    void playsOnlyWhileSeen()
    {
        Stage stage;
        stage.window.hide();
        stage.show(animatedGif({4, 3}, {kRed, kBlue}));
        QVERIFY(!stage.element->isPlaying());
        stage.window.show();
        QVERIFY(stage.element->isPlaying());
        stage.element->hide();
        QVERIFY(!stage.element->isPlaying());
        stage.element->show();
        QVERIFY(stage.element->isPlaying());
    }

    void showsMoreOfWhatWasLoaded_data()
    {
        QTest::addColumn<bool>("stretch"); // else: at natural size in a larger window
        QTest::addColumn<int>("afterwards");
        QTest::addColumn<bool>("contentKept");
        for (const bool stretch : {true, false}) {
            const char *mode = stretch ? "stretched" : "larger window";
            QTest::addRow("%s, file kept", mode) << stretch << int(Afterwards::Kept) << true;
            QTest::addRow("%s, file deleted", mode) << stretch << int(Afterwards::Removed) << true;
            QTest::addRow("%s, other picture in its place", mode)
                << stretch << int(Afterwards::Replaced) << true;
            QTest::addRow("%s, rewritten in place", mode)
                << stretch << int(Afterwards::RewrittenInPlace) << true;
            QTest::addRow("%s, content not kept, file kept", mode)
                << stretch << int(Afterwards::Kept) << false;
            QTest::addRow("%s, content not kept, other picture", mode)
                << stretch << int(Afterwards::RewrittenInPlace) << false;
        }
    }

    void showsMoreOfWhatWasLoaded()
    {
        QFETCH(bool, stretch);
        QFETCH(int, afterwards);
        QFETCH(bool, contentKept);
        QWidget window;
        window.resize(200, 150);
        auto *element = new PictureElement(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("big.jpg"));
        const QSize natural(400, 300);
        TestTrees::writeAll(path, TestTrees::quarteredJpeg(natural, kQuarters));

        // At natural size in the smaller window only its top-left quarter is decoded.
        Result<Picture> loaded = PictureLoader::load(path, PictureLoader::kShowLimits, [](QSize) {
            return DecodeTarget{QSize(), QRect(0, 0, 201, 151)};
        });
        QVERIFY(loaded);
        QVERIFY(!loaded->isWhole());
        QCOMPARE(loaded->encoded.isEmpty(), false);
        if (!contentKept)
            loaded->encoded.clear(); // as for a file too large to keep
        element->setPicture(std::move(*loaded));

        const QRgb others[] = {kBlue, kYellow, kRed, kGreen};
        switch (Afterwards(afterwards)) {
        case Afterwards::Kept:
            break;
        case Afterwards::Removed:
            QVERIFY(QFile::remove(path));
            break;
        case Afterwards::Replaced:
            QVERIFY(QFile::remove(path));
            TestTrees::writeAll(path, TestTrees::quarteredJpeg(natural, others));
            break;
        case Afterwards::RewrittenInPlace: {
            QThread::msleep(20); // past a tick of the file times' clock
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly)); // the same file, truncated
            file.write(TestTrees::quarteredJpeg(natural, others));
            break;
        }
        }

        if (stretch) {
            element->setStretch(true);
            element->setWidth(200);
            element->setHeight(150);
        } else {
            window.resize(400, 300);
            element->setWidth(400);
            element->setHeight(300);
        }
        const QImage grab = element->grab().toImage();
        const QSize size = grab.size() / grab.devicePixelRatio();
        const bool whole = contentKept || Afterwards(afterwards) == Afterwards::Kept;
        for (int i = 0; i < 4; ++i) {
            const QPoint at((i % 2 * 2 + 1) * size.width() / 4,
                            (i / 2 * 2 + 1) * size.height() / 4);
            const QRgb seen = grab.pixel(at * grab.devicePixelRatio());
            // The other picture never shows; without the rest, only the part loaded does.
            QVERIFY2(!TestTrees::nearColour(seen, others[i]),
                     qPrintable(QString::number(seen, 16)));
            if (whole || i == 0)
                QVERIFY2(TestTrees::nearColour(seen, kQuarters[i]),
                         qPrintable(QString::number(seen, 16)));
        }
    }
};

VIVREL_TEST_MAIN(TestPictureElement)
#include "tst_pictureelement.moc"
