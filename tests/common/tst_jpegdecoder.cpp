// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestSandbox.h"

#include "hostile/BadPictures.h"

#include "common/JpegDecoder.h"
#include "common/PictureLoader.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTest>

namespace {

/** A JPEG of four coloured quarters, grey if asked, with an EXIF orientation (0: none). */
QByteArray quartersJpeg(QSize size, int orientation, bool grey = false)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int w = size.width() / 2, h = size.height() / 2;
    painter.fillRect(0, 0, w, h, Qt::red);
    painter.fillRect(w, 0, size.width() - w, h, Qt::green);
    painter.fillRect(0, h, w, size.height() - h, Qt::blue);
    painter.fillRect(w, h, size.width() - w, size.height() - h, Qt::white);
    painter.end();
    if (grey)
        image = image.convertToFormat(QImage::Format_Grayscale8);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "jpeg", 95);
    if (orientation > 0) {
        // APP1 "Exif", big-endian TIFF, one entry: Orientation (0x0112).
        QByteArray exif = QByteArray::fromHex("FFE10022457869660000"
                                              "4D4D002A00000008"
                                              "0001"
                                              "0112000300000001");
        exif += char(0);
        exif += char(orientation);
        exif += QByteArray::fromHex("000000000000");
        jpeg.insert(2, exif);
    }
    return jpeg;
}

int largestDifference(const QImage &a, const QImage &b)
{
    int most = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return most;
}

PictureLoader::Want halfOf()
{
    return [](QSize natural) {
        DecodeTarget target;
        target.scaled = natural / 2;
        return target;
    };
}

bool near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) < 48 && std::abs(qGreen(a) - qGreen(b)) < 48 &&
           std::abs(qBlue(a) - qBlue(b)) < 48;
}

} // namespace

class TestJpegDecoder : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        if (!JpegDecoder::available())
            QSKIP("this build decodes JPEGs with Qt's reader");
    }

    void scaleEighths_data()
    {
        QTest::addColumn<QSize>("stored");
        QTest::addColumn<QSize>("target");
        QTest::addColumn<int>("eighths");
        // A 24-megapixel photo fitted to 1920x1080 with its shape kept: 1620x1080, for
        // which 3/8 would do, but 4/8 decodes faster.
        QTest::newRow("photo fitted") << QSize(6000, 4000) << QSize(1620, 1080) << 4;
        QTest::newRow("upright photo") << QSize(4000, 6000) << QSize(1080, 1620) << 4;
        QTest::newRow("an eighth exactly") << QSize(6000, 4000) << QSize(750, 500) << 1;
        QTest::newRow("a pixel over an eighth") << QSize(6000, 4000) << QSize(751, 500) << 2;
        QTest::newRow("a quarter exactly") << QSize(6000, 4000) << QSize(1500, 1000) << 2;
        QTest::newRow("rounded up sides") << QSize(100, 100) << QSize(13, 13) << 1;
        QTest::newRow("tall side decides") << QSize(100, 1000) << QSize(10, 600) << 8;
        QTest::newRow("just under whole") << QSize(100, 100) << QSize(99, 99) << 8;
        QTest::newRow("whole") << QSize(100, 100) << QSize(100, 100) << 8;
        QTest::newRow("nothing asked") << QSize(100, 100) << QSize() << 8;
    }
    void scaleEighths()
    {
        QFETCH(QSize, stored);
        QFETCH(QSize, target);
        QFETCH(int, eighths);
        QCOMPARE(JpegDecoder::scaleEighths(stored, target), eighths);
    }

    // Every EXIF orientation puts the same colour in each corner as Qt's reader does, at
    // the same size and in the same pixel format.
    void orientations_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("grey");
        for (int orientation = 1; orientation <= 8; ++orientation)
            QTest::addRow("orientation %d", orientation) << orientation << false;
        QTest::newRow("grey, turned") << 6 << true;
        QTest::newRow("grey, mirrored") << 2 << true;
    }
    void orientations()
    {
        QFETCH(int, orientation);
        QFETCH(bool, grey);
        const QByteArray jpeg = quartersJpeg(QSize(160, 96), orientation, grey);
        const Result<Picture> own =
            PictureLoader::loadBytes(jpeg, PictureLoader::kShowLimits, halfOf());
        QVERIFY(own.ok());

        QBuffer buffer;
        buffer.setData(jpeg);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "jpeg");
        reader.setAutoTransform(true);
        reader.setScaledSize(QSize(80, 48));
        const QImage qt = reader.read();
        QVERIFY(!qt.isNull());

        QCOMPARE(own->image.size(), qt.size());
        QCOMPARE(own->natural, orientation >= 5 ? QSize(96, 160) : QSize(160, 96));
        QCOMPARE(own->image.format(), qt.format());
        const int right = qt.width() - 3, bottom = qt.height() - 3;
        for (const QPoint corner :
             {QPoint(2, 2), QPoint(right, 2), QPoint(2, bottom), QPoint(right, bottom)}) {
            QVERIFY2(near(own->image.pixel(corner), qt.pixel(corner)),
                     qPrintable(QStringLiteral("at %1,%2").arg(corner.x()).arg(corner.y())));
        }
    }

    // A file cut short decodes as far as it goes, the rest grey, as with Qt's reader; one
    // cut inside its header is refused. Neither ends the process.
    void cutShort_data()
    {
        QTest::addColumn<int>("kept");
        QTest::addColumn<bool>("decoded");
        QTest::newRow("half the data") << 0 << true;
        QTest::newRow("inside the header") << 40 << false;
    }
    void cutShort()
    {
        QFETCH(int, kept);
        QFETCH(bool, decoded);
        QByteArray jpeg = quartersJpeg(QSize(800, 600), 0);
        jpeg.truncate(kept > 0 ? kept : jpeg.size() / 2);
        const Result<Picture> own =
            PictureLoader::loadBytes(jpeg, PictureLoader::kShowLimits, halfOf());
        QCOMPARE(own.ok(), decoded);
        if (decoded) {
            QCOMPARE(own->image.size(), QSize(400, 300));
            QVERIFY(near(own->image.pixel(2, 2), qRgb(255, 0, 0)));
        }
        const JpegDecoder::Decoded direct = JpegDecoder::decode(jpeg, QSize(400, 300), 1 << 30);
        QCOMPARE(direct.outcome == JpegDecoder::Outcome::Decoded, decoded);
    }

    // Two threads decode the pixels one does: the thread of the lower rows reads through
    // the upper ones first, whatever the sampling and wherever the split falls; a file
    // of several scans, or one too short to share, is left to one thread. Scaled the
    // rest of the way, each thread scales its own rows, which may round a row near the
    // split differently and nothing more.
    void twoThreads_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("grey");
        QTest::addColumn<bool>("progressive");
        QTest::addColumn<QSize>("target");
        QTest::addColumn<int>("tolerance");
        QTest::newRow("whole") << QSize(640, 480) << false << false << QSize() << 0;
        QTest::newRow("rows not a whole band") << QSize(642, 479) << false << false << QSize() << 0;
        QTest::newRow("grey") << QSize(640, 480) << true << false << QSize() << 0;
        QTest::newRow("an eighth exactly")
            << QSize(1280, 960) << false << false << QSize(160, 120) << 0;
        QTest::newRow("half, then scaled")
            << QSize(1600, 1200) << false << false << QSize(700, 525) << 24;
        QTest::newRow("grey, scaled") << QSize(1000, 800) << true << false << QSize(900, 720) << 24;
        QTest::newRow("progressive") << QSize(640, 480) << false << true << QSize() << 0;
        QTest::newRow("too short to share") << QSize(640, 40) << false << false << QSize() << 0;
    }
    void twoThreads()
    {
        QFETCH(QSize, size);
        QFETCH(bool, grey);
        QFETCH(bool, progressive);
        QFETCH(QSize, target);
        QFETCH(int, tolerance);
        const QByteArray jpeg = BadPictures::jpeg(size, progressive, grey);
        const JpegDecoder::Decoded one = JpegDecoder::decode(jpeg, target, 1 << 30, nullptr, 1);
        const JpegDecoder::Decoded two = JpegDecoder::decode(jpeg, target, 1 << 30, nullptr, 2);
        QCOMPARE(one.outcome, JpegDecoder::Outcome::Decoded);
        QCOMPARE(two.outcome, JpegDecoder::Outcome::Decoded);
        QCOMPARE(two.image.size(), target.isEmpty() ? size : target);
        QCOMPARE(two.image.format(), one.image.format());
        if (tolerance == 0)
            QCOMPARE(two.image, one.image);
        else
            QCOMPARE_LE(largestDifference(two.image, one.image), tolerance);
    }

    void cancelledAndLimited()
    {
        const QByteArray jpeg = quartersJpeg(QSize(800, 600), 0);
        std::atomic<bool> cancel = true;
        JpegDecoder::Decoded result = JpegDecoder::decode(jpeg, QSize(400, 300), 1 << 30, &cancel);
        QCOMPARE(result.outcome, JpegDecoder::Outcome::Failed);
        QVERIFY(result.image.isNull());
        cancel = false;
        result = JpegDecoder::decode(jpeg, QSize(400, 300), 1 << 30, &cancel);
        QCOMPARE(result.outcome, JpegDecoder::Outcome::Decoded);
        QCOMPARE(result.image.size(), QSize(400, 300));
        // Decoded at 4/8 (400x300, 480,000 bytes): refused when fewer bytes are allowed.
        QCOMPARE(JpegDecoder::decode(jpeg, QSize(400, 300), 479'999).outcome,
                 JpegDecoder::Outcome::TooLarge);
        // The loader's own limit is held too.
        PictureLoader::Limits limits;
        limits.maxDecodedBytes = 100'000;
        QCOMPARE(PictureLoader::loadBytes(jpeg, limits, halfOf()).error(), Error::PictureTooLarge);
    }
};

VIVREL_TEST_MAIN(TestJpegDecoder)
#include "tst_jpegdecoder.moc"
