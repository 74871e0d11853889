// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FakeSeams.h"
#include "GifWriter.h"
#include "PortableSetup.h"
#include "TestSandbox.h"
#include "TestTrees.h"
#include "hostile/BadPictures.h"

#include "advert/AdvertPage.h"
#include "common/FrameReader.h"
#include "common/JpegLayout.h"
#include "common/Module1.h"
#include "common/OpenWithAssociatedProgram.h"
#include "common/PictureLoader.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

using namespace TestTrees;
using PictureLoader::kShowLimits;
using namespace Qt::StringLiterals;

namespace {

QString describe(const Result<Picture> &result)
{
    return result ? QString() : errorText(result.error());
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

/** A JPEG stored `width` x `height` whose EXIF says to turn it a quarter clockwise. */
QByteArray turnedJpeg(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "jpeg");
    // APP1 "Exif", big-endian TIFF with one entry: Orientation (0x0112) = 6.
    jpeg.insert(2, QByteArray::fromHex("FFE10022457869660000"
                                       "4D4D002A00000008"
                                       "0001"
                                       "011200030000000100060000"
                                       "00000000"));
    return jpeg;
}

/** A real JPEG whose frame header claims `width` x `height`. */
QByteArray jpegClaiming(const QByteArray &jpeg, quint16 width, quint16 height)
{
    QByteArray patched = jpeg;
    const qsizetype sof = patched.indexOf("\xff\xc0");
    if (sof < 0)
        return QByteArray();
    patched[sof + 5] = char(height >> 8);
    patched[sof + 6] = char(height & 0xff);
    patched[sof + 7] = char(width >> 8);
    patched[sof + 8] = char(width & 0xff);
    return patched;
}

QImage solid(QSize size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

constexpr QRgb kRed = 0xffff0000;
constexpr QRgb kGreen = 0xff00ff00;
constexpr QRgb kBlue = 0xff0000ff;

/** Red, green and blue frames of 6 x 4 for `delays` (hundredths) and a loop block of `loops`. */
QByteArray rgbGif(int loops, QList<int> delays = {2, 3, 4})
{
    GifWriter::Animation animation{.screen = QSize(), .loops = loops, .frames = {}};
    const QRgb colours[] = {kRed, kGreen, kBlue};
    for (qsizetype i = 0; i < delays.size(); ++i)
        animation.frames.append({solid({6, 4}, colours[i % 3]), {}, delays[i]});
    return GifWriter::write(animation);
}

QString colourName(const QImage &image)
{
    const QRgb c = image.pixel(0, 0);
    return c == kRed     ? QStringLiteral("R")
           : c == kGreen ? QStringLiteral("G")
           : c == kBlue  ? QStringLiteral("B")
                         : QColor(c).name();
}

/** The first `most` frames a reader of `picture` gives, as colour letters and delays. */
QStringList framesOf(const Picture &picture, int most)
{
    QStringList frames;
    FrameReader reader(picture.animation);
    while (frames.size() < most) {
        const std::optional<FrameReader::Frame> frame = reader.next();
        if (!frame)
            break;
        frames << colourName(frame->image) + QString::number(frame->delay);
    }
    return frames;
}

} // namespace

class TestPictureLoader : public QObject
{
    Q_OBJECT

    QTemporaryDir mDir;

    QString at(QAnyStringView name) const { return mDir.path() + u'/' + name.toString(); }

private slots:
    void initTestCase()
    {
        QVERIFY(mDir.isValid());
        writePicture(at("real.jpg"), 64, 48, "jpg");
        writePicture(at("real.bmp"), 30, 20, "bmp");
        writeBytes(at("real.gif"), GifWriter::write(solid({12, 34}, 0xff3366ff)));
        writePicture(at("png.jpg"), 10, 10, "png");
        QVERIFY(QFile::copy(at("real.jpg"), at("jpeg named.gif")));
        writeBytes(at("text.jpg"), "just some text, not a picture\n");
        writeBytes(at("empty.bmp"), QByteArray());
        writeBytes(at("truncated.jpg"), readAll(at("real.jpg")).left(40));
        writeBytes(at("turned.jpg"), turnedJpeg(40, 20));
        writeBytes(at("huge.jpg"), jpegClaiming(readAll(at("real.jpg")), 60000, 60000));
        writePicture(at("big.jpg"), 1600, 1200, "jpg");
        // The corpus is named from the tests' folder, not from this file's: built through
        // ccache with a base_dir, this file's own name is relative and Qt misplaces it.
        // A GIF header of a few bytes that claims a screen of 18759 x 12358 pixels.
        writeBytes(at("huge-screen.gif"),
                   readAll(QFINDTESTDATA("../fuzz/corpus/picture/gif-huge-screen.gif")));
        // The same screen claimed over a frame of a few pixels.
        writeBytes(
            at("huge-screen-small-frame.gif"),
            readAll(QFINDTESTDATA("../fuzz/corpus/picture/gif-huge-screen-small-frame.gif")));
        // 4200 x 4200 decodes to 67 MiB: more than the panel allows, not more than a slide.
        QImage large(4200, 4200, QImage::Format_Indexed8);
        large.setColorTable({qRgb(0x33, 0x99, 0xcc)});
        large.fill(0);
        QVERIFY(large.save(at("large.jpg"), "jpg", 50));
        QVERIFY(QFile::link(at("real.gif"), at("link.gif")));
        QVERIFY(QDir().mkpath(at("folder.jpg")));
        if (PortableSetup::kHasFifos)
            QVERIFY(PortableSetup::makeFifo(at("fifo.jpg")));
    }

    void load_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QSize>("natural");
        QTest::newRow("jpeg") << "real.jpg"
                              << "" << QSize(64, 48);
        QTest::newRow("bmp") << "real.bmp"
                             << "" << QSize(30, 20);
        QTest::newRow("gif") << "real.gif"
                             << "" << QSize(12, 34);
        QTest::newRow("content decides, not the name") << "jpeg named.gif"
                                                       << "" << QSize(64, 48);
#ifndef Q_OS_WIN // QFile::link makes a shell shortcut there
        QTest::newRow("link to a picture") << "link.gif"
                                           << "" << QSize(12, 34);
#endif
        QTest::newRow("EXIF turned upright") << "turned.jpg"
                                             << "" << QSize(20, 40);
        QTest::newRow("png is not accepted") << "png.jpg"
                                             << "Invalid picture" << QSize();
        QTest::newRow("text") << "text.jpg"
                              << "Invalid picture" << QSize();
        QTest::newRow("empty") << "empty.bmp"
                               << "Invalid picture" << QSize();
        QTest::newRow("truncated") << "truncated.jpg"
                                   << "Invalid picture" << QSize();
        QTest::newRow("folder") << "folder.jpg"
                                << "Invalid picture" << QSize();
#ifndef Q_OS_WIN // no FIFOs there
        QTest::newRow("fifo does not block") << "fifo.jpg"
                                             << "Invalid picture" << QSize();
#endif
        QTest::newRow("missing") << "missing.jpg"
                                 << "File not found" << QSize();
        QTest::newRow("GIF screen too large to decode whole") << "huge-screen.gif"
                                                              << "Picture too large" << QSize();
        QTest::newRow("GIF screen too large over a small frame") << "huge-screen-small-frame.gif"
                                                                 << "Picture too large" << QSize();
        QTest::newRow("absurd size refused") << "huge.jpg"
                                             << "Picture too large" << QSize();
    }

    void load()
    {
        QFETCH(QString, name);
        QFETCH(QString, error);
        QFETCH(QSize, natural);
        const Result<Picture> result = PictureLoader::load(at(name), kShowLimits);
        const Picture picture = result ? *result : Picture();
        QCOMPARE(describe(result), error);
        QCOMPARE(picture.natural, natural);
        QCOMPARE(picture.image.size(), natural.isValid() ? natural : QSize(0, 0));
    }

    void limitsOfEachLoad_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("panel");
        QTest::addColumn<QString>("error");
        QTest::newRow("large slide") << "large.jpg" << false << "";
        QTest::newRow("large panel picture") << "large.jpg" << true << "Picture too large";
        QTest::newRow("panel GIF") << "real.gif" << true << "";
        QTest::newRow("panel takes no BMP") << "real.bmp" << true << "Invalid picture";
        QTest::newRow("GIF screen too large") << "huge-screen.gif" << false << "Picture too large";
        QTest::newRow("text") << "text.jpg" << false << "Invalid picture";
    }

    void limitsOfEachLoad()
    {
        QFETCH(QString, name);
        QFETCH(bool, panel);
        QFETCH(QString, error);
        const int processLimit = QImageReader::allocationLimit();
        const PictureLoader::Limits &limits = panel ? AdvertPage::kPictureLimits : kShowLimits;
        // Bytes already read load by the same rules as the file.
        const Result<Picture> fromFile = PictureLoader::load(at(name), limits);
        const Result<Picture> fromBytes = PictureLoader::loadBytes(readAll(at(name)), limits);
        QCOMPARE(describe(fromFile), error);
        QCOMPARE(describe(fromBytes), error);
        if (fromBytes)
            QCOMPARE(fromBytes->natural, fromFile->natural);
        // A load keeps its limits to itself: the process-wide one stays as it was.
        QCOMPARE(QImageReader::allocationLimit(), processLimit);
    }

    void scansAndBuffersFromTheHeader_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QTest::addColumn<qint64>("buffers"); // what the header walk counts
        // The picture's own scans, then empty ones up to the count.
        const QByteArray flat = BadPictures::flatProgressiveGrey(256);
        QBuffer buffer;
        buffer.setData(flat);
        buffer.open(QIODevice::ReadOnly);
        const int own = JpegLayout::walk(buffer).scans;
        QVERIFY(own > 1 && own < 20);
        const qint64 grey256 = 32 * 32 * 128;
        QTest::newRow("progressive") << flat << "" << grey256;
        QTest::newRow("100 scans") << BadPictures::manyScans(256, 100 - own) << "" << grey256;
        QTest::newRow("101 scans")
            << BadPictures::manyScans(256, 101 - own) << "Invalid picture" << grey256;
        QTest::newRow("6000 scans")
            << BadPictures::manyScans(1024, 6000) << "Invalid picture" << qint64(128 * 128 * 128);
        // 4:2:0: a luma block each 8 x 8 pixels, two chroma blocks each 16 x 16.
        QTest::newRow("progressive 320 x 240") << BadPictures::jpeg(QSize(320, 240), true) << ""
                                               << qint64((40 * 30 + 2 * 20 * 15) * 128);
        QTest::newRow("baseline keeps no coefficients")
            << BadPictures::jpeg(QSize(320, 240), false) << "" << qint64(0);
        QTest::newRow("progressive 19999 x 20000")
            << BadPictures::hugeProgressiveHeader(19999, 20000, false) << "Picture too large"
            << qint64(1'200'000'000);
        QTest::newRow("progressive 19999 x 20000, 4:4:4")
            << BadPictures::hugeProgressiveHeader(19999, 20000, true) << "Picture too large"
            << qint64(2'400'000'000);
    }

    void scansAndBuffersFromTheHeader()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        QFETCH(qint64, buffers);
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        const JpegLayout layout = JpegLayout::walk(buffer);
        QCOMPARE(layout.bufferBytes, buffers);
        QCOMPARE(buffer.pos(), qint64(0));

        const QString path = at(QStringLiteral("walked.jpg"));
        writeBytes(path, bytes);
        qint64 told = -1;
        PictureLoader::Control control;
        control.buffers = [&told](qint64 held) { told = held; };
        QElapsedTimer took;
        took.start();
        const Result<Picture> loaded =
            PictureLoader::load(path, kShowLimits, PictureLoader::Want(), control);
        QCOMPARE(describe(loaded), error);
        // Refused from the header: before anything is decoded, so at once.
        if (!error.isEmpty())
            QVERIFY2(took.elapsed() < 2000, qPrintable(QString::number(took.elapsed())));
        QCOMPARE(told, error.isEmpty() ? buffers : -1);
    }

    void cancelledLoadFails()
    {
        std::atomic<bool> cancel = true;
        PictureLoader::Control control;
        control.cancel = &cancel;
        QCOMPARE(describe(PictureLoader::load(at("big.jpg"), kShowLimits, QSize(), control)),
                 QStringLiteral("Invalid picture"));
        // Stopped once the header is read: nothing decoded is handed out.
        cancel = false;
        control.buffers = [&cancel](qint64) { cancel = true; };
        QCOMPARE(describe(PictureLoader::load(at("big.jpg"), kShowLimits, QSize(), control)),
                 QStringLiteral("Invalid picture"));
        control.buffers = nullptr;
        cancel = false;
        QVERIFY(PictureLoader::load(at("big.jpg"), kShowLimits, QSize(), control).ok());
    }

    void unreadableFile()
    {
        writePicture(at("locked.jpg"), 5, 5, "jpg");
        const PortableSetup::UnreadableFile locked(at("locked.jpg"));
        if (!locked.isActive())
            QSKIP("permissions do not hold for root");
        QCOMPARE(describe(PictureLoader::load(at("locked.jpg"), kShowLimits)),
                 QStringLiteral("Permission denied"));
    }

    void decodesAtTheShownSize()
    {
        const Result<Picture> small =
            PictureLoader::load(at("big.jpg"), kShowLimits, QSize(400, 200));
        QVERIFY(small.ok());
        QCOMPARE(small->natural, QSize(1600, 1200));
        // Covers the shown size both ways, with the picture's proportions.
        QVERIFY(small->image.width() >= 400 && small->image.height() >= 200);
        QVERIFY(small->image.width() < 1600);
        QCOMPARE(small->image.width() * 3, small->image.height() * 4);
        // Shown larger than natural: decoded at natural size.
        QCOMPARE(PictureLoader::load(at("big.jpg"), kShowLimits, QSize(4000, 4000))->image.size(),
                 QSize(1600, 1200));
        // A turned picture is scaled in its upright proportions.
        const Result<Picture> turned =
            PictureLoader::load(at("turned.jpg"), kShowLimits, QSize(10, 20));
        QCOMPARE(turned->natural, QSize(20, 40));
        QCOMPARE(turned->image.size(), QSize(10, 20));
    }

    void openCopiesAndHandsOver()
    {
        FakeSeams fake;
        Module1::initTempPath();
        const QString copy = Module1::mTempPath() + QStringLiteral("Tremallo.jpg");

        Module1::OpenWithAssociatedProgram(at("real.jpg"));
        QCOMPARE(fake.shellTargets, QStringList{copy});
        QCOMPARE(readAll(copy), readAll(at("real.jpg")));

        // A second file of the same type replaces the first copy.
        Module1::OpenWithAssociatedProgram(at("big.jpg"));
        QCOMPARE(readAll(copy), readAll(at("big.jpg")));
        QVERIFY(fake.messages.isEmpty());

        // The extension is the last three characters, as they are.
        QVERIFY(QFile::copy(at("real.jpg"), at("photo.JPEG")));
        Module1::OpenWithAssociatedProgram(at("photo.JPEG"));
        QCOMPARE(fake.shellTargets.last(), Module1::mTempPath() + QStringLiteral("Tremallo.PEG"));
    }

    void openNeverWritesThroughALink()
    {
        FakeSeams fake;
        Module1::initTempPath();
        const QString copy = Module1::mTempPath() + QStringLiteral("Tremallo.bmp");
        const QString victim = at("victim.txt");
        writeBytes(victim, "keep me");
        QFile::remove(copy);
        QVERIFY(QFile::link(victim, copy));
        Module1::OpenWithAssociatedProgram(at("real.bmp"));
        QCOMPARE(readAll(victim), QByteArray("keep me"));
        QVERIFY(!QFileInfo(copy).isSymLink());
        QCOMPARE(readAll(copy), readAll(at("real.bmp")));
        QCOMPARE(fake.shellTargets, QStringList{copy});
    }

    void openFailures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("description");
        QTest::newRow("deleted") << at("gone.jpg") << "File not found";
        QTest::newRow("too short") << QStringLiteral("ab") << "Bad file name";
        QTest::newRow("no extension") << at(u"folder.jpg"_s) + u"/x"_s << "Bad file name";
#ifndef Q_OS_WIN
        QTest::newRow("a fifo") << at("fifo.jpg") << "Not a file";
#endif
    }

    void openFailures()
    {
        QFETCH(QString, path);
        QFETCH(QString, description);
        FakeSeams fake;
        Module1::initTempPath();
        Module1::OpenWithAssociatedProgram(path);
        QVERIFY(fake.shellTargets.isEmpty());
        QCOMPARE(fake.messages.size(), 1);
        QCOMPARE(fake.messages[0].text, description);
        QCOMPARE(fake.messages[0].style, 16);
        QCOMPARE(fake.messages[0].title, QStringLiteral("Vivrel"));
    }

    void animationsAreFoundAtLoad_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("animated");
        QTest::addColumn<int>("loops");
        QTest::addColumn<int>("firstDelay");
        QTest::newRow("still") << GifWriter::write(solid({6, 4}, kRed)) << false << 0 << 0;
        QTest::newRow("one frame and a loop block") << rgbGif(0, {5}) << false << 0 << 0;
        QTest::newRow("no loop block: once") << rgbGif(-1) << true << 0 << 20;
        QTest::newRow("loop block of 0: forever") << rgbGif(0) << true << -1 << 20;
        QTest::newRow("loop block of 3: three more") << rgbGif(3) << true << 3 << 20;
        QTest::newRow("no delay: 100 ms") << rgbGif(0, {0, 3}) << true << -1 << 100;
    }

    void animationsAreFoundAtLoad()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, animated);
        QFETCH(int, loops);
        QFETCH(int, firstDelay);
        writeBytes(at("found.gif"), bytes);
        const Result<Picture> loaded = PictureLoader::load(at("found.gif"), kShowLimits);
        QVERIFY(loaded.ok());
        QCOMPARE(loaded->natural, QSize(6, 4));
        QCOMPARE(colourName(loaded->image), QStringLiteral("R")); // the first frame
        QCOMPARE(loaded->isAnimated(), animated);
        if (animated) {
            QCOMPARE(loaded->animation->path, at("found.gif"));
            QCOMPARE(loaded->animation->frameSize, QSize(6, 4));
            QVERIFY(loaded->animation->frameCount > 1);
            QCOMPARE(loaded->animation->loops, loops);
            QCOMPARE(loaded->animation->firstDelay, firstDelay);
        }
        // The web panel's pictures stay still.
        QVERIFY(!PictureLoader::loadBytes(bytes, kShowLimits)->isAnimated());
    }

    void framesInTurn_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("frames");
        QTest::newRow("once") << rgbGif(-1) << QStringList{u"G30"_s, u"B40"_s};
        QTest::newRow("two more passes")
            << rgbGif(2) << QStringList{u"G30"_s, u"B40"_s, u"R20"_s, u"G30"_s,
                                        u"B40"_s, u"R20"_s, u"G30"_s, u"B40"_s};
        QTest::newRow("forever") << rgbGif(0)
                                 << QStringList{u"G30"_s, u"B40"_s, u"R20"_s, u"G30"_s, u"B40"_s,
                                                u"R20"_s, u"G30"_s, u"B40"_s, u"R20"_s, u"G30"_s};
        QTest::newRow("below 20 ms: 100")
            << rgbGif(-1, {0, 1, 0}) << QStringList{u"G100"_s, u"B100"_s};
    }

    void framesInTurn()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, frames);
        writeBytes(at("turns.gif"), bytes);
        const Result<Picture> loaded = PictureLoader::load(at("turns.gif"), kShowLimits);
        QVERIFY(loaded.ok() && loaded->isAnimated());
        QCOMPARE(framesOf(*loaded, 10), frames);
    }

    void framesEndAtAFault_data()
    {
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("frames");
        const QByteArray endless = rgbGif(0);
        // The third frame's place and size, then its code size, and none of its pixels.
        const QByteArray third = QByteArray::fromHex("2c000000000600040000");
        QTest::newRow("cut after frame 2")
            << endless.left(endless.lastIndexOf(third) + third.size() + 1) << QStringList{u"G30"_s};
        QTest::newRow("deleted") << QByteArray() << QStringList();
        QTest::newRow("now a still") << GifWriter::write(solid({6, 4}, kRed)) << QStringList();
        QTest::newRow("now frames of another size")
            << GifWriter::write({QSize(), 0, {{solid({8, 4}, kRed)}, {solid({8, 4}, kBlue)}}})
            << QStringList();
        QTest::newRow("now beyond the limits")
            << GifWriter::write({QSize(20, 20), 0, {{solid({6, 4}, kRed)}, {solid({6, 4}, kBlue)}}})
            << QStringList();
    }

    void framesEndAtAFault()
    {
        QFETCH(QByteArray, after);
        QFETCH(QStringList, frames);
        const QString path = at("fault.gif");
        writeBytes(path, rgbGif(0));
        PictureLoader::Limits small;
        small.maxWholePixels = 100;
        const Result<Picture> loaded = PictureLoader::load(path, small);
        QVERIFY(loaded.ok() && loaded->isAnimated());
        // Changed while the first frame is on show: the frames are read from the file as
        // it is then, by the rules of the load.
        QFile::remove(path);
        if (!after.isEmpty())
            writeBytes(path, after);
        QCOMPARE(framesOf(*loaded, 10), frames);
    }
};

VIVREL_TEST_MAIN(TestPictureLoader)
#include "tst_pictureloader.moc"
