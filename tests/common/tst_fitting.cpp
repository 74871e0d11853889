// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestSandbox.h"

#include "common/Fitting.h"

#include <QTest>

#include <limits>

// Each row: the window, the element after the picture was assigned, the picture's
// natural size, the two menu marks; and where the element ends up.
class TestFitting : public QObject
{
    Q_OBJECT

private slots:
    void place_data()
    {
        QTest::addColumn<QSizeF>("window");
        QTest::addColumn<QSizeF>("element");
        QTest::addColumn<QSizeF>("natural");
        QTest::addColumn<bool>("stretch");
        QTest::addColumn<bool>("retain");
        QTest::addColumn<QRectF>("expected");

        const QSizeF xga(1024, 768);
        const QSizeF hd(1920, 1080);

        // Not stretched: the element has the natural size, cut to the window, centred.
        QTest::newRow("natural, smaller") << xga << QSizeF(400, 300) << QSizeF(400, 300) << false
                                          << false << QRectF(312, 234, 400, 300);
        QTest::newRow("natural, wider: cut to the width")
            << xga << QSizeF(1600, 500) << QSizeF(1600, 500) << false << false
            << QRectF(0, 134, 1024, 500);
        QTest::newRow("natural, larger both ways") << hd << QSizeF(4000, 3000) << QSizeF(4000, 3000)
                                                   << false << false << QRectF(0, 0, 1920, 1080);
        QTest::newRow("exactly as wide is not cut") << xga << QSizeF(1024, 100) << QSizeF(1024, 100)
                                                    << false << false << QRectF(0, 334, 1024, 100);
        QTest::newRow("odd size centres on a half")
            << hd << QSizeF(101, 51) << QSizeF(101, 51) << false << false
            << QRectF(909.5, 514.5, 101, 51);

        // Stretched alone: the element keeps the whole window, whatever the picture.
        QTest::newRow("stretch, portrait picture") << xga << QSizeF(1024, 768) << QSizeF(300, 400)
                                                   << true << false << QRectF(0, 0, 1024, 768);

        // Retain shape where the orientation rule fits the window.
        QTest::newRow("retain, 3:4 portrait") << xga << QSizeF(1024, 768) << QSizeF(600, 800)
                                              << true << true << QRectF(224, 0, 576, 768);
        QTest::newRow("retain, 3:2 landscape")
            << xga << QSizeF(1024, 768) << QSizeF(1500, 1000) << true << true
            << QRectF(0, 42.666672f, 1024, 682.66669f);
        QTest::newRow("retain, square takes the height")
            << xga << QSizeF(1024, 768) << QSizeF(500, 500) << true << true
            << QRectF(128, 0, 768, 768);
        QTest::newRow("retain, 3:4 portrait on 16:9")
            << hd << QSizeF(1920, 1080) << QSizeF(3000, 4000) << true << true
            << QRectF(555, 0, 810, 1080);
        QTest::newRow("retain, 16:9 on 16:9 exactly")
            << hd << QSizeF(1920, 1080) << QSizeF(3840, 2160) << true << true
            << QRectF(0, 0, 1920, 1080);
        QTest::newRow("retain, panorama") << hd << QSizeF(1920, 1080) << QSizeF(2100, 900) << true
                                          << true << QRectF(0, 128.57141f, 1920, 822.85718f);
        QTest::newRow("retain ignores the previous slide's size")
            << xga << QSizeF(200, 700) << QSizeF(600, 800) << true << true
            << QRectF(224, 0, 576, 768);

        // Where the rule would spill over the other side, fit inside instead.
        QTest::newRow("retain, 4:3 landscape on 16:9")
            << hd << QSizeF(1920, 1080) << QSizeF(4000, 3000) << true << true
            << QRectF(240, 0, 1440, 1080);
        QTest::newRow("retain, 3:2 landscape on 16:9")
            << hd << QSizeF(1920, 1080) << QSizeF(6000, 4000) << true << true
            << QRectF(150, 0, 1620, 1080);
        QTest::newRow("retain, 5:4 landscape on 4:3")
            << xga << QSizeF(1024, 768) << QSizeF(1280, 1024) << true << true
            << QRectF(32, 0, 960, 768);
        QTest::newRow("retain, portrait on a portrait window")
            << QSizeF(768, 1024) << QSizeF(768, 1024) << QSizeF(900, 1000) << true << true
            << QRectF(0, 85.333328f, 768, 853.33331f);

        // Retain shape without stretch does nothing of its own.
        QTest::newRow("retain mark without stretch") << xga << QSizeF(400, 300) << QSizeF(400, 300)
                                                     << false << true << QRectF(312, 234, 400, 300);
    }

    void place()
    {
        QFETCH(QSizeF, window);
        QFETCH(QSizeF, element);
        QFETCH(QSizeF, natural);
        QFETCH(bool, stretch);
        QFETCH(bool, retain);
        QFETCH(QRectF, expected);

        Fitting::Input in;
        in.windowWidth = float(window.width());
        in.windowHeight = float(window.height());
        in.width = float(element.width());
        in.height = float(element.height());
        in.naturalWidth = float(natural.width());
        in.naturalHeight = float(natural.height());
        in.left = 17;
        in.top = 23;
        in.stretchChecked = stretch;
        in.retainShapeChecked = retain;
        const Fitting::Placement p = Fitting::place(in);
        QCOMPARE(p.left, float(expected.left()));
        QCOMPARE(p.top, float(expected.top()));
        QCOMPARE(p.width, float(expected.width()));
        QCOMPARE(p.height, float(expected.height()));
        QCOMPARE(p.stretch, stretch);
    }

    void divisionByZeroSkipsOnlyThatValue()
    {
        // No picture (natural 0 x 0): the width keeps its value, the height still
        // becomes the window's, and the element is centred.
        Fitting::Input in;
        in.windowWidth = 1024;
        in.windowHeight = 768;
        in.width = 300;
        in.height = 200;
        in.stretchChecked = true;
        in.retainShapeChecked = true;
        const Fitting::Placement p = Fitting::place(in);
        QCOMPARE(p.width, 300.0f);
        QCOMPARE(p.height, 768.0f);
        QCOMPARE(p.left, 362.0f);
        QCOMPARE(p.top, 0.0f);
    }

    void decodesOnlyWhatIsSeen_data()
    {
        QTest::addColumn<bool>("stretch");
        QTest::addColumn<bool>("retain");
        QTest::addColumn<QSizeF>("element");
        QTest::addColumn<QSize>("scaled");
        QTest::addColumn<QRect>("clip");
        const QSize none;
        // A 12000 x 9000 photo in a 1920 x 1080 viewer.
        QTest::newRow("stretched to the window")
            << true << false << QSizeF(1920, 1080) << QSize(1920, 1080) << QRect();
        QTest::newRow("shape kept, fitted inside")
            << true << true << QSizeF(1920, 1080) << QSize(1440, 1080) << QRect();
        QTest::newRow("element of no size yet")
            << true << false << QSizeF(0, 0) << QSize(1, 1) << QRect();
        QTest::newRow("natural size: the visible corner")
            << false << false << QSizeF(0, 0) << none << QRect(0, 0, 1921, 1081);
    }

    void decodesOnlyWhatIsSeen()
    {
        QFETCH(bool, stretch);
        QFETCH(bool, retain);
        QFETCH(QSizeF, element);
        QFETCH(QSize, scaled);
        QFETCH(QRect, clip);
        Fitting::View view;
        view.windowWidth = 1920;
        view.windowHeight = 1080;
        view.width = float(element.width());
        view.height = float(element.height());
        view.stretchChecked = stretch;
        view.retainShapeChecked = retain;
        const DecodeTarget target = Fitting::decodeTarget(view, QSize(12000, 9000));
        QCOMPARE(target.scaled, scaled);
        QCOMPARE(target.clip, clip);
    }

    // The pixel grid the element places itself on and the decoder sizes its pictures for.
    void snapsToWholePixels_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<int>("pixel");
        QTest::newRow("a half goes away from zero") << 909.5f << 910;
        QTest::newRow("so does a negative half") << -2.5f << -3;
        QTest::newRow("under a half") << 682.49f << 682;
        QTest::newRow("not a number") << std::numeric_limits<float>::quiet_NaN() << 0;
        QTest::newRow("infinite") << -std::numeric_limits<float>::infinity() << 0;
        QTest::newRow("beyond any screen") << 3.0e9f << 10000000;
    }

    void snapsToWholePixels()
    {
        QFETCH(float, value);
        QFETCH(int, pixel);
        QCOMPARE(Fitting::snapToPixel(value), pixel);
    }
};

VIVREL_TEST_GUILESS_MAIN(TestFitting)
#include "tst_fitting.moc"
