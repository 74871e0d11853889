// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ShowFixture.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/FileListView.h"
#include "chrome/Artwork.h"
#include "common/Paths.h"
#include "config/SettingsStore.h"
#include "widgets/RoundRegion.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QToolButton>

using namespace Qt::StringLiterals;

class TestChrome : public QObject
{
    Q_OBJECT

    /** A point of the window that no control covers. */
    static QPoint bareBodyPoint(const frmVivrel &w)
    {
        const QPoint point(200, 38);
        return w.childAt(point) ? QPoint() : point;
    }

    static void showAndWait(frmVivrel &w)
    {
        w.move(100, 100);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }

private slots:
    void outlineNumbers_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<int>>("expected"); // left, top, right, bottom, corner w, h
        QTest::newRow("main window") << QSize(368, 293) << QList<int>{6, 5, 364, 293, 18, 15};
        // 7.5, 5.5, 22.5 and 16.5 all go to the even neighbour.
        QTest::newRow("halves to even") << QSize(450, 330) << QList<int>{8, 6, 446, 330, 22, 16};
        QTest::newRow("small") << QSize(90, 90) << QList<int>{2, 2, 86, 90, 4, 4};
    }

    void outlineNumbers()
    {
        QFETCH(QSize, size);
        QFETCH(QList<int>, expected);
        const RoundRect r = roundRectFor(size.width(), size.height());
        QCOMPARE((QList<int>{r.left, r.top, r.right, r.bottom, r.cornerWidth, r.cornerHeight}),
                 expected);
    }

    void outlineMasksTheWindow()
    {
        frmVivrel w;
        SetRoundRegion(w);
        const QRegion mask = w.mask();
        QVERIFY(!mask.isEmpty());
        // Inside: the middle and each straight edge's first pixel row or column.
        for (QPoint in :
             {QPoint(184, 146), QPoint(6, 146), QPoint(363, 146), QPoint(184, 5), QPoint(184, 292)})
            QVERIFY2(mask.contains(in),
                     qPrintable(QStringLiteral("%1,%2").arg(in.x()).arg(in.y())));
        // Outside: the insets and all four corners of the inset rectangle.
        for (QPoint out : {QPoint(5, 146), QPoint(364, 146), QPoint(184, 4), QPoint(6, 5),
                           QPoint(363, 5), QPoint(6, 292), QPoint(363, 292), QPoint(0, 0)})
            QVERIFY2(!mask.contains(out),
                     qPrintable(QStringLiteral("%1,%2").arg(out.x()).arg(out.y())));
    }

    void linkLabelHover()
    {
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        showAndWait(w);
        const QColor normal(253, 198, 157);
        const QColor hover(224, 99, 5);
        QCOMPARE(c.Label3->palette().color(QPalette::WindowText), normal);
        QVERIFY(c.Label3->font().italic());

        QTest::mouseMove(&w, c.Label3->geometry().center());
        QTRY_COMPARE(c.Label3->palette().color(QPalette::WindowText), hover);
        QVERIFY(!c.Label3->font().italic());
        QVERIFY(c.Label3->font().underline());

        // Straight onto another control: the label keeps its hover look.
        QTest::mouseMove(&w, c.File1->geometry().center());
        QTest::mouseMove(&w, c.cmdStart->geometry().center());
        QCOMPARE(c.Label3->palette().color(QPalette::WindowText), hover);

        const QPoint body = bareBodyPoint(w);
        QVERIFY(!body.isNull());
        QTest::mouseMove(&w, body);
        QTRY_COMPARE(c.Label3->palette().color(QPalette::WindowText), normal);
        QVERIFY(c.Label3->font().italic());
    }

    void keysReachTheWindowFirst_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("list") << QStringLiteral("File1") << Qt::KeyboardModifiers();
        QTest::newRow("interval box") << QStringLiteral("Text1") << Qt::KeyboardModifiers();
        QTest::newRow("start button") << QStringLiteral("cmdStart") << Qt::KeyboardModifiers();
        QTest::newRow("file types") << QStringLiteral("cmbFileType") << Qt::KeyboardModifiers();
        QTest::newRow("web panel") << QStringLiteral("WebBrowser1") << Qt::KeyboardModifiers();
        QTest::newRow("check box") << QStringLiteral("chkRepeat") << Qt::KeyboardModifiers();
        // The key alone decides.
        QTest::newRow("interval box, shift")
            << QStringLiteral("Text1") << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("list, ctrl+alt")
            << QStringLiteral("File1") << (Qt::ControlModifier | Qt::AltModifier);
    }

    void keysReachTheWindowFirst()
    {
        QFETCH(QString, focus);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        FakeSeams fake;
        frmVivrel w;
        showAndWait(w);
        auto *target = w.findChild<QWidget *>(focus);
        QVERIFY(target);
        target->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), target);

        QTest::keyClick(target, Qt::Key_F1, modifiers);
        QCOMPARE(fake.shellTargets,
                 QStringList{u"http://www.tremallo.example/freesupport/Vivrel%20Help.htm"_s});
        QVERIFY(fake.endProgramCalls.isEmpty());

        QTest::keyClick(target, Qt::Key_Escape, modifiers);
        QCOMPARE(fake.endProgramCalls, QList<int>{0});
        QCOMPARE(fake.shellTargets.size(), 1);
    }

    void escapeClosesAnOpenDropDownOnly()
    {
        FakeSeams fake;
        frmVivrel w;
        showAndWait(w);
        auto *types = w.findChild<QComboBox *>(QStringLiteral("cmbFileType"));
        QVERIFY(types);
        types->addItems({QStringLiteral("*.jpg"), QStringLiteral("*.gif")});
        types->setFocus();
        types->showPopup();
        QWidget *dropDown = types->view();
        QTRY_VERIFY(dropDown->isVisible());
        QTest::keyClick(dropDown, Qt::Key_F1);
        QTest::keyClick(dropDown, Qt::Key_Escape);
        QTRY_VERIFY(!dropDown->isVisible());
        QVERIFY(fake.shellTargets.isEmpty());
        QVERIFY(fake.endProgramCalls.isEmpty());
    }

    void opensOnTheStartButton()
    {
        FakeSeams fake;
        frmVivrel w;
        showAndWait(w);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(MainControls(w).cmdStart));
    }

    void tabGoesRoundInTheDesignedOrder()
    {
        // The title buttons (help, minimise, close) take the focus by click only.
        // The link label takes the focus from Tab alone, in its designed place.
        const QStringList expected = {
            u"chkFullScreen"_s, u"cmdSelectAll"_s, u"cmdResume"_s,       u"Text1"_s,
            u"Label3"_s,        u"chkPreview"_s,   u"cmbFileType"_s,     u"cmdDirList"_s,
            u"WebBrowser1"_s,   u"chkRepeat"_s,    u"chkSaveSettings"_s, u"File1"_s,
            u"chkAdditive"_s,   u"chkRandom"_s,    u"cmdTools"_s,        u"cmdStart"_s};
        FakeSeams fake;
        frmVivrel w;
        showAndWait(w);
        QTRY_COMPARE(QApplication::focusWidget(),
                     w.findChild<QWidget *>(QStringLiteral("cmdStart")));
        QStringList visited;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, expected);
    }

    void focusedButtonsTakeEnterAndSpace_data()
    {
        QTest::addColumn<QString>("button");
        for (const char *name : {"cmdStart", "cmdResume", "cmdSelectAll", "cmdDirList", "cmdTools",
                                 "cmdHelp", "cmdMinimise", "cmdClose"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void focusedButtonsTakeEnterAndSpace()
    {
        QFETCH(QString, button);
        FakeSeams fake;
        fake.messageAnswers = {MsgAnswer::No, MsgAnswer::No, MsgAnswer::No}; // Tools writes nothing
        frmVivrel w;
        showAndWait(w);
        auto *target = w.findChild<QToolButton *>(button);
        QVERIFY(target);
        target->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(target));
        QSignalSpy clicked(target, &QToolButton::clicked);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space})
            QTest::keyClick(target, key);
        QCOMPARE(clicked.size(), 3);
    }

    void labelsShowTextAsSpelt()
    {
        // A file name such as "<b>x.jpg" or "a&lt;b.jpg" must not be read as markup.
        frmVivrel w;
        const QList<QLabel *> labels = w.findChildren<QLabel *>();
        QVERIFY(labels.contains(MainControls(w).lblFileName));
        for (const QLabel *label : labels)
            QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
    }

    void otherKeysStillReachTheControl()
    {
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        showAndWait(w);
        c.Text1->setFocus();
        c.Text1->setText(QString());
        QTest::keyClicks(c.Text1, QStringLiteral("12"));
        QCOMPARE(c.Text1->text(), QStringLiteral("12"));
        QVERIFY(fake.shellTargets.isEmpty());
        QVERIFY(fake.endProgramCalls.isEmpty());
    }

    void dragByBodyAndBanner_data()
    {
        QTest::addColumn<QString>("pressOn"); // empty: the bare body
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("moves");
        QTest::newRow("body, left") << QString() << int(Qt::LeftButton) << true;
        QTest::newRow("body, right") << QString() << int(Qt::RightButton) << true;
        QTest::newRow("banner") << QStringLiteral("Image1") << int(Qt::LeftButton) << true;
        QTest::newRow("start button") << QStringLiteral("cmdStart") << int(Qt::LeftButton) << false;
        QTest::newRow("list") << QStringLiteral("File1") << int(Qt::LeftButton) << false;
        QTest::newRow("check box") << QStringLiteral("chkRepeat") << int(Qt::LeftButton) << false;
        QTest::newRow("interval box") << QStringLiteral("Text1") << int(Qt::LeftButton) << false;
        QTest::newRow("link label") << QStringLiteral("Label3") << int(Qt::LeftButton) << false;
    }

    void dragByBodyAndBanner()
    {
        QFETCH(QString, pressOn);
        QFETCH(int, button);
        QFETCH(bool, moves);
        FakeSeams fake;
        frmVivrel w;
        showAndWait(w);
        const QPoint start = w.pos();
        const QPoint press = pressOn.isEmpty()
                                 ? bareBodyPoint(w)
                                 : w.findChild<QWidget *>(pressOn)->geometry().center();
        QVERIFY(!press.isNull());
        const auto mouseButton = Qt::MouseButton(button);

        // Without a window manager (as here) the window follows the mouse by itself.
        QTest::mousePress(w.windowHandle(), mouseButton, {}, press);
        QTest::mouseMove(w.windowHandle(), press + QPoint(30, 20));
        // Once the window followed, the mouse is back over the same point of the window.
        QTest::mouseRelease(w.windowHandle(), mouseButton, {},
                            moves ? press : press + QPoint(30, 20));
        if (moves)
            QTRY_COMPARE(w.pos(), start + QPoint(30, 20));
        else
            QCOMPARE(w.pos(), start);
    }

    void closeEndsAtOnceMinimiseMinimises()
    {
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        showAndWait(w);
        QTest::mouseClick(c.cmdClose, Qt::LeftButton);
        QCOMPARE(fake.endProgramCalls, QList<int>{0});
        QVERIFY(fake.messages.isEmpty());

        QTest::mouseClick(c.cmdMinimise, Qt::LeftButton);
        QTRY_VERIFY(w.windowState() & Qt::WindowMinimized);
    }

    void shellTargets()
    {
        FakeSeams fake;
        frmVivrel w;
        const MainControls c(w);
        showAndWait(w);
        QTest::mouseClick(c.cmdHelp, Qt::LeftButton);
        QTest::mouseClick(c.cmdHelp, Qt::LeftButton);
        QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, c.Label3->geometry().center());
        const QString help =
            QStringLiteral("http://www.tremallo.example/freesupport/Vivrel%20Help.htm");
        QCOMPARE(fake.shellTargets,
                 (QStringList{help, help, QStringLiteral("http://www.tremallo.example")}));
        QCOMPARE(w.pos(), QPoint(100, 100));
    }

    void captionsStandApartFromGlyphs_data()
    {
        QTest::addColumn<Artwork::Face>("face");
        QTest::newRow("Start") << Artwork::Face::Start;
        QTest::newRow("Resume") << Artwork::Face::Resume;
        QTest::newRow("Pause") << Artwork::Face::Pause;
    }

    void captionsStandApartFromGlyphs()
    {
        // At the show buttons' own size, some column between the glyph and its caption
        // is left clear, so the caption never runs into the glyph.
        QFETCH(Artwork::Face, face);
        const QImage image = Artwork::buttonFace(face, QSize(60, 25), Qt::white)
                                 .toImage()
                                 .convertToFormat(QImage::Format_ARGB32);
        const auto inked = [&image](int x) {
            for (int y = 3; y < image.height() - 3; ++y) {
                if (qGray(image.pixel(x, y)) < 160)
                    return true;
            }
            return false;
        };
        bool clearColumn = false;
        for (int x = 12; x <= 24 && !clearColumn; ++x)
            clearColumn = !inked(x);
        QVERIFY(clearColumn);
    }

    void thanksMailOncePerRun()
    {
        // The very first run: nothing stored yet, and no configuration file.
        QTemporaryDir exe;
        Paths::setExecutableForTesting(exe.path(), QStringLiteral("Vivrel"));
        const auto restore = qScopeGuard([] { Paths::setExecutableForTesting({}, {}); });
        QVERIFY(SettingsStore::SaveSetting(QStringLiteral("mPath"), QString()));
        TestTrees::writePicture(exe.filePath(QStringLiteral("p.jpg")), 8, 8, "jpg");
        FakeSeams fake;
        frmVivrel w;
        w.Form_Load();
        QVERIFY(fake.messages.isEmpty());
        fake.folderAnswers = {exe.path()}; // a picture listed, so that Start Show runs
        MainControls(w).cmdDirList->click();
        MainControls(w).File1->setCurrentRow(0); // and picked, so the pane has it to show
        MainControls(w).cmdStart->click();       // the mail is offered at the run's first start
        QCOMPARE(fake.messages.size(), 1);
        QVERIFY(expectMessage(fake,
                              QStringLiteral("Please spend a moment to send a mail to Tremlo as a "
                                             "token of appreciation"),
                              0, QStringLiteral("Thank you for using Tremallo Product")));
        QCOMPARE(fake.shellTargets,
                 QStringList{"mailto:feedback@tremallo.example?subject=Thanks for Tremallo "
                             u"Vivrel!!!4.6.0"_s});

        MainControls(w).cmdStart->click(); // due once only

        QCOMPARE(fake.messages.size(), 1);
        QCOMPARE(fake.shellTargets.size(), 1);
    }
};

VIVREL_TEST_MAIN(TestChrome)
#include "tst_chrome.moc"
